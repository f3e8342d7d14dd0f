// The translation table dialog, driven through
// TZantoquiller::EditTranslationTable with keys and clicks as a user would.
#include "bytes.h"
#include "guidriver.h"

#include <zantoquiller/transdlg.h>
#include <zantoquiller/zantoquiller.h>

#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>

using namespace Zanto;
using namespace ZantoTest;

namespace {

QTableWidget *grid(TTransDlg *dialog)
{
    return dialog->findChild<QTableWidget *>(QStringLiteral("Grid"));
}

QPushButton *button(TTransDlg *dialog, const char *name)
{
    return dialog->findChild<QPushButton *>(QLatin1String(name));
}

// Clicks a cell; rows count as in the grid, 1 being the first data row.
void clickCell(TTransDlg *dialog, int row, int column)
{
    QTableWidget *table = grid(dialog);
    const QModelIndex index = table->model()->index(row - 1, column);
    table->scrollTo(index);
    clickOn(table->viewport(), table->visualRect(index).center());
}

// Types into a cell, replacing what it held, and ends the edit with Tab.
// Typing starts the edit; an empty text is typed by F2, select all, Delete.
void typeIntoCell(TTransDlg *dialog, int row, int column, const QString &text)
{
    clickCell(dialog, row, column);
    if (text.isEmpty()) {
        pressKey(Qt::Key_F2);
        pressKey(Qt::Key_A, Qt::ControlModifier);
        pressKey(Qt::Key_Delete);
    } else {
        typeText(text);
    }
    pressKey(Qt::Key_Tab);
}

// What the window manager does when a message box closes: the dialog under
// it becomes the active window again (the offscreen platform does not).
void reactivate(QWidget *window)
{
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window));
}

// The grid's data rows as "character|codes".
QStringList rows(TTransDlg *dialog)
{
    QStringList result;
    for (int row = 1; row < dialog->RowCount(); ++row)
        result << dialog->Cell(0, row) + u'|' + dialog->Cell(1, row);
    return result;
}

struct Table
{
    QByteArrayList in;
    QByteArrayList out;
};

// The component with a table; the dialog's result and the lists after it.
struct Edit
{
    bool result = false;
    Table table;
};

Edit edit(const Table &start, const std::function<void(TTransDlg *)> &script)
{
    TZantoquiller z;
    z.SetTransIn(start.in);
    z.SetTransOut(start.out);
    Edit edit;
    const bool ran = driveModal<TTransDlg>([&] { edit.result = z.EditTranslationTable(); }, script);
    if (!ran)
        qWarning("the dialog did not open");
    edit.table = {z.TransIn(), z.TransOut()};
    return edit;
}

const Table threePairs {{"~", "^", "!"}, {bytes({27, 71}), bytes({27, 72}), QByteArray()}};

} // namespace

