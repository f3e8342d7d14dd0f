// The demonstration window's layout, page changes and setup page, operated
// as a user would.
#include "guidriver.h"
#include "mainform.h"
#include "windowdriver.h"

#include <zantoquiller/codedlg.h>
#include <zantoquiller/transdlg.h>
#include <zantoquiller/zantoquiller.h>

#include <QLabel>
#include <QPlainTextEdit>
#include <QTest>

using namespace Zanto;
using ZantoTest::WindowDriver;

class MainFormSetupTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TMainForm> m_window;
    std::unique_ptr<WindowDriver> m_driver;
    TZantoquiller *z = nullptr;

    WindowDriver &ui() { return *m_driver; }

    // Applies the setup page and returns the messages shown meanwhile.
    QStringList apply()
    {
        return ui().answeringMessageBoxes([this] { ui().click(ui().button("Button5")); });
    }

private Q_SLOTS:
    void init()
    {
        m_window = std::make_unique<TMainForm>();
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        m_driver = std::make_unique<WindowDriver>(*m_window);
        z = m_window->findChild<TZantoquiller *>(QStringLiteral("Zantoquiller1"));
        QVERIFY(z);
    }

    void cleanup()
    {
        m_driver.reset();
        m_window.reset();
    }

    void windowStartsOnTheMemoPageWithTheStoredLayout()
    {
        QCOMPARE(m_window->windowTitle(), QStringLiteral("TZantoquiller Demonstration"));
        QCOMPARE(m_window->objectName(), QStringLiteral("MainForm"));
        QCOMPARE(ui().page(), 0);
        auto *tabs = ui().find<QTabWidget>("PageControl1");
        QCOMPARE(tabs->count(), 5);
        const QStringList captions = {"Printing a TMemo Example", "Character Translation Example",
            "Printing Single Lines of Text Example", "Zantoquiller Setup", "About"};
        for (int i = 0; i < 5; ++i)
            QCOMPARE(tabs->tabText(i), captions[i]);
        QCOMPARE(ui().button("Button1")->text(), QStringLiteral("Print Using TZantoquiller"));
        QCOMPARE(ui().button("Button2")->text(), QStringLiteral("Normal Delphi/Graphics Print"));
        QVERIFY(ui().button("Button1")->isEnabled());
        QVERIFY(ui().button("Button2")->isEnabled());
        QVERIFY(!ui().button("Button5")->isEnabled());
        QCOMPARE(ui().button("Button1")->size(), QSize(153, 20));
        QCOMPARE(ui().button("Button2")->size(), QSize(153, 25));
        QCOMPARE(ui().find<QWidget>("Panel1")->height(), 47);
        QCOMPARE(m_window->font().family(), QStringLiteral("Liberation Sans"));
        QCOMPARE(
            ui().edit("Edit1")->text(), QStringLiteral("Try entering some text then printing it."));
        QCOMPARE(ui().edit("Edit1")->width(), 545);
    }

    void memosHoldTheTwoTextsInAFixedPitchFont()
    {
        auto *memo1 = ui().find<QPlainTextEdit>("Memo1");
        auto *memo2 = ui().find<QPlainTextEdit>("Memo2");
        QCOMPARE(memo1->document()->blockCount(), 109);
        QCOMPARE(memo2->document()->blockCount(), 45);
        QVERIFY(memo2->toPlainText().contains(QStringLiteral("~!Details^|")));
        for (QPlainTextEdit *memo : {memo1, memo2}) {
            QCOMPARE(memo->font().family(), QStringLiteral("Liberation Mono"));
            QCOMPARE(memo->font().pointSize(), 10);
            QCOMPARE(memo->lineWrapMode(), QPlainTextEdit::NoWrap);
            QVERIFY(!memo->isReadOnly());
        }
        QCOMPARE(memo1->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QCOMPARE(memo1->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QCOMPARE(memo2->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        QCOMPARE(memo2->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    }

    void componentHasItsStoredValues()
    {
        QCOMPARE(z->parent(), m_window.get());
        QCOMPARE(z->PrinterType(), ptHPPCL);
        QCOMPARE(z->Port(), poCurrent);
        QVERIFY(z->UseSpooler());
        QCOMPARE(z->LeftOffset(), 0);
        QCOMPARE(z->LinesPerPage(), 0);
        QCOMPARE(z->LineWidth(), 0);
        QCOMPARE(z->Pitch(), cpi10);
        QVERIFY(z->SendLineFeed());
        QCOMPARE(z->LineSpacing(), quint8(1));
        QVERIFY(z->PrintAllPages());
        QCOMPARE(z->PrintRangeStart(), 1);
        QCOMPARE(z->PrintRangeEnd(), 1);
        QCOMPARE(z->Timeout(), quint16(1000));
        QVERIFY(z->OutputFile().isEmpty());
        QVERIFY(z->TransIn().isEmpty());
        QVERIFY(z->TransOut().isEmpty());
        QVERIFY(z->CodeTable() == builtInCodeTable());
    }

    void bottomButtonsFollowThePage()
    {
        QPushButton *print = ui().button("Button1");
        QPushButton *graphics = ui().button("Button2");
        const struct
        {
            int page;
            bool print, graphics;
        } expected[] = {{2, true, false}, {3, false, false}, {4, false, false}, {1, true, true},
            {0, true, true}, {2, true, false}};
        for (const auto &step : expected) {
            ui().showPage(step.page);
            QCOMPARE(ui().page(), step.page);
            QCOMPARE(print->isEnabled(), step.print);
            QCOMPARE(graphics->isEnabled(), step.graphics);
        }
    }

    void setupPageShowsTheComponentsValues()
    {
        z->SetOffset(7);
        z->SetLineWidth(-3);
        z->SetPitch(cpi15);
        z->SetOutputFile(QStringLiteral("/tmp/out.prn"));
        z->SetPrinterType(ptIBM);
        ui().showPage(3);
        QCOMPARE(ui().selectedItem(ui().list("ListBox1")), QStringLiteral("CURRENT"));
        QCOMPARE(ui().selectedItem(ui().list("ListBox2")), QStringLiteral("IBM"));
        QCOMPARE(ui().selectedItem(ui().list("ListBox3")), QStringLiteral("15"));
        QVERIFY(ui().checkBox("CheckBox1")->isChecked());
        QVERIFY(ui().checkBox("CheckBox2")->isChecked());
        QVERIFY(ui().checkBox("CheckBox3")->isChecked());
        QCOMPARE(ui().edit("Edit4")->text(), QStringLiteral("7"));
        QCOMPARE(ui().edit("Edit5")->text(), QStringLiteral("0"));
        QCOMPARE(ui().edit("Edit6")->text(), QStringLiteral("-3"));
        QCOMPARE(ui().edit("Edit2")->text(), QStringLiteral("1"));
        QCOMPARE(ui().edit("Edit3")->text(), QStringLiteral("1"));
        QCOMPARE(ui().edit("Edit8")->text(), QStringLiteral("/tmp/out.prn"));
        QVERIFY(!ui().button("Button5")->isEnabled());
    }

    void choosingPrinterTypesAndApplying()
    {
        ui().showPage(3);
        const struct
        {
            const char *item;
            TPrinterType type;
        } choices[] = {{"Diablo", ptDiablo}, {"IBM", ptIBM}, {"Espom", ptEpson}, {"Plain", ptPlain},
            {"User2", ptUser2}, {"Hewlett Packard", ptHPPCL}};
        for (const auto &choice : choices) {
            ui().clickItem(ui().list("ListBox2"), QString::fromLatin1(choice.item));
            QVERIFY(ui().button("Button5")->isEnabled());
            QCOMPARE(apply(), QStringList());
            QCOMPARE(z->PrinterType(), choice.type);
            QVERIFY(!ui().button("Button5")->isEnabled());
            // Away and back: the page is loaded again and shows the same item.
            ui().showPage(4);
            ui().showPage(3);
            QCOMPARE(ui().selectedItem(ui().list("ListBox2")), QString::fromLatin1(choice.item));
        }
    }

    void portsPitchCheckBoxesAndOutputFileApply()
    {
        ui().showPage(3);
        ui().clickItem(ui().list("ListBox1"), QStringLiteral("FILE"));
        ui().clickItem(ui().list("ListBox3"), QStringLiteral("12"));
        ui().click(ui().checkBox("CheckBox1"));
        ui().click(ui().checkBox("CheckBox2"));
        ui().click(ui().checkBox("CheckBox3"));
        ui().type(ui().edit("Edit8"), QStringLiteral("/tmp/invoice.prn"));
        ui().type(ui().edit("Edit2"), QStringLiteral("3"));
        ui().type(ui().edit("Edit3"), QStringLiteral("9"));
        ui().type(ui().edit("Edit6"), QStringLiteral("80"));
        QCOMPARE(apply(), QStringList());
        QCOMPARE(z->Port(), poDisk);
        QCOMPARE(z->Pitch(), cpi12);
        QVERIFY(!z->UseSpooler());
        QVERIFY(!z->SendLineFeed());
        QVERIFY(!z->PrintAllPages());
        QCOMPARE(z->OutputFile(), QStringLiteral("/tmp/invoice.prn"));
        QCOMPARE(z->PrintRangeStart(), 3);
        QCOMPARE(z->PrintRangeEnd(), 9);
        QCOMPARE(z->LineWidth(), 80);
        // Not on the page: stays as stored.
        QCOMPARE(z->LineSpacing(), quint8(1));
        QCOMPARE(z->Timeout(), quint16(1000));

        ui().click(ui().checkBox("CheckBox1"));
        ui().clickItem(ui().list("ListBox1"), QStringLiteral("COM4:"));
        ui().type(ui().edit("Edit8"), QString());
        QCOMPARE(apply(), QStringList());
        QCOMPARE(z->Port(), poCOM4);
        QVERIFY(z->UseSpooler());
        QVERIFY(z->OutputFile().isEmpty());
    }

    void leftOffsetRefusalsShowTheMessageAndTheRestStillApplies_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("not a number") << QStringLiteral("abc");
        QTest::newRow("negative") << QStringLiteral("-5");
        QTest::newRow("above 3800") << QStringLiteral("4000");
        QTest::newRow("beyond 32 bits") << QStringLiteral("99999999999");
    }

    void leftOffsetRefusalsShowTheMessageAndTheRestStillApplies()
    {
        QFETCH(QString, text);
        z->SetOffset(12);
        ui().showPage(3);
        ui().type(ui().edit("Edit4"), text);
        ui().type(ui().edit("Edit5"), QStringLiteral("66"));
        ui().type(ui().edit("Edit3"), QStringLiteral("4"));
        ui().clickItem(ui().list("ListBox2"), QStringLiteral("Diablo"));

        QCOMPARE(apply(), QStringList {QStringLiteral("Left Offset, must be a whole number")});
        QCOMPARE(z->LeftOffset(), 12);
        QCOMPARE(z->LinesPerPage(), 66);
        QCOMPARE(z->PrintRangeEnd(), 4);
        QCOMPARE(z->PrinterType(), ptDiablo);
        QVERIFY(!ui().button("Button5")->isEnabled());
        // The refused text stays until the page is loaded again.
        QCOMPARE(ui().edit("Edit4")->text(), text);
        ui().showPage(0);
        ui().showPage(3);
        QCOMPARE(ui().edit("Edit4")->text(), QStringLiteral("12"));
    }

    void leftOffsetLimitsAreAccepted()
    {
        ui().showPage(3);
        ui().type(ui().edit("Edit4"), QStringLiteral("3800"));
        QCOMPARE(apply(), QStringList());
        QCOMPARE(z->LeftOffset(), 3800);
        ui().type(ui().edit("Edit4"), QStringLiteral("0"));
        QCOMPARE(apply(), QStringList());
        QCOMPARE(z->LeftOffset(), 0);
    }

    void negativeLinesPerPageIsAccepted()
    {
        ui().showPage(3);
        ui().type(ui().edit("Edit5"), QStringLiteral("-5"));
        QCOMPARE(apply(), QStringList());
        QCOMPARE(z->LinesPerPage(), -5);
    }

    void emptyFieldLeavesThePropertyAloneSilently()
    {
        z->SetLinesPerPage(60);
        ui().showPage(3);
        ui().type(ui().edit("Edit5"), QString());
        ui().type(ui().edit("Edit6"), QStringLiteral("72"));
        QCOMPARE(apply(), QStringList());
        QCOMPARE(z->LinesPerPage(), 60);
        QCOMPARE(z->LineWidth(), 72);
    }

    void everyFailingFieldShowsItsOwnMessageInOrder()
    {
        ui().showPage(3);
        for (const char *name : {"Edit2", "Edit3", "Edit4", "Edit5", "Edit6"})
            ui().type(ui().edit(name), QStringLiteral("x1"));
        ui().type(ui().edit("Edit8"), QStringLiteral("kept.prn"));
        QCOMPARE(apply(),
            (QStringList {QStringLiteral("Left Offset, must be a whole number"),
                QStringLiteral("Lines Per Page, must be a whole number"),
                QStringLiteral("Characters Per Line, must be a whole number"),
                QStringLiteral("Page Start, must be a whole number"),
                QStringLiteral("Page End, must be a whole number")}));
        QCOMPARE(z->OutputFile(), QStringLiteral("kept.prn"));
        QCOMPARE(z->PrintRangeStart(), 1);
        QVERIFY(!ui().button("Button5")->isEnabled());
    }

    void pendingEditsSurviveAPageChange()
    {
        ui().showPage(3);
        ui().type(ui().edit("Edit4"), QStringLiteral("25"));
        ui().clickItem(ui().list("ListBox2"), QStringLiteral("IBM"));
        QVERIFY(ui().button("Button5")->isEnabled());
        ui().showPage(1);
        ui().showPage(3);
        QCOMPARE(ui().edit("Edit4")->text(), QStringLiteral("25"));
        QCOMPARE(ui().selectedItem(ui().list("ListBox2")), QStringLiteral("IBM"));
        QVERIFY(ui().button("Button5")->isEnabled());
        // Nothing is committed until Apply.
        QCOMPARE(z->LeftOffset(), 0);
        QCOMPARE(z->PrinterType(), ptHPPCL);
    }

    void clickingOrLeavingAListBoxMarksThePageEdited()
    {
        ui().showPage(3);
        QVERIFY(!ui().button("Button5")->isEnabled());
        // The already selected item: no change, still an edit.
        ui().clickItem(ui().list("ListBox1"), QStringLiteral("CURRENT"));
        QVERIFY(ui().button("Button5")->isEnabled());
        QCOMPARE(apply(), QStringList());
        QVERIFY(!ui().button("Button5")->isEnabled());

        ui().list("ListBox3")->setFocus();
        QVERIFY(!ui().button("Button5")->isEnabled());
        ui().edit("Edit8")->setFocus();
        QVERIFY(ui().button("Button5")->isEnabled());
    }

    void translationButtonEditsTheComponentsTableAtOnce()
    {
        z->TransIn() = {"~"};
        z->TransOut() = {QByteArray("\x1bG")};
        ui().showPage(3);
        ui().type(ui().edit("Edit4"), QStringLiteral("9")); // pending, unaffected
        QString shownCharacter;
        QString shownCodes;
        const bool opened
            = ZantoTest::driveModal<TTransDlg>([this] { ui().click(ui().button("Button4")); },
                [&](TTransDlg *dialog) {
                    shownCharacter = dialog->Cell(0, 1);
                    shownCodes = dialog->Cell(1, 1);
                    dialog->SetCell(1, 1, QStringLiteral("27,52"));
                    dialog->OKBtnClick();
                });
        QVERIFY(opened);
        QCOMPARE(shownCharacter, QStringLiteral("126"));
        QCOMPARE(shownCodes, QStringLiteral("27,71"));
        QCOMPARE(z->TransOut(),
            QByteArrayList {QByteArray("\x1b"
                                       "4")});
        QCOMPARE(z->LeftOffset(), 0);
        QVERIFY(ui().button("Button5")->isEnabled());
    }

    void printerCodesButtonOpensTheCodeTable()
    {
        ui().showPage(3);
        TPrinterType shown = ptUser2;
        const bool opened
            = ZantoTest::driveModal<TCodeDlg>([this] { ui().click(ui().button("Button3")); },
                [&](TCodeDlg *dialog) { shown = dialog->PrinterOnShow(); });
        QVERIFY(opened);
        QCOMPARE(shown, ptHPPCL);
        // Cancelled: the table is as it was.
        QVERIFY(z->CodeTable() == builtInCodeTable());
    }

    void setupControlsFollowTheirTabOrder()
    {
        ui().showPage(3);
        const char *order[] = {"ListBox1", "ListBox2", "CheckBox1", "CheckBox2", "CheckBox3",
            "Edit2", "Edit3", "Edit4", "Edit5", "Edit6", "Edit8", "Button3", "Button4", "ListBox3",
            "Button5", "Button6", "Button7"};
        for (std::size_t i = 0; i + 1 < std::size(order); ++i) {
            QWidget *from = ui().find<QWidget>(order[i]);
            // The next widget that the Tab key reaches.
            QWidget *next = from->nextInFocusChain();
            while (!(next->focusPolicy() & Qt::TabFocus))
                next = next->nextInFocusChain();
            QCOMPARE(next->objectName(), QString::fromLatin1(order[i + 1]));
        }
    }

    void setupControlsSitWhereTheLayoutPutsThem()
    {
        ui().showPage(3);
        const struct
        {
            const char *name;
            QRect geometry;
        } controls[] = {{"ListBox1", {40, 40, 97, 113}}, {"ListBox2", {200, 40, 89, 113}},
            {"CheckBox1", {320, 40, 161, 17}}, {"Edit2", {456, 84, 41, 21}},
            {"Edit8", {40, 182, 209, 21}}, {"ListBox3", {208, 208, 41, 49}},
            {"Button5", {448, 312, 113, 25}}, {"Button7", {56, 272, 113, 25}}};
        for (const auto &control : controls)
            QCOMPARE(ui().find<QWidget>(control.name)->geometry(), control.geometry);
        QCOMPARE(ui().list("ListBox1")->toolTip(),
            QStringLiteral("Select the printer port to use. Ensure your printer is defined "
                           "in windows attached to the port you select"));
        QCOMPARE(ui().checkBox("CheckBox1")->toolTip(),
            QStringLiteral("Select this to use the windows printer spooler rather than "
                           "talking directly to the hardware (port) - recommended!"));
        QCOMPARE(ui().list("ListBox2")->count(), 7);
        QCOMPARE(ui().list("ListBox2")->item(1)->text(), QStringLiteral("Espom"));
    }
};

ZANTO_GUI_TEST_MAIN(MainFormSetupTest)
#include "tst_mainform_setup.moc"
