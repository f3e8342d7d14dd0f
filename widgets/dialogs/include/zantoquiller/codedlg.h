/// \file
/// TCodeDlg: the modal dialog in which the user edits the printer control
/// codes of all seven printer types. It edits a private copy of the code
/// table; the caller's table is written only when the user confirms with OK.
#pragma once

#include <zantoquiller/types.h>
#include <zantoquiller/widgets_export.h>

#include <QDialog>

#include <array>
#include <exception>
#include <memory>

class QLineEdit;

namespace Ui {
class TCodeDlg;
}

namespace Zanto {

/// The printer codes dialog.
class ZANTOQUILLER_WIDGETS_EXPORT TCodeDlg : public QDialog
{
    Q_OBJECT

public:
    /// The dialog, not shown.
    explicit TCodeDlg(QWidget *parent = nullptr);
    ~TCodeDlg() override;

    /// Shows the dialog modally on the HP PCL codes. On OK overwrites codes
    /// with the edited table and returns true; otherwise codes is untouched.
    bool Execute(TCodeTable &codes);

    /// Fills the thirteen fields from the record on show, as code lists.
    void UpdateDisplay();
    /// Stores the fields into the record on show, in screen order, each cut
    /// to 20 bytes. The first field that is not a code list stops it with
    /// EConvertError; the fields before it are stored already.
    void WriteCodes();

    // Event handlers. Each raises what WriteCodes or the code list
    // conversion raises; the dialog shows it in the application's error box.
    /// The user pressed OK: stores the fields (WriteCodes()) and closes the
    /// dialog as accepted. Raises what WriteCodes() raises; the dialog shows
    /// it in the application's error box.
    void OKBtnClick();
    /// The user chose another printer type: stores the fields, then shows
    /// the chosen type's codes. When storing fails the list goes back to
    /// the type on show.
    void PrinterComboChange();
    /// The focus left Sender for the control that now has it.
    void BoldOnEditExit(QLineEdit *Sender);

    /// The printer type whose codes the fields show.
    TPrinterType PrinterOnShow() const;
    /// The private copy of the table being edited.
    const TCodeTable &EditedCodes() const;

protected:
    /// Sees a code field lose the focus to another control of the dialog
    /// (BoldOnEditExit()).
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct CodeField
    {
        QLineEdit *edit;
        TCodeString TPrinterCodes::*code;
    };
    std::array<CodeField, TPrinterCodes::FieldCount> codeFields() const;
    bool isCodeField(QObject *object) const;
    void refuseExit(std::exception_ptr error);

    struct State;
    std::unique_ptr<Ui::TCodeDlg> ui;
    std::unique_ptr<State> d;
};

} // namespace Zanto
