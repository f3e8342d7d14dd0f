#include <zantoquiller/dialogs.h>

#include <QFont>
#include <QStringList>

namespace Zanto {

void installFontSubstitutes()
{
    // Qt tries the substitutes in order when the named face is missing.
    if (QFont::substitutes(QStringLiteral("MS Sans Serif")).isEmpty())
        QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
            {QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"), QStringLiteral("Arial"),
                QStringLiteral("Helvetica")});
    if (QFont::substitutes(QStringLiteral("Courier New")).isEmpty())
        QFont::insertSubstitutions(QStringLiteral("Courier New"),
            {QStringLiteral("Liberation Mono"), QStringLiteral("Cousine"),
                QStringLiteral("Courier")});
}

} // namespace Zanto
