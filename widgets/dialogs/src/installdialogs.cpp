#include <zantoquiller/codedlg.h>
#include <zantoquiller/dialogs.h>
#include <zantoquiller/editdialogs.h>
#include <zantoquiller/exceptions.h>
#include <zantoquiller/transdlg.h>

#include <QApplication>

#include <memory>

namespace Zanto {

namespace {

// Each edit gets its own dialog, a top-level window centred on the screen,
// destroyed before the edit returns.
class WidgetEditDialogs final : public EditDialogs
{
public:
    bool editPrinterCodes(TCodeTable &codes) override
    {
        requireApplication();
        const auto dialog = std::make_unique<TCodeDlg>();
        return dialog->Execute(codes);
    }

    bool editTranslationTable(QByteArrayList &transIn, QByteArrayList &transOut) override
    {
        requireApplication();
        const auto dialog = std::make_unique<TTransDlg>();
        return dialog->Execute(transIn, transOut);
    }

private:
    static void requireApplication()
    {
        if (!qobject_cast<QApplication *>(QCoreApplication::instance()))
            throw eZantoquillError(
                QStringLiteral("The edit dialogs need a QApplication (e.g. Zanto::TApplication)"));
    }
};

WidgetEditDialogs widgetEditDialogs;

} // namespace

void installDialogs()
{
    setEditDialogs(&widgetEditDialogs);
}

} // namespace Zanto
