#include <zantoquiller/application.h>
#include <zantoquiller/dialogs.h>
#include <zantoquiller/editdialogs.h>

namespace Zanto {

TApplication::TApplication(int &argc, char **argv) : QApplication(argc, argv)
{
    installFontSubstitutes();
    installDialogs();
}

TApplication::~TApplication()
{
    // The dialogs cannot open without an application object.
    setEditDialogs(nullptr);
}

bool TApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        HandleException(std::current_exception());
        return false;
    }
}

} // namespace Zanto
