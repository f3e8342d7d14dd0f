// The printer codes dialog, driven through TZantoquiller::EditPrinterCodes
// with keys and clicks as a user would.
#include "bytes.h"
#include "guidriver.h"

#include <zantoquiller/codedlg.h>
#include <zantoquiller/codelist.h>
#include <zantoquiller/zantoquiller.h>

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QWheelEvent>

using namespace Zanto;
using namespace ZantoTest;

namespace {

QLineEdit *field(TCodeDlg *dialog, const char *name)
{
    auto *edit = dialog->findChild<QLineEdit *>(QLatin1String(name));
    if (!edit)
        qFatal("no field %s", name);
    return edit;
}

QComboBox *printerCombo(TCodeDlg *dialog)
{
    return dialog->findChild<QComboBox *>(QStringLiteral("PrinterCombo"));
}

QPushButton *button(QWidget *dialog, const char *name)
{
    return dialog->findChild<QPushButton *>(QLatin1String(name));
}

// Opens the list of printer types with a click and picks an entry with the
// arrow keys and Enter.
void pickPrinter(TCodeDlg *dialog, const QString &name)
{
    QComboBox *combo = printerCombo(dialog);
    clickOn(combo);
    QTRY_VERIFY(combo->view()->isVisible());
    const int target = combo->findText(name);
    QVERIFY(target >= 0);
    pressKey(Qt::Key_Home);
    for (int i = 0; i < target; ++i)
        pressKey(Qt::Key_Down);
    pressKey(Qt::Key_Return);
    QTRY_VERIFY(!combo->view()->isVisible());
}

// Turns the mouse wheel one notch down over the printer list.
void wheelDown(QWidget *widget)
{
    const QPointF centre = widget->rect().center();
    QWheelEvent wheel(centre, widget->mapToGlobal(centre), QPoint(), QPoint(0, -120), Qt::NoButton,
        Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(widget, &wheel);
}

const char *const fieldNames[] = {
    "BoldOnEdit",
    "BoldOffEdit",
    "UnderOnEdit",
    "UnderOffEdit",
    "ItalicOnEdit",
    "ItalicOffEdit",
    "SuperOnEdit",
    "SuperOffEdit",
    "SubOnEdit",
    "SubOffEdit",
    "CPI10Edit",
    "CPI12Edit",
    "CPI15Edit",
};

} // namespace

class TestCodeDlg : public QObject
{
    Q_OBJECT

private:
    Watchdog watchdog;

private Q_SLOTS:
    void init() { watchdog.start(); }

    void cleanup()
    {
        watchdog.stop();
        QVERIFY2(!watchdog.fired(), "a dialog hung and was closed by the watchdog");
        QVERIFY(QApplication::activeModalWidget() == nullptr);
    }

