#include <zantoquiller/codedlg.h>

#include "glyphs.h"
#include "guarded.h"
#include "ui_codedlg.h"

#include <zantoquiller/codelist.h>
#include <zantoquiller/dialogs.h>

#include <QFocusEvent>

namespace Zanto {

namespace {

// Item i of the printer list is printer type i.
const std::array<QString, PrinterTypeCount> printerTypeNames {
    QStringLiteral("HP PCL"),
    QStringLiteral("Epson"),
    QStringLiteral("IBM"),
    QStringLiteral("Diablo"),
    QStringLiteral("Plain"),
    QStringLiteral("User 1"),
    QStringLiteral("User 2"),
};

} // namespace

struct TCodeDlg::State
{
    // The private copy of the table being edited.
    TCodeTable codes;
    quint8 printerOnShow = ptHPPCL;
    // Set while a refused exit is being reported: the mouse press that
    // tried to take the focus away is not delivered.
    bool swallowPointer = false;
};

TCodeDlg::TCodeDlg(QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::TCodeDlg>()), d(std::make_unique<State>())
{
    installFontSubstitutes();
    ui->setupUi(this);
    setWindowFlag(Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(size());
    ui->OKBtn->setGlyph(okGlyph(), okGlyphDisabled());
    ui->CancelBtn->setGlyph(cancelGlyph(style()), cancelGlyphDisabled(style()));

    connect(ui->OKBtn, &QPushButton::clicked, this, guarded([this] { OKBtnClick(); }));
    connect(ui->CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(
        ui->PrinterCombo, &QComboBox::activated, this, guarded([this] { PrinterComboChange(); }));

    for (QWidget *child : findChildren<QWidget *>())
        child->installEventFilter(this);
    ui->OKBtn->setFocus();
}

TCodeDlg::~TCodeDlg() = default;

TPrinterType TCodeDlg::PrinterOnShow() const
{
    return static_cast<TPrinterType>(d->printerOnShow);
}

const TCodeTable &TCodeDlg::EditedCodes() const
{
    return d->codes;
}

std::array<TCodeDlg::CodeField, TPrinterCodes::FieldCount> TCodeDlg::codeFields() const
{
    // Screen order: underline is shown above italic. The mapping is by name.
    return {{
        {ui->BoldOnEdit, &TPrinterCodes::BoldOn},
        {ui->BoldOffEdit, &TPrinterCodes::BoldOff},
        {ui->UnderOnEdit, &TPrinterCodes::UnderOn},
        {ui->UnderOffEdit, &TPrinterCodes::UnderOff},
        {ui->ItalicOnEdit, &TPrinterCodes::ItalicOn},
        {ui->ItalicOffEdit, &TPrinterCodes::ItalicOff},
        {ui->SuperOnEdit, &TPrinterCodes::SuperOn},
        {ui->SuperOffEdit, &TPrinterCodes::SuperOff},
        {ui->SubOnEdit, &TPrinterCodes::SubOn},
        {ui->SubOffEdit, &TPrinterCodes::SubOff},
        {ui->CPI10Edit, &TPrinterCodes::Set10cpi},
        {ui->CPI12Edit, &TPrinterCodes::Set12cpi},
        {ui->CPI15Edit, &TPrinterCodes::Set15cpi},
    }};
}

bool TCodeDlg::Execute(TCodeTable &codes)
{
    // Every TCodeString holds at most 20 bytes, so copying the records
    // copies the thirteen codes of each, cut to 20 bytes.
    d->codes = codes;
    ui->PrinterCombo->setCurrentIndex(ptHPPCL);
    d->printerOnShow = ptHPPCL;
    UpdateDisplay();
    const bool confirmed = exec() == QDialog::Accepted;
    if (confirmed)
        codes = d->codes;
    return confirmed;
}

void TCodeDlg::UpdateDisplay()
{
    const TPrinterCodes &record = d->codes[d->printerOnShow];
    for (const CodeField &field : codeFields())
        field.edit->setText(StrToASCIIList((record.*field.code).view()));
}

void TCodeDlg::WriteCodes()
{
    TPrinterCodes &record = d->codes[d->printerOnShow];
    for (const CodeField &field : codeFields())
        (record.*field.code).assign(ASCIIListToStr(field.edit->text()));
}

void TCodeDlg::OKBtnClick()
{
    WriteCodes();
    done(QDialog::Accepted);
}

void TCodeDlg::PrinterComboChange()
{
    try {
        WriteCodes();
    } catch (...) {
        // The fields still belong to the type on show: the list says so too,
        // so that the user never edits one type under the name of another.
        ui->PrinterCombo->setCurrentIndex(d->printerOnShow);
        throw;
    }
    const auto found = std::find(
        printerTypeNames.begin(), printerTypeNames.end(), ui->PrinterCombo->currentText());
    if (found != printerTypeNames.end())
        d->printerOnShow = static_cast<quint8>(found - printerTypeNames.begin());
    UpdateDisplay();
}

void TCodeDlg::BoldOnEditExit(QLineEdit *Sender)
{
    if (QApplication::focusWidget() == ui->CancelBtn)
        return;
    try {
        ASCIIListToStr(Sender->text());
    } catch (...) {
        Sender->setFocus();
        throw;
    }
}

bool TCodeDlg::isCodeField(QObject *object) const
{
    for (const CodeField &field : codeFields())
        if (field.edit == object)
            return true;
    return false;
}

void TCodeDlg::refuseExit(std::exception_ptr error)
{
    // Shown once the event that moved the focus is over, so that the click
    // which tried to take the focus away can be dropped first.
    d->swallowPointer = true;
    QMetaObject::invokeMethod(
        this,
        [this, error] {
            d->swallowPointer = false;
            HandleException(error);
        },
        Qt::QueuedConnection);
}

bool TCodeDlg::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::FocusOut: {
        // Only a move to another control of this dialog is an exit; the
        // window losing activation (to a message box, say) is not.
        const auto reason = static_cast<QFocusEvent *>(event)->reason();
        QWidget *next = QApplication::focusWidget();
        if (!isCodeField(watched) || !isVisible() || reason == Qt::ActiveWindowFocusReason
            || reason == Qt::PopupFocusReason || reason == Qt::MenuBarFocusReason || !next
            || !isAncestorOf(next))
            break;
        try {
            BoldOnEditExit(static_cast<QLineEdit *>(watched));
        } catch (...) {
            refuseExit(std::current_exception());
        }
        break;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
        if (d->swallowPointer)
            return true;
        break;
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace Zanto
