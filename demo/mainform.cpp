#include "mainform.h"

#include "graphicsprint.h"
#include "invoicetranslation.h"
#include "ui_mainform.h"

#include <zantoquiller/application.h>
#include <zantoquiller/codepage.h>
#include <zantoquiller/controls/memocontrols.h>
#include <zantoquiller/exceptions.h>
#include <zantoquiller/printers.h>
#include <zantoquiller/storedproperties.h>
#include <zantoquiller/zantoquiller.h>

#include <QEvent>
#include <QFile>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QTextBlock>

#include <array>

// The texts and stored properties are compiled into this library; make sure
// the linker keeps them.
static void initDemoResources()
{
    Q_INIT_RESOURCE(demo);
}

namespace Zanto {

namespace {

// The items of ListBox2 in their displayed order; "Diablo" stands before
// "IBM", so items and TPrinterType ordinals differ.
constexpr std::array<TPrinterType, PrinterTypeCount> printerTypeItems
    = {ptHPPCL, ptEpson, ptDiablo, ptIBM, ptPlain, ptUser1, ptUser2};

QByteArray readResource(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw EInOutError(QStringLiteral("Failed to read %1").arg(path), file.errorString());
    return file.readAll();
}

// A text resource as memo text: its lines, without a break after the last.
QString memoText(const QString &path)
{
    QString text = QString::fromUtf8(readResource(path));
    if (text.endsWith(u'\n'))
        text.chop(1);
    return text;
}

// The memo's line list: one entry per block, a last empty block not counted.
QStringList memoLines(const QPlainTextEdit &memo)
{
    QStringList lines;
    for (QTextBlock block = memo.document()->begin(); block.isValid(); block = block.next())
        lines.append(block.text());
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

int rowOf(const QListWidget &list)
{
    const QList<QListWidgetItem *> selected = list.selectedItems();
    return selected.isEmpty() ? -1 : list.row(selected.first());
}

void selectRow(QListWidget &list, int row)
{
    if (row >= 0 && row < list.count()) {
        list.setCurrentRow(row);
    } else {
        list.setCurrentRow(-1);
        list.clearSelection();
    }
}

} // namespace

TMainForm::TMainForm(QWidget *parent)
    : QWidget(parent)
    , ui(std::make_unique<Ui::TMainForm>())
    , m_runSystemDialog([](QPrintDialog &dialog) { return dialog.exec() == QDialog::Accepted; })
{
    initDemoResources();
    ui->setupUi(this);
    setObjectName(QStringLiteral("MainForm"));
    move(68, 82);

    // The memos are Qt text controls; PrintMemo takes them once registered.
    Controls::registerMemoControls();
    Zantoquiller1 = new TZantoquiller(this);
    Zantoquiller1->setObjectName(QStringLiteral("Zantoquiller1"));
    readStoredProperties(*Zantoquiller1, readResource(QStringLiteral(":/demo/zantoquiller1.dfm")));

    ui->Memo1->setPlainText(memoText(QStringLiteral(":/demo/texts/memo1.txt")));
    ui->Memo2->setPlainText(memoText(QStringLiteral(":/demo/texts/memo2.txt")));
    ui->PageControl1->setCurrentIndex(MemoPage);

    connect(ui->PageControl1, &QTabWidget::currentChanged, this, &TMainForm::PageControl1Change);
    for (QListWidget *list : {ui->ListBox1, ui->ListBox2, ui->ListBox3}) {
        list->installEventFilter(this);
        list->viewport()->installEventFilter(this);
        connect(list, &QListWidget::currentRowChanged, this, &TMainForm::ListBox1Exit);
    }
    for (QCheckBox *box : {ui->CheckBox1, ui->CheckBox2, ui->CheckBox3})
        connect(box, &QCheckBox::clicked, this, &TMainForm::ListBox1Exit);
    for (QLineEdit *edit : {ui->Edit2, ui->Edit3, ui->Edit4, ui->Edit5, ui->Edit6, ui->Edit8})
        connect(edit, &QLineEdit::textChanged, this, &TMainForm::ListBox1Exit);

    connect(ui->Button1, &QPushButton::clicked, this, &TMainForm::Button1Click);
    connect(ui->Button2, &QPushButton::clicked, this, &TMainForm::Button2Click);
    connect(ui->Button3, &QPushButton::clicked, this, &TMainForm::Button3Click);
    connect(ui->Button4, &QPushButton::clicked, this, &TMainForm::Button4Click);
    connect(ui->Button5, &QPushButton::clicked, this, &TMainForm::Button5Click);
    connect(ui->Button6, &QPushButton::clicked, this, &TMainForm::Button6Click);
    connect(ui->Button7, &QPushButton::clicked, this, &TMainForm::Button7Click);
}

TMainForm::~TMainForm() = default;

void TMainForm::setSystemDialogRunner(SystemDialogRunner runner)
{
    m_runSystemDialog = std::move(runner);
}

bool TMainForm::eventFilter(QObject *watched, QEvent *event)
{
    // A click on a list box, or leaving it, marks the setup page as edited,
    // even when the selection stays the same.
    const bool listBox
        = watched == ui->ListBox1 || watched == ui->ListBox2 || watched == ui->ListBox3;
    const bool listArea = watched == ui->ListBox1->viewport() || watched == ui->ListBox2->viewport()
        || watched == ui->ListBox3->viewport();
    if ((listBox && event->type() == QEvent::FocusOut)
        || (listArea && event->type() == QEvent::MouseButtonRelease))
        ListBox1Exit();
    return QWidget::eventFilter(watched, event);
}

void TMainForm::PageControl1Change()
{
    const int page = ui->PageControl1->currentIndex();
    // Pending edits survive a page change; only a setup page showing the
    // committed values is refreshed.
    if (page == SetupPage && !ui->Button5->isEnabled())
        loadSetupPage();
    ui->Button1->setEnabled(page == MemoPage || page == InvoicePage || page == SingleLinePage);
    ui->Button2->setEnabled(page == MemoPage || page == InvoicePage);
}

void TMainForm::loadSetupPage()
{
    const TZantoquiller &z = *Zantoquiller1;
    selectRow(*ui->ListBox1, static_cast<int>(z.Port()));
    const auto type = std::find(printerTypeItems.begin(), printerTypeItems.end(), z.PrinterType());
    selectRow(*ui->ListBox2, static_cast<int>(type - printerTypeItems.begin()));
    ui->CheckBox1->setChecked(z.UseSpooler());
    ui->CheckBox2->setChecked(z.SendLineFeed());
    ui->CheckBox3->setChecked(z.PrintAllPages());
    ui->Edit4->setText(QString::number(z.LeftOffset()));
    ui->Edit5->setText(QString::number(z.LinesPerPage()));
    ui->Edit6->setText(QString::number(z.LineWidth()));
    selectRow(*ui->ListBox3, static_cast<int>(z.Pitch()));
    ui->Edit2->setText(QString::number(z.PrintRangeStart()));
    ui->Edit3->setText(QString::number(z.PrintRangeEnd()));
    ui->Edit8->setText(z.OutputFile());
    ui->Button5->setEnabled(false);
}

void TMainForm::ListBox1Exit()
{
    ui->Button5->setEnabled(true);
}

void TMainForm::Button5Click()
{
    TZantoquiller &z = *Zantoquiller1;

    // Each whole-number field by itself: empty text leaves the property
    // alone; text that is no 32-bit integer, or a value the property
    // refuses, shows the field's message and keeps the old value.
    const auto applyWholeNumber = [this](const QLineEdit *edit, const QString &message,
                                      const std::function<void(qint32)> &assign) {
        const QString text = edit->text();
        if (text.isEmpty())
            return;
        bool ok = false;
        const qint32 value = text.toInt(&ok, 10);
        if (ok) {
            try {
                assign(value);
                return;
            } catch (const eZantoquillError &) { }
        }
        ShowErrorMessage(message);
    };

    if (const int row = rowOf(*ui->ListBox1); row >= 0)
        z.SetPort(static_cast<TIOPortName>(row));
    if (const int row = rowOf(*ui->ListBox2); row >= 0)
        z.SetPrinterType(printerTypeItems[static_cast<std::size_t>(row)]);
    z.SetUseSpooler(ui->CheckBox1->isChecked());
    z.SetSendLineFeed(ui->CheckBox2->isChecked());
    z.SetPrintAllPages(ui->CheckBox3->isChecked());
    applyWholeNumber(ui->Edit4, QStringLiteral("Left Offset, must be a whole number"),
        [&z](qint32 value) { z.SetOffset(value); });
    applyWholeNumber(ui->Edit5, QStringLiteral("Lines Per Page, must be a whole number"),
        [&z](qint32 value) { z.SetLinesPerPage(value); });
    applyWholeNumber(ui->Edit6, QStringLiteral("Characters Per Line, must be a whole number"),
        [&z](qint32 value) { z.SetLineWidth(value); });
    if (const int row = rowOf(*ui->ListBox3); row >= 0)
        z.SetPitch(static_cast<TPitch>(row));
    applyWholeNumber(ui->Edit2, QStringLiteral("Page Start, must be a whole number"),
        [&z](qint32 value) { z.SetPrintRangeStart(value); });
    applyWholeNumber(ui->Edit3, QStringLiteral("Page End, must be a whole number"),
        [&z](qint32 value) { z.SetPrintRangeEnd(value); });
    z.SetOutputFile(ui->Edit8->text());
    ui->Button5->setEnabled(false);
}

void TMainForm::Button1Click()
{
    // Failures go to the application's error box; a translation table set
    // up here stays in place after a failed print.
    try {
        switch (ui->PageControl1->currentIndex()) {
        case MemoPage:
            clearTranslation(*Zantoquiller1);
            Zantoquiller1->PrintMemo(ui->Memo1);
            break;
        case InvoicePage:
            setUpInvoiceTranslation(*Zantoquiller1);
            Zantoquiller1->PrintMemo(ui->Memo2);
            break;
        case SingleLinePage:
            Zantoquiller1->PrintString(ansiCodePage().encode(ui->Edit1->text()));
            break;
        default:
            break;
        }
    } catch (...) {
        HandleException();
    }
}

void TMainForm::Button2Click()
{
    const int page = ui->PageControl1->currentIndex();
    if (page != MemoPage && page != InvoicePage)
        return;
    const QPlainTextEdit &memo = page == MemoPage ? *ui->Memo1 : *ui->Memo2;
    try {
        QPrinter printer(QPrinter::HighResolution);
        printer.setPrinterName(currentPrinterName());
        QPrintDialog dialog(&printer, this);
        if (!m_runSystemDialog(dialog))
            return;
        // As with the system's print dialog, the printer chosen there is the
        // current printer from now on.
        if (printer.outputFormat() == QPrinter::NativeFormat)
            selectPrinter(printer.printerName());
        printLinesAsGraphics(printer, graphicsPrintFont(memo.font()), memoLines(memo));
    } catch (...) {
        HandleException();
    }
}

void TMainForm::Button3Click()
{
    try {
        Zantoquiller1->EditPrinterCodes();
    } catch (...) {
        HandleException();
    }
}

void TMainForm::Button4Click()
{
    try {
        Zantoquiller1->EditTranslationTable();
    } catch (...) {
        HandleException();
    }
}

void TMainForm::Button6Click()
{
    // The printer chosen here is what the port CURRENT, spooler prints and
    // the driver check use; the component's properties stay as they are.
    try {
        QPrinter printer;
        printer.setPrinterName(currentPrinterName());
        QPrintDialog dialog(&printer, this);
        dialog.setWindowTitle(QStringLiteral("Print Setup"));
        if (m_runSystemDialog(dialog) && printer.outputFormat() == QPrinter::NativeFormat)
            selectPrinter(printer.printerName());
    } catch (...) {
        HandleException();
    }
}

void TMainForm::Button7Click()
{
    try {
        // The breaks are single carriage returns, without line feeds.
        const QString message = Zantoquiller1->DriverCompatible()
            ? QStringLiteral("The printer driver for the current printer \r"
                             "appears to support Zantoquiller!")
            : QStringLiteral("The printer driver for the current printer \r"
                             "does NOT support Zantoquiller. \r"
                             "Try a Generic/Text only driver on the same port");
        QMessageBox box(QMessageBox::NoIcon, QCoreApplication::applicationName(), message,
            QMessageBox::Ok, this);
        box.exec();
    } catch (...) {
        HandleException();
    }
}

} // namespace Zanto
