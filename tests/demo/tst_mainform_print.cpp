// Printing from the demonstration window: the memo, the invoice with its
// markup translated, a single line, and the graphics print for comparison.
#include "bytes.h"
#include "guidriver.h"
#include "mainform.h"
#include "tempdir.h"
#include "windowdriver.h"

#include <zantoquiller/zantoquiller.h>

#include <QPageSize>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QRegularExpression>
#include <QTest>

using namespace Zanto;
using ZantoTest::bytes;
using ZantoTest::WindowDriver;

namespace {

// What a memo print to a file holds: the pitch code, then every line of the
// text with each markup character replaced, ended by CR LF.
QByteArray expectedPrint(const QByteArray &pitch, const QString &memoText,
    const QList<std::pair<char, QByteArray>> &replacements)
{
    QByteArray out = pitch;
    for (const QString &line : memoText.split(u'\n')) {
        QByteArray printed;
        for (char c : line.toLatin1()) {
            auto match = std::find_if(replacements.begin(), replacements.end(),
                [c](const auto &entry) { return entry.first == c; });
            printed += match == replacements.end() ? QByteArray(1, c) : match->second;
        }
        out += printed + "\r\n";
    }
    return out;
}

} // namespace

class MainFormPrintTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<ZantoTest::TempDir> m_dir;
    // Errors nobody expected, kept from blocking the run in an error box.
    std::unique_ptr<ZantoTest::ErrorCapture> m_unexpectedErrors;
    std::unique_ptr<TMainForm> m_window;
    std::unique_ptr<WindowDriver> m_driver;
    TZantoquiller *z = nullptr;

    WindowDriver &ui() { return *m_driver; }
    QString outputFile() const { return m_dir->filePath(QStringLiteral("out.prn")); }

    QStringList apply()
    {
        return ui().answeringMessageBoxes([this] { ui().click(ui().button("Button5")); });
    }

    // On the setup page: port FILE to outputFile(), the given printer type.
    void printToFileAs(const QString &printerType)
    {
        ui().showPage(3);
        ui().clickItem(ui().list("ListBox1"), QStringLiteral("FILE"));
        ui().clickItem(ui().list("ListBox2"), printerType);
        ui().type(ui().edit("Edit8"), outputFile());
        QCOMPARE(apply(), QStringList());
    }

    QString memoText(const char *name) const
    {
        return m_window->findChild<QPlainTextEdit *>(QString::fromLatin1(name))->toPlainText();
    }

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<ZantoTest::TempDir>();
        m_unexpectedErrors = std::make_unique<ZantoTest::ErrorCapture>();
        m_window = std::make_unique<TMainForm>();
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        m_driver = std::make_unique<WindowDriver>(*m_window);
        z = m_window->Zantoquiller1;
    }

    void cleanup()
    {
        m_driver.reset();
        m_window.reset();
        const QStringList errors = std::exchange(m_unexpectedErrors, nullptr)->messages;
        QVERIFY2(errors.isEmpty(), qPrintable(errors.join(u'\n')));
        m_dir.reset();
    }

    void invoiceWithEpsonGetsBoldAndUnderlineCodes()
    {
        printToFileAs(QStringLiteral("Espom"));
        ui().showPage(1);
        ui().click(ui().button("Button1"));

        const QByteArray printed = ZantoTest::readFile(outputFile());
        QVERIFY(printed.contains(
            bytes({27, 71, 27, 45, 49}) + "Details" + bytes({27, 72, 27, 45, 48}) + "\r\n"));
        QCOMPARE(printed,
            expectedPrint(bytes({27, 80}), memoText("Memo2"),
                {{'~', bytes({27, 71})}, {'^', bytes({27, 72})}, {'!', bytes({27, 45, 49})},
                    {'|', bytes({27, 45, 48})}}));
        // The table stays in place after the print.
        QCOMPARE(z->TransIn(), (QByteArrayList {"~", "^", "!", "|"}));
        QCOMPARE(z->TransOut().first(), bytes({27, 71}));
    }

    void invoiceWithPlainLosesItsMarkup()
    {
        printToFileAs(QStringLiteral("Plain"));
        ui().showPage(1);
        ui().click(ui().button("Button1"));

        const QByteArray printed = ZantoTest::readFile(outputFile());
        QVERIFY(printed.contains("Invoice No: 004217"));
        for (char markup : {'~', '^', '!', '|'})
            QVERIFY(!printed.contains(markup));
        // Plain has no pitch code: the file starts with the first text line.
        QCOMPARE(printed,
            expectedPrint({}, memoText("Memo2"), {{'~', {}}, {'^', {}}, {'!', {}}, {'|', {}}}));
    }

    void memoAfterTheInvoicePrintsMarkupCharactersUnchanged()
    {
        printToFileAs(QStringLiteral("Hewlett Packard"));
        ui().showPage(1);
        ui().click(ui().button("Button1"));
        QVERIFY(ZantoTest::readFile(outputFile()).contains(bytes({27, 40, 115, 51, 66})));

        ui().showPage(0);
        ui().click(ui().button("Button1"));
        QVERIFY(z->TransIn().isEmpty());
        QVERIFY(z->TransOut().isEmpty());
        const QByteArray printed = ZantoTest::readFile(outputFile());
        QCOMPARE(printed.count('~'), 2);
        QCOMPARE(printed.count('!'), 3);
        QCOMPARE(printed, expectedPrint(bytes({27, 40, 115, 49, 48, 72}), memoText("Memo1"), {}));
    }

    void pendingEditsAreNotUsedByAPrint()
    {
        printToFileAs(QStringLiteral("Plain"));
        ui().type(ui().edit("Edit4"), QStringLiteral("5"));
        ui().clickItem(ui().list("ListBox2"), QStringLiteral("Espom"));
        ui().showPage(0);
        ui().click(ui().button("Button1"));
        // Committed values: Plain, no offset.
        QCOMPARE(ZantoTest::readFile(outputFile()), expectedPrint({}, memoText("Memo1"), {}));

        ui().showPage(3);
        QCOMPARE(ui().edit("Edit4")->text(), QStringLiteral("5"));
        QCOMPARE(ui().selectedItem(ui().list("ListBox2")), QStringLiteral("Espom"));
        QVERIFY(ui().button("Button5")->isEnabled());
    }

    void editedMemoTextIsWhatPrints()
    {
        printToFileAs(QStringLiteral("Plain"));
        ui().showPage(0);
        auto *memo = m_window->findChild<QPlainTextEdit *>(QStringLiteral("Memo1"));
        memo->selectAll();
        QTest::keyClicks(memo, QStringLiteral("short"));
        ui().click(ui().button("Button1"));
        QCOMPARE(ZantoTest::readFile(outputFile()), QByteArray("short\r\n"));
    }

    void singleLineGoesToTheFileUnchanged()
    {
        m_dir->write(QStringLiteral("out.prn"), "old content that must go");
        printToFileAs(QStringLiteral("Espom"));
        ui().showPage(2);
        ui().type(ui().edit("Edit1"), QStringLiteral("~Hello! ^ |world"));
        ui().click(ui().button("Button1"));
        QCOMPARE(ZantoTest::readFile(outputFile()), QByteArray("~Hello! ^ |world"));
    }

    void failedInvoicePrintReachesTheErrorBoxAndKeepsTheTable()
    {
        ui().showPage(3);
        ui().clickItem(ui().list("ListBox1"), QStringLiteral("FILE"));
        ui().clickItem(ui().list("ListBox2"), QStringLiteral("IBM"));
        ui().type(ui().edit("Edit8"), m_dir->filePath(QStringLiteral("missing/out.prn")));
        QCOMPARE(apply(), QStringList());
        ui().showPage(1);
        {
            ZantoTest::ErrorCapture errors;
            ui().click(ui().button("Button1"));
            QCOMPARE(errors.messages, QStringList {QStringLiteral("Failed to open port")});
        }
        QCOMPARE(z->TransIn(), (QByteArrayList {"~", "^", "!", "|"}));
        QCOMPARE(z->TransOut().first(), bytes({27, 69}));

        // The window goes on working.
        ui().showPage(3);
        ui().type(ui().edit("Edit8"), outputFile());
        QCOMPARE(apply(), QStringList());
        ui().showPage(1);
        ui().click(ui().button("Button1"));
        QVERIFY(ZantoTest::readFile(outputFile())
                    .contains(bytes({27, 69}) + "Invoice" + bytes({27, 70})));
    }

    void singleLineToFileWithoutANameFails()
    {
        ui().showPage(3);
        ui().clickItem(ui().list("ListBox1"), QStringLiteral("FILE"));
        ui().type(ui().edit("Edit8"), QString());
        QCOMPARE(apply(), QStringList());
        QVERIFY(z->OutputFile().isEmpty());
        ui().showPage(2);
        ZantoTest::ErrorCapture errors;
        ui().click(ui().button("Button1"));
        QCOMPARE(errors.messages, QStringList {QStringLiteral("Failed to open port")});
        QVERIFY(ui().button("Button1")->isEnabled());
    }

    void graphicsPrintWritesTheMemoPagesToThePrinter()
    {
        const QString pdf = m_dir->filePath(QStringLiteral("memo.pdf"));
        m_window->setSystemDialogRunner([&pdf](QPrintDialog &dialog) {
            dialog.printer()->setOutputFileName(pdf);
            dialog.printer()->setPageSize(QPageSize(QPageSize::A4));
            return true;
        });
        ui().showPage(0);
        ui().click(ui().button("Button2"));
        const QByteArray document = ZantoTest::readFile(pdf);
        QVERIFY(document.startsWith("%PDF"));
        // 109 lines of 10 point text on A4 without margins: two pages.
        static const QRegularExpression page(QStringLiteral("/Type /Page\\b(?!s)"));
        QCOMPARE(QString::fromLatin1(document).count(page), 2);
        // Nothing of the component is used.
        QVERIFY(z->TransIn().isEmpty());
    }

    void cancellingThePrintDialogPrintsNothing()
    {
        const QString pdf = m_dir->filePath(QStringLiteral("cancelled.pdf"));
        m_window->setSystemDialogRunner([&pdf](QPrintDialog &dialog) {
            dialog.printer()->setOutputFileName(pdf);
            return false;
        });
        ui().showPage(1);
        ui().click(ui().button("Button2"));
        QVERIFY(!QFile::exists(pdf));
    }
};

ZANTO_GUI_TEST_MAIN(MainFormPrintTest)
#include "tst_mainform_print.moc"
