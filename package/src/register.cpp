// The package's registration procedure, run once by the form designer.
#include <zantoquiller/package/packageinfo.h>
#include <zantoquiller/package/registration.h>
#include <zantoquiller/zantoquiller.h>

extern "C" void Register(void)
{
    Zanto::RegisterComponents(QStringLiteral("Kelvard"), {&Zanto::TZantoquiller::staticMetaObject});
}