    void storedLayout()
    {
        TZantoquiller z;
        const bool ran = driveModal<TCodeDlg>([&] { z.EditPrinterCodes(); },
            [](TCodeDlg *d) {
                QCOMPARE(d->windowTitle(), QStringLiteral("Printer Control Codes"));
                QCOMPARE(d->size(), QSize(484, 346));
                QCOMPARE(d->minimumSize(), QSize(484, 346));
                QCOMPARE(d->maximumSize(), QSize(484, 346));
                QVERIFY(d->windowFlags() & Qt::MSWindowsFixedSizeDialogHint);
                QVERIFY(d->isModal());
                QCOMPARE(focused(), button(d, "OKBtn"));

                const QFontInfo font(d->font());
                QCOMPARE(font.family(), QStringLiteral("Liberation Sans"));
                QCOMPARE(font.pointSize(), 8);
                QVERIFY(font.bold());
                for (const char *name : fieldNames)
                    QVERIFY(QFontInfo(field(d, name)->font()).bold());

                const std::pair<const char *, const char *> labels[] = {
                    {"Label13",
                        "Enter printer control codes as a comma-separated list of decimal "
                        "numbers."},
                    {"Label14", "If the printer does not support a function, leave the box empty."},
                    {"Label7", "Printer Type:"},
                    {"Label1", "ON"},
                    {"Label2", "OFF"},
                    {"Label3", "Bold"},
                    {"Label4", "Underline"},
                    {"Label5", "Italic"},
                    {"Label6", "Superscript"},
                    {"Label8", "Subscript"},
                    {"Label9", "Pitch"},
                    {"Label10", "10 cpi"},
                    {"Label11", "12 cpi"},
                    {"Label12", "15 cpi"},
                };
                for (const auto &[name, text] : labels)
                    QCOMPARE(d->findChild<QLabel *>(QLatin1String(name))->text(),
                        QString::fromLatin1(text));
                QCOMPARE(d->findChild<QLabel *>(QStringLiteral("Label13"))->pos(), QPoint(16, 8));
                QCOMPARE(d->findChild<QLabel *>(QStringLiteral("Label3"))->pos(), QPoint(10, 34));
                QCOMPARE(
                    d->findChild<QLabel *>(QStringLiteral("Label12"))->pos(), QPoint(374, 164));

                QComboBox *combo = printerCombo(d);
                QCOMPARE(combo->geometry().topLeft(), QPoint(98, 53));
                QCOMPARE(combo->width(), 89);
                QVERIFY(!combo->isEditable());
                QStringList items;
                for (int i = 0; i < combo->count(); ++i)
                    items << combo->itemText(i);
                QCOMPARE(items,
                    QStringList({"HP PCL", "Epson", "IBM", "Diablo", "Plain", "User 1", "User 2"}));

                auto *group = d->findChild<QGroupBox *>(QStringLiteral("GroupBox1"));
                QCOMPARE(group->title(), QStringLiteral("Control Codes"));
                QCOMPARE(group->geometry(), QRect(7, 86, 471, 213));
                const QRect fieldRects[] = {
                    {92, 32, 179, 20},
                    {282, 32, 179, 20},
                    {92, 57, 179, 20},
                    {282, 57, 179, 20},
                    {92, 82, 179, 20},
                    {282, 82, 179, 20},
                    {92, 107, 179, 20},
                    {282, 107, 179, 20},
                    {92, 132, 179, 20},
                    {282, 132, 179, 20},
                    {49, 181, 133, 20},
                    {189, 181, 133, 20},
                    {328, 181, 133, 20},
                };
                for (int i = 0; i < 13; ++i) {
                    QCOMPARE(field(d, fieldNames[i])->parentWidget(), group);
                    QCOMPARE(field(d, fieldNames[i])->geometry(), fieldRects[i]);
                }

                QPushButton *ok = button(d, "OKBtn");
                QPushButton *cancel = button(d, "CancelBtn");
                QCOMPARE(ok->text(), QStringLiteral("OK"));
                QCOMPARE(ok->geometry(), QRect(162, 311, 77, 27));
                QVERIFY(ok->isDefault());
                QCOMPARE(cancel->text(), QStringLiteral("Cancel"));
                QCOMPARE(cancel->geometry(), QRect(262, 311, 77, 27));

                // Tab order: OK, Cancel, the list, the thirteen fields, OK again.
                QList<QWidget *> expected {cancel, combo};
                for (const char *name : fieldNames)
                    expected << field(d, name);
                expected << ok;
                for (QWidget *next : expected) {
                    pressKey(Qt::Key_Tab);
                    QCOMPARE(focused(), next);
                }
                clickOn(cancel);
            });
        QVERIFY(ran);
    }

    void okGlyphIsDrawnWithAGreyDisabledImage()
    {
        TZantoquiller z;
        driveModal<TCodeDlg>([&] { z.EditPrinterCodes(); },
            [](TCodeDlg *d) {
                QPushButton *ok = button(d, "OKBtn");
                const QImage enabled = ok->grab().toImage();
                ok->setEnabled(false);
                const QImage disabled = ok->grab().toImage();
                ok->setEnabled(true);
                // The glyph stands 2 pixels from the left edge: green when
                // enabled, grey when disabled.
                auto greenest = [](const QImage &image) {
                    int best = 0;
                    for (int y = 0; y < image.height(); ++y)
                        for (int x = 2; x < 20; ++x) {
                            const QColor c = image.pixelColor(x, y);
                            best = std::max(best, c.green() - std::max(c.red(), c.blue()));
                        }
                    return best;
                };
                QVERIFY(greenest(enabled) > 100);
                QVERIFY(greenest(disabled) < 20);
                clickOn(button(d, "CancelBtn"));
            });
    }

