#include <zantoquiller/package/registration.h>

extern "C" {
Zanto::TRegisterComponentsProc RegisterComponentsProc = nullptr;
}

namespace Zanto {

void RegisterComponents(const QString &Page, const TComponentClassList &ComponentClasses)
{
    if (!RegisterComponentsProc)
        throw EComponentError(QStringLiteral("Component registration is not supported"));
    RegisterComponentsProc(Page, ComponentClasses);
}

} // namespace Zanto
