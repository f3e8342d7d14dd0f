// The demonstration window with the private print server: the printer setup,
// the driver check, and both print buttons on the current printer.
#include "bytes.h"
#include "cupsharness.h"
#include "guidriver.h"
#include "mainform.h"
#include "windowdriver.h"

#include <zantoquiller/printers.h>
#include <zantoquiller/zantoquiller.h>

#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QTest>

using namespace Zanto;
using ZantoTest::bytes;
using ZantoTest::WindowDriver;
namespace Cups = ZantoTest::Cups;

class MainFormCupsTest : public QObject
{
    Q_OBJECT

private:
    // Errors nobody expected, kept from blocking the run in an error box.
    std::unique_ptr<ZantoTest::ErrorCapture> m_unexpectedErrors;
    std::unique_ptr<TMainForm> m_window;
    std::unique_ptr<WindowDriver> m_driver;
    TZantoquiller *z = nullptr;

    WindowDriver &ui() { return *m_driver; }

    // Presses "Windows Print Setup" and chooses printer in the dialog.
    void choosePrinter(const QString &printer)
    {
        m_window->setSystemDialogRunner([printer](QPrintDialog &dialog) {
            dialog.printer()->setPrinterName(printer);
            return true;
        });
        ui().showPage(3);
        ui().click(ui().button("Button6"));
    }

    QStringList checkDriver()
    {
        ui().showPage(3);
        return ui().answeringMessageBoxes([this] { ui().click(ui().button("Button7")); });
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY2(Cups::available(), "run through ctest: needs the server"); }

    void init()
    {
        selectDefaultPrinter();
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
        selectDefaultPrinter();
    }

    void printerSetupChangesTheCurrentPrinterOnly()
    {
        Cups::CaptureQueue queue(QStringLiteral("zanto-demo-setup"));
        QCOMPARE(currentPrinterName(), Cups::defaultQueue());
        choosePrinter(queue.name());
        QCOMPARE(currentPrinterName(), queue.name());
        QCOMPARE(z->PortToString(poCurrent), queue.deviceUri());
        QCOMPARE(z->Port(), poCurrent);
        QVERIFY(z->UseSpooler());
        QVERIFY(!ui().button("Button5")->isEnabled());
    }

    void cancelledPrinterSetupKeepsTheCurrentPrinter()
    {
        Cups::CaptureQueue queue(QStringLiteral("zanto-demo-cancel"));
        m_window->setSystemDialogRunner([&queue](QPrintDialog &dialog) {
            dialog.printer()->setPrinterName(queue.name());
            return false;
        });
        ui().showPage(3);
        ui().click(ui().button("Button6"));
        QCOMPARE(currentPrinterName(), Cups::defaultQueue());
    }

    void driverCheckOfAQueueThatTakesRawData()
    {
        Cups::CaptureQueue queue(QStringLiteral("zanto-demo-raw"));
        choosePrinter(queue.name());
        QCOMPARE(checkDriver(),
            QStringList {QStringLiteral("The printer driver for the current printer \rappears to "
                                        "support Zantoquiller!")});
    }

    void driverCheckOfAPrinterThatRefusesRawData()
    {
        selectPrinter(Cups::noRawPrinterUri());
        QCOMPARE(checkDriver(),
            QStringList {QStringLiteral("The printer driver for the current printer \r"
                                        "does NOT support Zantoquiller. \r"
                                        "Try a Generic/Text only driver on the same port")});
    }

    void graphicsPrintIsAJobOnTheCurrentPrinter()
    {
        Cups::CaptureQueue queue(QStringLiteral("zanto-demo-graphics"));
        choosePrinter(queue.name());
        QString dialogPrinter;
        m_window->setSystemDialogRunner([&dialogPrinter](QPrintDialog &dialog) {
            dialogPrinter = dialog.printer()->printerName();
            return true;
        });
        ui().showPage(1);
        ui().click(ui().button("Button2"));
        QCOMPARE(dialogPrinter, queue.name());
        const QByteArrayList jobs = queue.received(1);
        QCOMPARE(jobs.size(), 1);
        // A page description, not the invoice's characters.
        QVERIFY(jobs.first().startsWith("%PDF"));
        QVERIFY(!jobs.first().contains("HARBOURSIDE"));
    }

    void singleLineOnPortCurrentGoesToThePrintersDevice()
    {
        Cups::CaptureQueue queue(QStringLiteral("zanto-demo-line"));
        choosePrinter(queue.name());
        ui().showPage(2);
        ui().type(ui().edit("Edit1"), QStringLiteral("one line"));
        ui().click(ui().button("Button1"));
        QCOMPARE(queue.received(1), QByteArrayList {"one line"});
    }

    void invoiceThroughTheSpoolerOnTheCurrentPrinter()
    {
        Cups::CaptureQueue queue(QStringLiteral("zanto-demo-invoice"));
        choosePrinter(queue.name());
        ui().clickItem(ui().list("ListBox2"), QStringLiteral("Espom"));
        ui().click(ui().button("Button5"));
        ui().showPage(1);
        ui().click(ui().button("Button1"));
        const QByteArrayList jobs = queue.received(1);
        QCOMPARE(jobs.size(), 1);
        QVERIFY(jobs.first().startsWith(bytes({27, 80})));
        QVERIFY(jobs.first().contains(
            bytes({27, 71, 27, 45, 49}) + "Details" + bytes({27, 72, 27, 45, 48}) + "\r\n"));
    }
};

ZANTO_GUI_TEST_MAIN(MainFormCupsTest)
#include "tst_mainform_cups.moc"