    void opensOnHpPclWhateverThePrinterType()
    {
        TZantoquiller z;
        z.SetPrinterType(ptEpson);
        bool ok = true;
        driveModal<TCodeDlg>([&] { ok = z.EditPrinterCodes(); },
            [](TCodeDlg *d) {
                QCOMPARE(printerCombo(d)->currentText(), QStringLiteral("HP PCL"));
                QCOMPARE(d->PrinterOnShow(), ptHPPCL);
                QCOMPARE(field(d, "BoldOnEdit")->text(), QStringLiteral("27,40,115,51,66"));
                QCOMPARE(field(d, "UnderOffEdit")->text(), QStringLiteral("27,38,100,64"));
                QCOMPARE(field(d, "ItalicOnEdit")->text(), QStringLiteral("27,40,115,49,83"));
                QCOMPARE(field(d, "CPI12Edit")->text(), QStringLiteral("27,40,115,49,50,72"));
                pickPrinter(d, QStringLiteral("IBM"));
                QCOMPARE(d->PrinterOnShow(), ptIBM);
                QCOMPARE(field(d, "CPI10Edit")->text(), QStringLiteral("18"));
                QCOMPARE(field(d, "ItalicOffEdit")->text(), QStringLiteral("27,37,72"));
                pickPrinter(d, QStringLiteral("User 2"));
                for (const char *name : fieldNames)
                    QCOMPARE(field(d, name)->text(), QString());
                clickOn(button(d, "CancelBtn"));
            });
        QVERIFY(!ok);
        QCOMPARE(z.PrinterType(), ptEpson);
    }

    void editsOfTwoTypesAreKeptAcrossSwitches_data()
    {
        QTest::addColumn<bool>("confirm");
        QTest::newRow("Cancel discards them") << false;
        QTest::newRow("OK stores them") << true;
    }

    void editsOfTwoTypesAreKeptAcrossSwitches()
    {
        QFETCH(bool, confirm);
        TZantoquiller z;
        const TCodeTable before = z.CodeTable();
        bool result = !confirm;
        driveModal<TCodeDlg>([&] { result = z.EditPrinterCodes(); },
            [&](TCodeDlg *d) {
                replaceText(field(d, "BoldOnEdit"), QStringLiteral("27,1"));
                pickPrinter(d, QStringLiteral("Epson"));
                QCOMPARE(field(d, "BoldOnEdit")->text(), QStringLiteral("27,71"));
                replaceText(field(d, "BoldOnEdit"), QStringLiteral("27,2"));
                pickPrinter(d, QStringLiteral("HP PCL"));
                QCOMPARE(field(d, "BoldOnEdit")->text(), QStringLiteral("27,1"));
                pickPrinter(d, QStringLiteral("Epson"));
                QCOMPARE(field(d, "BoldOnEdit")->text(), QStringLiteral("27,2"));
                clickOn(button(d, confirm ? "OKBtn" : "CancelBtn"));
            });
        QCOMPARE(result, confirm);
        TCodeTable expected = before;
        if (confirm) {
            expected[ptHPPCL].BoldOn.assign(bytes({27, 1}));
            expected[ptEpson].BoldOn.assign(bytes({27, 2}));
        }
        QVERIFY(z.CodeTable() == expected);
    }

    void escAndTheWindowFrameDiscardEdits()
    {
        TZantoquiller z;
        const TCodeTable before = z.CodeTable();
        bool result = true;
        driveModal<TCodeDlg>([&] { result = z.EditPrinterCodes(); },
            [](TCodeDlg *d) {
                replaceText(field(d, "SubOnEdit"), QStringLiteral("1"));
                pressKey(Qt::Key_Escape);
            });
        QVERIFY(!result);
        result = true;
        driveModal<TCodeDlg>([&] { result = z.EditPrinterCodes(); },
            [](TCodeDlg *d) {
                replaceText(field(d, "SubOnEdit"), QStringLiteral("1"));
                pressKey(Qt::Key_Tab);
                d->close();
            });
        QVERIFY(!result);
        QVERIFY(z.CodeTable() == before);
    }

    void okWithoutChangesKeepsEveryCode()
    {
        TZantoquiller z;
        TCodeTable table = z.CodeTable();
        table[ptUser1].Set10cpi.assign(bytes({0, 255, 0}));
        z.SetCodeTable(table);
        bool result = false;
        driveModal<TCodeDlg>([&] { result = z.EditPrinterCodes(); },
            [](TCodeDlg *d) { clickOn(button(d, "OKBtn")); });
        QVERIFY(result);
        QVERIFY(z.CodeTable() == table);
    }

