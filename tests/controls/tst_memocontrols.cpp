// Qt's text controls and TDBMemo as memo texts: whole text, line list,
// code page, and a memo bound to a field of a real SQLite database file.
#include "memotestsupport.h"
#include "tempdir.h"

#include <zantoquiller/codepage.h>
#include <zantoquiller/controls/memocontrols.h>
#include <zantoquiller/controls/tdbmemo.h>
#include <zantoquiller/textsource.h>

#include <QFile>
#include <QLineEdit>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlTableModel>
#include <QTest>

using namespace Zanto;
using namespace ZantoTest;

namespace {

QByteArray wholeTextOf(QObject *memo)
{
    const std::unique_ptr<TextSource> source = textSourceForMemo(memo);
    if (!source)
        return "<not a memo>";
    QByteArray text;
    for (QByteArrayView piece = source->readText(); !piece.isEmpty(); piece = source->readText())
        text += piece;
    return text;
}

QByteArrayList linesOf(QObject *memo)
{
    const std::unique_ptr<TextSource> source = textSourceForMemo(memo);
    QByteArrayList lines;
    for (qint32 k = 0; source && source->hasLine(k); ++k)
        lines << source->line(k).toByteArray();
    return lines;
}

QByteArrayList printedLines(
    TZantoquiller &component, QObject *memo, qint32 fromIndex, qint32 toIndex)
{
    const std::unique_ptr<TextSource> source = textSourceForMemo(memo);
    MemorySink sink;
    MemoPrinter(component).print(*source, fromIndex, toIndex, sink, [] {});
    QByteArrayList lines;
    for (const SinkEvent &event : sink.events)
        lines << event.bytes;
    return lines;
}

class DerivedEdit : public QPlainTextEdit
{
};

// A rich text control that wraps at word boundaries in a monospaced font,
// about columns and a half characters wide.
void wrapAtColumns(QTextEdit &edit, int columns)
{
    edit.setFont(QFont(QStringLiteral("Liberation Mono"), 10));
    edit.document()->setDocumentMargin(0);
    edit.setLineWrapMode(QTextEdit::FixedPixelWidth);
    const QFontMetricsF metrics(edit.font());
    edit.setLineWrapColumnOrWidth(
        qRound(metrics.horizontalAdvance(QString(columns, u'x')) + metrics.averageCharWidth() / 2));
}

} // namespace

class MemoControlsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { Controls::registerMemoControls(); }

    void otherObjectsAreNotMemos()
    {
        QLineEdit line;
        QObject plain;
        QVERIFY(!textSourceForMemo(&line));
        QVERIFY(!textSourceForMemo(&plain));
        QVERIFY(!textSourceForMemo(nullptr));
        QPlainTextEdit edit;
        QTextEdit rich;
        DerivedEdit derived;
        TDBMemo dbMemo;
        QVERIFY(textSourceForMemo(&edit));
        QVERIFY(textSourceForMemo(&rich));
        QVERIFY(textSourceForMemo(&derived));
        QVERIFY(textSourceForMemo(&dbMemo));
    }

    void registeringTwiceChangesNothing()
    {
        Controls::registerMemoControls();
        QPlainTextEdit edit;
        edit.setPlainText(QStringLiteral("x"));
        QCOMPARE(wholeTextOf(&edit), QByteArray("x"));
    }

    void wholeTextHasCarriageReturnLineFeedBreaks()
    {
        QPlainTextEdit edit;
        edit.setPlainText(QStringLiteral("first\nsecond\n\nlast\n"));
        QCOMPARE(wholeTextOf(&edit), QByteArray("first\r\nsecond\r\n\r\nlast\r\n"));
        edit.clear();
        QCOMPARE(wholeTextOf(&edit), QByteArray());
    }

    void lineSeparatorsOfARichTextControlBreakLines()
    {
        QTextEdit edit;
        edit.setPlainText(QStringLiteral("one"));
        QTextCursor cursor(edit.document());
        cursor.movePosition(QTextCursor::End);
        cursor.insertText(QString(QChar(0x2028)) + QStringLiteral("two"));
        cursor.insertBlock();
        cursor.insertText(QStringLiteral("three"));
        QCOMPARE(wholeTextOf(&edit), QByteArray("one\r\ntwo\r\nthree"));
        edit.setLineWrapMode(QTextEdit::NoWrap);
        QCOMPARE(linesOf(&edit), QByteArrayList({"one", "two", "three"}));
    }

    void textBecomesBytesThroughTheAnsiCodePage()
    {
        QPlainTextEdit edit;
        edit.setPlainText(QStringView(u"caf\u00e9 \u20ac \u0141 \u00a0.").toString());
        QCOMPARE(wholeTextOf(&edit), QByteArray("caf\xE9 \x80 ? \xA0."));
        const AnsiCodePage &saved = ansiCodePage();
        setAnsiCodePage(*AnsiCodePage::find(u"cp850"));
        QCOMPARE(wholeTextOf(&edit), QByteArray("caf\x82 ? ? \xFF."));
        setAnsiCodePage(saved);
    }

    void lineListWithoutWrapHasOneLinePerParagraph()
    {
        QPlainTextEdit edit;
        edit.setLineWrapMode(QPlainTextEdit::NoWrap);
        edit.setPlainText(QStringLiteral("a long first line that would wrap in a narrow control\n"
                                         "\nb\n"));
        edit.resize(60, 200);
        QCOMPARE(linesOf(&edit),
            QByteArrayList({"a long first line that would wrap in a narrow control", "", "b"}));
        edit.clear();
        QCOMPARE(linesOf(&edit), QByteArrayList());
    }

    void lineListOfAWrappingControlHasOneLinePerDisplayedLine()
    {
        QTextEdit edit;
        wrapAtColumns(edit, 9);
        edit.setPlainText(QStringLiteral("one two three four five\nsix\n"));
        QCOMPARE(linesOf(&edit), QByteArrayList({"one two ", "three ", "four five", "six"}));
    }

    void plainTextControlWrapsAtItsWidth()
    {
        QPlainTextEdit edit;
        edit.setFont(QFont(QStringLiteral("Liberation Mono"), 10));
        const QString text = QStringLiteral("alpha beta gamma delta epsilon zeta eta theta iota");
        edit.setPlainText(text);
        edit.resize(
            QFontMetrics(edit.font()).horizontalAdvance(QStringLiteral("alpha beta gam")) + 40,
            300);
        edit.show();
        QVERIFY(QTest::qWaitForWindowExposed(&edit));
        const QByteArrayList lines = linesOf(&edit);
        QVERIFY2(lines.size() > 2, lines.join('|').constData());
        QCOMPARE(lines.join(), text.toLatin1());
        for (const QByteArray &line : lines)
            QVERIFY2(line.trimmed().size() <= 18, line.constData());
    }

    void rangePrintJoinsTheDisplayedLinesOfAParagraph()
    {
        QTextEdit edit;
        wrapAtColumns(edit, 9);
        edit.setPlainText(QStringLiteral("one two three four five\n\nsix"));
        TZantoquiller z;
        z.SetPrinterType(ptPlain);
        z.SetLineWidth(40);
        QCOMPARE(printedLines(z, &edit, 0, MaxIndex),
            QByteArrayList({"one two three four five\r\n", "\r\n", "six\r\n"}));
        z.SetLineWidth(0);
        QCOMPARE(printedLines(z, &edit, 1, 2), QByteArrayList({"three \r\n", "four five\r\n"}));
    }

    void printMemoRefusesAnythingButAMemoBeforeSendingAnything()
    {
        TempDir dir;
        TZantoquiller z;
        z.SetPort(poDisk);
        z.SetOutputFile(dir.filePath(QStringLiteral("out.prn")));
        QLineEdit line;
        QObject plain;
        for (QObject *notAMemo : std::initializer_list<QObject *> {&line, &plain, nullptr}) {
            for (int form = 0; form < 2; ++form) {
                try {
                    if (form == 0)
                        z.PrintMemo(notAMemo);
                    else
                        z.PrintMemoLines(notAMemo, 1, 2);
                    QFAIL("no error");
                } catch (const eZantoquillError &error) {
                    QCOMPARE(error.Message(), QStringLiteral("Memo type not recognised"));
                }
            }
        }
        QVERIFY(!QFile::exists(z.OutputFile()));
    }

    void printMemoAndPrintMemoLinesWriteTheDiskFileAnewEachTime()
    {
        TempDir dir;
        TZantoquiller z;
        z.SetPrinterType(ptIBM);
        z.SetPort(poDisk);
        z.SetUseSpooler(true); // never for a disk file
        z.SetOutputFile(dir.filePath(QStringLiteral("out.prn")));
        writeFile(z.OutputFile(), QByteArray(10000, 'o'));
        QPlainTextEdit memo;
        memo.setPlainText(QStringLiteral("one\ntwo\nthree\nfour\nfive"));
        z.PrintMemo(&memo);
        QCOMPARE(
            readFile(z.OutputFile()), QByteArray("\x12one\r\ntwo\r\nthree\r\nfour\r\nfive\r\n"));
        z.PrintMemoLines(&memo, 2, 3);
        QCOMPARE(readFile(z.OutputFile()), QByteArray("\x12two\r\nthree\r\n"));
        z.PrintMemoLines(&memo, 0, 1);
        QCOMPARE(
            readFile(z.OutputFile()), QByteArray("\x12one\r\ntwo\r\nthree\r\nfour\r\nfive\r\n"));
    }

    void dbMemoShowsAndPostsAFieldOfASqliteTable()
    {
        TempDir dir;
        const QString file = dir.filePath(QStringLiteral("invoices.sqlite"));
        {
            QSqlDatabase db
                = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("setup"));
            db.setDatabaseName(file);
            QVERIFY(db.open());
            QSqlQuery query(db);
            QVERIFY(query.exec(QStringLiteral(
                "CREATE TABLE invoices (id INTEGER PRIMARY KEY, customer TEXT, body TEXT)")));
            QVERIFY(query.prepare(QStringLiteral("INSERT INTO invoices VALUES (?, ?, ?)")));
            const QList<std::pair<QString, QString>> rows {
                {QStringLiteral("Whitfield"), QStringLiteral("~Invoice^ 1\nTotal 10.00")},
                {QStringLiteral("Brackenbury"), QStringView(u"Caf\u00e9\n\nEnd").toString()},
            };
            int id = 1;
            for (const auto &[customer, body] : rows) {
                query.addBindValue(id++);
                query.addBindValue(customer);
                query.addBindValue(body);
                QVERIFY2(query.exec(), qPrintable(query.lastError().text()));
            }
            db.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("setup"));

        {
            QSqlDatabase db
                = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("memo"));
            db.setDatabaseName(file);
            QVERIFY(db.open());
            QSqlTableModel model(nullptr, db);
            model.setTable(QStringLiteral("invoices"));
            model.setEditStrategy(QSqlTableModel::OnManualSubmit);
            model.setSort(0, Qt::AscendingOrder);
            QVERIFY(model.select());

            TDBMemo memo;
            memo.SetDataSource(&model);
            memo.SetDataField(QStringLiteral("body"));
            QCOMPARE(memo.CurrentRecord(), 0);
            QCOMPARE(wholeTextOf(&memo), QByteArray("~Invoice^ 1\r\nTotal 10.00"));

            memo.SetCurrentRecord(1);
            QCOMPARE(wholeTextOf(&memo), QByteArray("Caf\xE9\r\n\r\nEnd"));
            memo.setLineWrapMode(QPlainTextEdit::NoWrap);
            QCOMPARE(linesOf(&memo), QByteArrayList({"Caf\xE9", "", "End"}));

            TZantoquiller z;
            z.SetPrinterType(ptEpson);
            z.TransIn() << "~"
                        << "^";
            z.TransOut() << bytes({27, 71}) << bytes({27, 72});
            memo.SetCurrentRecord(0);
            QCOMPARE(printedLines(z, &memo, WholeText, MaxIndex),
                QByteArrayList({bytes({27, 80}), "\x1BGInvoice\x1BH 1\r\n", "Total 10.00\r\n"}));

            memo.setPlainText(QStringLiteral("Paid\nwith thanks"));
            QVERIFY2(memo.Post(), qPrintable(model.lastError().text()));
            QCOMPARE(memo.CurrentRecord(), 0);
            QCOMPARE(memo.toPlainText(), QStringLiteral("Paid\nwith thanks"));

            memo.SetCurrentRecord(5);
            QCOMPARE(memo.CurrentRecord(), -1);
            QCOMPARE(wholeTextOf(&memo), QByteArray());
            QVERIFY(!memo.Post());

            memo.SetDataField(QStringLiteral("no_such_field"));
            QCOMPARE(wholeTextOf(&memo), QByteArray());
            QVERIFY(!memo.Post());
            db.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("memo"));

        // The posted text is in the file.
        {
            QSqlDatabase db
                = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("check"));
            db.setDatabaseName(file);
            QVERIFY(db.open());
            QSqlQuery query(QStringLiteral("SELECT body FROM invoices WHERE id = 1"), db);
            QVERIFY(query.next());
            QCOMPARE(query.value(0).toString(), QStringLiteral("Paid\nwith thanks"));
            db.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("check"));
    }
};

QTEST_MAIN(MemoControlsTest)
#include "tst_memocontrols.moc"