class TestTransDlg : public QObject
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
        edit(threePairs, [](TTransDlg *d) {
            QCOMPARE(d->windowTitle(), QStringLiteral("Character Translation Table"));
            QCOMPARE(d->size(), QSize(332, 277));
            QCOMPARE(d->minimumSize(), d->maximumSize());
            QVERIFY(d->windowFlags() & Qt::MSWindowsFixedSizeDialogHint);
            QCOMPARE(focused(), button(d, "OKBtn"));
            QVERIFY(button(d, "OKBtn")->isDefault());

            const std::tuple<const char *, const char *, QPoint> labels[] = {
                {"Label1", "Characters on the left of the table will be replaced", {8, 8}},
                {"Label2", "by the codes on the right when printing.  All numbers", {8, 23}},
                {"Label3", "are decimal ASCII values, with multiple bytes", {8, 38}},
                {"Label4", "separated by commas.", {8, 54}},
            };
            for (const auto &[name, text, position] : labels) {
                auto *label = d->findChild<QLabel *>(QLatin1String(name));
                QCOMPARE(label->text(), QString::fromLatin1(text));
                QCOMPARE(label->pos(), position);
            }

            QTableWidget *table = grid(d);
            QCOMPARE(table->geometry(), QRect(7, 80, 318, 152));
            QCOMPARE(table->columnCount(), 2);
            QCOMPARE(table->horizontalHeaderItem(0)->text(), QStringLiteral("Char"));
            QCOMPARE(table->horizontalHeaderItem(1)->text(), QStringLiteral("Codes"));
            QCOMPARE(d->Cell(0, 0), QStringLiteral("Char"));
            QCOMPARE(table->columnWidth(0), 55);
            QCOMPARE(table->columnWidth(1), 244);
            QVERIFY(!table->verticalHeader()->isVisible());
            QCOMPARE(table->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
            QVERIFY(table->showGrid());
            QVERIFY(table->verticalScrollBar()->hasTracking());
            QVERIFY(table->tabKeyNavigation());
            QCOMPARE(table->selectionMode(), QAbstractItemView::ContiguousSelection);

            const std::tuple<const char *, const char *, const char *, QRect> buttons[] = {
                {"AddButton", "Add", "Add new row to end", {6, 243, 45, 27}},
                {"InsertButton", "Insert", "Insert new row above current row", {56, 243, 45, 27}},
                {"DeleteButton", "Delete", "Delete current row", {106, 243, 45, 27}},
                {"OKBtn", "OK", "", {164, 243, 77, 27}},
                {"CancelBtn", "Cancel", "", {249, 243, 77, 27}},
            };
            for (const auto &[name, text, hint, rect] : buttons) {
                QPushButton *b = button(d, name);
                QCOMPARE(b->text(), QString::fromLatin1(text));
                QCOMPARE(b->toolTip(), QString::fromLatin1(hint));
                QCOMPARE(b->geometry(), rect);
            }

            const QFontInfo font(table->font());
            QCOMPARE(font.family(), QStringLiteral("Liberation Sans"));
            QCOMPARE(font.pointSize(), 8);
            QVERIFY(font.bold());
            QVERIFY(QFontInfo(button(d, "OKBtn")->font()).bold());
            QVERIFY(!QFontInfo(button(d, "AddButton")->font()).bold());
            QVERIFY(!QFontInfo(button(d, "DeleteButton")->font()).bold());

            // Tab order: OK, Cancel, the grid, Add, Insert, Delete, OK. Inside
            // the grid Tab goes from cell to cell, from the last to the first.
            pressKey(Qt::Key_Tab);
            QCOMPARE(focused(), button(d, "CancelBtn"));
            pressKey(Qt::Key_Tab);
            QCOMPARE(focused(), table);
            QCOMPARE(table->currentRow(), 0);
            QCOMPARE(table->currentColumn(), 0);
            pressKey(Qt::Key_Tab);
            QCOMPARE(table->currentColumn(), 1);
            for (int i = 0; i < 4; ++i)
                pressKey(Qt::Key_Tab);
            QCOMPARE(table->currentRow(), 2);
            QCOMPARE(table->currentColumn(), 1);
            pressKey(Qt::Key_Tab);
            QCOMPARE(focused(), table);
            QCOMPARE(table->currentRow(), 0);
            QCOMPARE(table->currentColumn(), 0);
            clickOn(button(d, "AddButton"));
            pressKey(Qt::Key_Tab);
            QCOMPARE(focused(), button(d, "InsertButton"));
            pressKey(Qt::Key_Tab);
            QCOMPARE(focused(), button(d, "DeleteButton"));
            pressKey(Qt::Key_Tab);
            QCOMPARE(focused(), button(d, "OKBtn"));
            pressKey(Qt::Key_Escape);
        });
    }

    void anEmptyTableShowsOneBlankRow()
    {
        const Edit e = edit({}, [](TTransDlg *d) {
            QCOMPARE(d->RowCount(), 2);
            QCOMPARE(rows(d), QStringList {"|"});
            clickOn(button(d, "OKBtn"));
        });
        QVERIFY(e.result);
        QVERIFY(e.table.in.isEmpty());
        QVERIFY(e.table.out.isEmpty());
    }

    void threePairsComeBackUnchanged()
    {
        const Edit e = edit(threePairs, [](TTransDlg *d) {
            QCOMPARE(rows(d), QStringList({"126|27,71", "94|27,72", "33|"}));
            QCOMPARE(d->Row(), 1);
            clickOn(button(d, "OKBtn"));
        });
        QVERIFY(e.result);
        QCOMPARE(e.table.in, threePairs.in);
        QCOMPARE(e.table.out, threePairs.out);
    }

    void aTypedRowBecomesAPair()
    {
        const Edit e = edit({}, [](TTransDlg *d) {
            typeIntoCell(d, 1, 0, QStringLiteral("65"));
            typeIntoCell(d, 1, 1, QStringLiteral("27, 14"));
            QCOMPARE(rows(d), QStringList {"65|27, 14"});
            clickOn(button(d, "OKBtn"));
        });
        QVERIFY(e.result);
        QCOMPARE(e.table.in, QByteArrayList {"A"});
        QCOMPARE(e.table.out, QByteArrayList {bytes({27, 14})});
    }

    void aCellBeingEditedIsTakenByOk()
    {
        const Edit e = edit({}, [](TTransDlg *d) {
            typeIntoCell(d, 1, 0, QStringLiteral("0"));
            clickCell(d, 1, 1);
            typeText(QStringLiteral("255,0"));
            clickOn(button(d, "OKBtn"));
        });
        QVERIFY(e.result);
        QCOMPARE(e.table.in, QByteArrayList {bytes({0})});
        QCOMPARE(e.table.out, QByteArrayList {bytes({255, 0})});
    }

    void badCharacterCellsAreRefused_data()
    {
        QTest::addColumn<QString>("cell");
        QTest::newRow("256") << "256";
        QTest::newRow("-1") << "-1";
        QTest::newRow("A") << "A";
    }

    void badCharacterCellsAreRefused()
    {
        QFETCH(QString, cell);
        ErrorCapture errors;
        QString boxText;
        QMessageBox::Icon boxIcon = QMessageBox::NoIcon;
        int boxButtons = 0;
        const Edit e = edit(threePairs, [&](TTransDlg *d) {
            typeIntoCell(d, 2, 0, cell);
            clickCell(d, 1, 1);
            whenModal<QMessageBox>([&](QMessageBox *box) {
                boxText = box->text();
                boxIcon = box->icon();
                boxButtons = static_cast<int>(box->buttons().size());
                clickOn(box->button(QMessageBox::Ok));
            });
            clickOn(button(d, "OKBtn"));
            QCOMPARE(boxText, QStringLiteral("Invalid character code: ") + cell);
            QVERIFY(d->isVisible());
            QCOMPARE(d->Row(), 2);
            QCOMPARE(d->focusWidget(), grid(d));
            reactivate(d);
            QCOMPARE(focused(), grid(d));
            clickOn(button(d, "CancelBtn"));
        });
        QVERIFY(!e.result);
        QCOMPARE(boxIcon, QMessageBox::Critical);
        QCOMPARE(boxButtons, 1);
        QVERIFY(errors.messages.isEmpty());
        QCOMPARE(e.table.in, threePairs.in);
        QCOMPARE(e.table.out, threePairs.out);
    }

    void aBadCodesCellIsRefusedWithTheConversionError()
    {
        ErrorCapture errors;
        const Edit e = edit(threePairs, [&](TTransDlg *d) {
            typeIntoCell(d, 3, 1, QStringLiteral("27,300"));
            // A faulty character cell further down is not reached.
            typeIntoCell(d, 1, 1, QStringLiteral("1"));
            clickOn(button(d, "AddButton"));
            typeIntoCell(d, 4, 0, QStringLiteral("x"));
            clickOn(button(d, "OKBtn"));
            QCOMPARE(errors.messages, QStringList {"Invalid character code: 300"});
            QVERIFY(d->isVisible());
            QCOMPARE(d->Row(), 3);
            clickOn(button(d, "CancelBtn"));
        });
        QVERIFY(!e.result);
        QCOMPARE(e.table.in, threePairs.in);
        QCOMPARE(e.table.out, threePairs.out);
    }

    void rowsWithoutACharacterAreDropped()
    {
        ErrorCapture errors;
        const Edit e = edit(threePairs, [&](TTransDlg *d) {
            typeIntoCell(d, 1, 0, QString());
            typeIntoCell(d, 1, 1, QStringLiteral("not codes"));
            clickOn(button(d, "AddButton"));
            typeIntoCell(d, 4, 1, QStringLiteral("1,2,3"));
            clickOn(button(d, "OKBtn"));
        });
        QVERIFY(e.result);
        QVERIFY(errors.messages.isEmpty());
        QCOMPARE(e.table.in, QByteArrayList({"^", "!"}));
        QCOMPARE(e.table.out, QByteArrayList({bytes({27, 72}), QByteArray()}));
    }

    void duplicatesStayInRowOrder()
    {
        const Edit e = edit({}, [&](TTransDlg *d) {
            typeIntoCell(d, 1, 0, QStringLiteral("126"));
            typeIntoCell(d, 1, 1, QStringLiteral("1"));
            clickOn(button(d, "AddButton"));
            typeIntoCell(d, 2, 0, QStringLiteral("$7E"));
            typeIntoCell(d, 2, 1, QStringLiteral("2"));
            clickOn(button(d, "OKBtn"));
        });
        QVERIFY(e.result);
        QCOMPARE(e.table.in, QByteArrayList({"~", "~"}));
        QCOMPARE(e.table.out, QByteArrayList({bytes({1}), bytes({2})}));
    }

    void onlyTheFirstCharacterOfAnEntryIsShownAndKept()
    {
        const Edit e = edit({{"ab", "", "c"}, {"1", "2", "3", "beyond"}}, [](TTransDlg *d) {
            QCOMPARE(rows(d), QStringList({"97|49", "|50", "99|51"}));
            clickOn(button(d, "OKBtn"));
        });
        QVERIFY(e.result);
        QCOMPARE(e.table.in, QByteArrayList({"a", "c"}));
        QCOMPARE(e.table.out, QByteArrayList({"1", "3"}));
    }

    void aShorterTransOutStopsBeforeTheDialogIsShown()
    {
        TZantoquiller z;
        z.SetTransIn(QByteArrayList {"a", "b"});
        z.SetTransOut(QByteArrayList {"1"});
        struct ShowWatcher : QObject
        {
            int dialogsShown = 0;
            bool eventFilter(QObject *watched, QEvent *event) override
            {
                if (event->type() == QEvent::Show && qobject_cast<QDialog *>(watched))
                    ++dialogsShown;
                return false;
            }
        } watcher;
        qApp->installEventFilter(&watcher);
        try {
            z.EditTranslationTable();
            QFAIL("no exception");
        } catch (const EStringListError &error) {
            QCOMPARE(error.Message(), QStringLiteral("List index out of bounds (1)"));
        }
        qApp->removeEventFilter(&watcher);
        QCOMPARE(watcher.dialogsShown, 0);
        QCOMPARE(z.TransIn(), QByteArrayList({"a", "b"}));
        QCOMPARE(z.TransOut(), QByteArrayList {"1"});
    }

    void cancelEscAndTheWindowFrameDiscardEdits_data()
    {
        QTest::addColumn<int>("way");
        QTest::newRow("Cancel") << 0;
        QTest::newRow("Esc") << 1;
        QTest::newRow("window frame") << 2;
    }

    void cancelEscAndTheWindowFrameDiscardEdits()
    {
        QFETCH(int, way);
        const Edit e = edit(threePairs, [&](TTransDlg *d) {
            clickOn(button(d, "DeleteButton"));
            typeIntoCell(d, 1, 0, QStringLiteral("x"));
            switch (way) {
            case 0:
                clickOn(button(d, "CancelBtn"));
                break;
            case 1:
                clickOn(button(d, "AddButton"));
                pressKey(Qt::Key_Escape);
                break;
            default:
                d->close();
            }
        });
        QVERIFY(!e.result);
        QCOMPARE(e.table.in, threePairs.in);
        QCOMPARE(e.table.out, threePairs.out);
    }

    void insertAboveTheFirstAMiddleAndTheLastRow()
    {
        edit({{"a", "b", "c"}, {"1", "2", "3"}}, [](TTransDlg *d) {
            clickCell(d, 1, 0);
            clickOn(button(d, "InsertButton"));
            QCOMPARE(rows(d), QStringList({"|", "97|49", "98|50", "99|51"}));
            QCOMPARE(d->Row(), 1);
            QCOMPARE(focused(), grid(d));

            clickCell(d, 3, 1);
            clickOn(button(d, "InsertButton"));
            QCOMPARE(rows(d), QStringList({"|", "97|49", "|", "98|50", "99|51"}));
            QCOMPARE(d->Row(), 3);
            QCOMPARE(focused(), grid(d));

            clickCell(d, 5, 0);
            clickOn(button(d, "InsertButton"));
            QCOMPARE(rows(d), QStringList({"|", "97|49", "|", "98|50", "|", "99|51"}));
            QCOMPARE(d->Row(), 5);
            pressKey(Qt::Key_Escape);
        });
    }

    void insertIntoATableOfTwoRows()
    {
        const Edit e = edit({{"a", "b"}, {"1", "2"}}, [](TTransDlg *d) {
            QCOMPARE(d->Row(), 1);
            clickOn(button(d, "InsertButton"));
            QCOMPARE(d->RowCount(), 4);
            QCOMPARE(rows(d), QStringList({"|", "97|49", "98|50"}));
            QCOMPARE(d->Row(), 1);
            typeText(QStringLiteral("122"));
            pressKey(Qt::Key_Tab);
            clickOn(button(d, "OKBtn"));
        });
        QVERIFY(e.result);
        QCOMPARE(e.table.in, QByteArrayList({"z", "a", "b"}));
        QCOMPARE(e.table.out, QByteArrayList({"", "1", "2"}));
    }

    void deleteTheFirstAMiddleAndTheLastRow()
    {
        const Edit e
            = edit({{"a", "b", "c", "d", "e"}, {"1", "2", "3", "4", "5"}}, [](TTransDlg *d) {
                  clickCell(d, 1, 1);
                  clickOn(button(d, "DeleteButton"));
                  QCOMPARE(rows(d), QStringList({"98|50", "99|51", "100|52", "101|53"}));
                  QCOMPARE(focused(), button(d, "DeleteButton"));

                  clickCell(d, 2, 0);
                  clickOn(button(d, "DeleteButton"));
                  QCOMPARE(rows(d), QStringList({"98|50", "100|52", "101|53"}));

                  clickCell(d, 3, 0);
                  clickOn(button(d, "DeleteButton"));
                  QCOMPARE(rows(d), QStringList({"98|50", "100|52"}));
                  clickOn(button(d, "OKBtn"));
              });
        QVERIFY(e.result);
        QCOMPARE(e.table.in, QByteArrayList({"b", "d"}));
        QCOMPARE(e.table.out, QByteArrayList({"2", "4"}));
    }

    void deleteTheOnlyRowThenAdd()
    {
        const Edit e = edit({{"a"}, {"1"}}, [](TTransDlg *d) {
            clickOn(button(d, "DeleteButton"));
            QCOMPARE(d->RowCount(), 1);
            QCOMPARE(d->Cell(1, 0), QStringLiteral("Codes"));
            // Nothing left to delete.
            clickOn(button(d, "DeleteButton"));
            QCOMPARE(d->RowCount(), 1);

            clickOn(button(d, "AddButton"));
            QCOMPARE(rows(d), QStringList {"|"});
            QCOMPARE(d->Row(), 1);
            QCOMPARE(focused(), button(d, "AddButton"));
            clickOn(button(d, "DeleteButton"));
            QCOMPARE(d->RowCount(), 1);
            clickOn(button(d, "OKBtn"));
        });
        QVERIFY(e.result);
        QVERIFY(e.table.in.isEmpty());
        QVERIFY(e.table.out.isEmpty());
    }

    void insertWithTheHeadingRowAloneGivesOneBlankRow()
    {
        const Edit e = edit({{"a"}, {"1"}}, [](TTransDlg *d) {
            clickOn(button(d, "DeleteButton"));
            clickOn(button(d, "InsertButton"));
            QCOMPARE(rows(d), QStringList {"|"});
            QCOMPARE(d->Row(), 1);
            QCOMPARE(focused(), grid(d));
            clickOn(button(d, "OKBtn"));
        });
        QVERIFY(e.result);
        QVERIFY(e.table.in.isEmpty());
    }

    void addAppendsABlankCurrentRow_data()
    {
        QTest::addColumn<int>("current");
        QTest::newRow("from the first row") << 1;
        QTest::newRow("from a middle row") << 2;
        QTest::newRow("from the last row") << 3;
    }

    void addAppendsABlankCurrentRow()
    {
        QFETCH(int, current);
        const Edit e = edit(threePairs, [current](TTransDlg *d) {
            clickCell(d, current, 1);
            clickOn(button(d, "AddButton"));
            QCOMPARE(rows(d), QStringList({"126|27,71", "94|27,72", "33|", "|"}));
            QCOMPARE(d->Row(), 4);
            QCOMPARE(focused(), button(d, "AddButton"));
            typeIntoCell(d, 4, 0, QStringLiteral("0x7C"));
            clickOn(button(d, "OKBtn"));
        });
        QVERIFY(e.result);
        QCOMPARE(e.table.in, QByteArrayList({"~", "^", "!", "|"}));
        QCOMPARE(e.table.out, threePairs.out + QByteArrayList {QByteArray()});
    }
};

ZANTO_GUI_TEST_MAIN(TestTransDlg)
#include "tst_transdlg.moc"