    void blanksAreRemovedAndLongCodesCutTo20()
    {
        TZantoquiller z;
        QStringList twentyOne;
        for (int i = 1; i <= 21; ++i)
            twentyOne << QString::number(i);
        QByteArray twenty;
        for (int i = 1; i <= 20; ++i)
            twenty += static_cast<char>(i);

        bool result = false;
        driveModal<TCodeDlg>([&] { result = z.EditPrinterCodes(); },
            [&](TCodeDlg *d) {
                replaceText(field(d, "UnderOnEdit"), QStringLiteral(" 27 , 14 "));
                replaceText(field(d, "CPI15Edit"), twentyOne.join(u','));
                replaceText(field(d, "SuperOffEdit"), QString());
                pickPrinter(d, QStringLiteral("Plain"));
                pickPrinter(d, QStringLiteral("HP PCL"));
                QCOMPARE(field(d, "UnderOnEdit")->text(), QStringLiteral("27,14"));
                QCOMPARE(field(d, "CPI15Edit")->text(), StrToASCIIList(twenty));
                QCOMPARE(field(d, "SuperOffEdit")->text(), QString());
                replaceText(field(d, "CPI12Edit"), twentyOne.join(u','));
                clickOn(button(d, "OKBtn"));
            });
        QVERIFY(result);
        const TPrinterCodes &hp = z.CodeTable()[ptHPPCL];
        QCOMPARE(hp.UnderOn.toByteArray(), bytes({27, 14}));
        QCOMPARE(hp.Set15cpi.toByteArray(), twenty);
        QCOMPARE(hp.Set12cpi.toByteArray(), twenty);
        QVERIFY(hp.SuperOff.isEmpty());
        QCOMPARE(hp.ItalicOn.toByteArray(), bytes({27, 40, 115, 49, 83}));

        driveModal<TCodeDlg>([&] { z.EditPrinterCodes(); },
            [&](TCodeDlg *d) {
                QCOMPARE(field(d, "CPI12Edit")->text(), StrToASCIIList(twenty));
                clickOn(button(d, "CancelBtn"));
            });
    }

    void leavingABadFieldShowsTheMessageAndKeepsTheFocus_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        QTest::newRow("300") << "300"
                             << "Invalid character code: 300";
        QTest::newRow("a letter") << "27,A"
                                  << "Invalid character code: A";
    }

    void leavingABadFieldShowsTheMessageAndKeepsTheFocus()
    {
        QFETCH(QString, text);
        QFETCH(QString, message);
        TZantoquiller z;
        const TCodeTable before = z.CodeTable();
        ErrorCapture errors;
        bool result = true;
        driveModal<TCodeDlg>([&] { result = z.EditPrinterCodes(); },
            [&](TCodeDlg *d) {
                QLineEdit *bold = field(d, "BoldOffEdit");
                replaceText(bold, text);

                // By Tab.
                pressKey(Qt::Key_Tab);
                QTRY_COMPARE(errors.messages, QStringList {message});
                QCOMPARE(focused(), bold);
                QCOMPARE(bold->text(), text);

                // By a click on another field, on the list and on OK: the click
                // only brings the message; nothing else happens.
                clickOn(field(d, "CPI10Edit"));
                QTRY_COMPARE(errors.messages.size(), 2);
                QCOMPARE(focused(), bold);
                clickOn(printerCombo(d));
                QTRY_COMPARE(errors.messages.size(), 3);
                QCOMPARE(focused(), bold);
                QVERIFY(!printerCombo(d)->view()->isVisible());
                QCOMPARE(d->PrinterOnShow(), ptHPPCL);
                clickOn(button(d, "OKBtn"));
                QTRY_COMPARE(errors.messages.size(), 4);
                QCOMPARE(errors.messages.last(), message);
                QVERIFY(d->isVisible());
                QCOMPARE(focused(), bold);

                // Leaving it for Cancel: no message, the dialog closes.
                clickOn(button(d, "CancelBtn"));
            });
        QVERIFY(!result);
        QCoreApplication::processEvents();
        QCOMPARE(errors.messages.size(), 4);
        QVERIFY(z.CodeTable() == before);
    }

    void okByEnterStopsAtTheFirstBadField()
    {
        TZantoquiller z;
        const TCodeTable before = z.CodeTable();
        ErrorCapture errors;
        bool result = true;
        driveModal<TCodeDlg>([&] { result = z.EditPrinterCodes(); },
            [&](TCodeDlg *d) {
                replaceText(field(d, "CPI15Edit"), QStringLiteral("15"));
                replaceText(field(d, "BoldOnEdit"), QStringLiteral("1"));
                replaceText(field(d, "ItalicOnEdit"), QStringLiteral("27,,,5"));
                pressKey(Qt::Key_Return);
                QCOMPARE(errors.messages, QStringList {"Invalid character code: "});
                QVERIFY(d->isVisible());
                QCOMPARE(focused(), field(d, "ItalicOnEdit"));
                // The fields before the bad one are stored in the dialog's copy,
                // the ones after it are not.
                const TPrinterCodes &hp = d->EditedCodes()[ptHPPCL];
                QCOMPARE(hp.BoldOn.toByteArray(), bytes({1}));
                QCOMPARE(hp.ItalicOn, before[ptHPPCL].ItalicOn);
                QCOMPARE(hp.Set15cpi, before[ptHPPCL].Set15cpi);
                clickOn(button(d, "CancelBtn"));
            });
        QVERIFY(!result);
        QVERIFY(z.CodeTable() == before);

        // Corrected, Enter confirms.
        driveModal<TCodeDlg>([&] { result = z.EditPrinterCodes(); },
            [&](TCodeDlg *d) {
                replaceText(field(d, "ItalicOnEdit"), QStringLiteral("27,,5"));
                pressKey(Qt::Key_Return);
            });
        QVERIFY(result);
        QCOMPARE(z.CodeTable()[ptHPPCL].ItalicOn.toByteArray(), bytes({27, 5}));
        QCOMPARE(errors.messages.size(), 1);
    }

    void aFailedSwitchKeepsTheFieldsWithThePreviousType()
    {
        TZantoquiller z;
        ErrorCapture errors;
        bool result = false;
        driveModal<TCodeDlg>([&] { result = z.EditPrinterCodes(); },
            [&](TCodeDlg *d) {
                pickPrinter(d, QStringLiteral("Diablo"));
                replaceText(field(d, "BoldOnEdit"), QStringLiteral("7"));
                replaceText(field(d, "BoldOffEdit"), QStringLiteral("-1"));
                // The wheel over the list switches without taking the focus.
                wheelDown(printerCombo(d));
                QCOMPARE(errors.messages, QStringList {"Invalid character code: -1"});
                QCOMPARE(d->PrinterOnShow(), ptDiablo);
                QCOMPARE(printerCombo(d)->currentText(), QStringLiteral("Diablo"));
                QCOMPARE(field(d, "BoldOnEdit")->text(), QStringLiteral("7"));
                QCOMPARE(field(d, "BoldOffEdit")->text(), QStringLiteral("-1"));
                replaceText(field(d, "BoldOffEdit"), QStringLiteral("8"));
                wheelDown(printerCombo(d));
                QCOMPARE(d->PrinterOnShow(), ptPlain);
                QCOMPARE(field(d, "BoldOnEdit")->text(), QString());
                clickOn(button(d, "OKBtn"));
            });
        QVERIFY(result);
        QCOMPARE(errors.messages.size(), 1);
        QCOMPARE(z.CodeTable()[ptDiablo].BoldOn.toByteArray(), bytes({7}));
        QCOMPARE(z.CodeTable()[ptDiablo].BoldOff.toByteArray(), bytes({8}));
        QVERIFY(z.CodeTable()[ptPlain].BoldOn.isEmpty());
    }

    void theDialogLivesForOneCall()
    {
        TZantoquiller z;
        QPointer<TCodeDlg> seen;
        driveModal<TCodeDlg>([&] { z.EditPrinterCodes(); },
            [&](TCodeDlg *d) {
                seen = d;
                QVERIFY(d->parentWidget() == nullptr);
                clickOn(button(d, "CancelBtn"));
            });
        QVERIFY(seen.isNull());
    }
};

ZANTO_GUI_TEST_MAIN(TestCodeDlg)
#include "tst_codedlg.moc"
