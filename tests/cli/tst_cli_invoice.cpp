// The sample invoice (examples/invoice.txt) as make run prints it for an
// Epson printer: once the printer codes that the translation table sends for
// the markup characters are taken out, what is left is what lands on paper,
// and there the column headings, the figures, the rules and "Total" must line
// up.
#include "processrunner.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <QRegularExpression>

#include <algorithm>

using namespace ZantoTest;

namespace {

QString example(const char *name)
{
    return qEnvironmentVariable("ZANTO_SOURCE_DIR") + QStringLiteral("/examples/")
        + QLatin1String(name);
}

// The replacements of a translation table file: its records after the magic
// are a character, a length byte and that many bytes.
QList<QByteArray> replacementsOf(const QByteArray &table)
{
    const QByteArray magic("ZantoquillerTranslationTable");
    EXPECT_TRUE(table.startsWith(magic));
    QList<QByteArray> replacements;
    qsizetype at = magic.size();
    while (at + 2 <= table.size()) {
        const int length = static_cast<unsigned char>(table[at + 1]);
        replacements.append(table.mid(at + 2, length));
        at += 2 + length;
    }
    return replacements;
}

// The printed lines as they appear on paper: without the job's leading pitch
// code and without the translation's codes, split at the line ends.
QList<QByteArray> paperLines(QByteArray job, QList<QByteArray> codes)
{
    const QByteArray epsonPitch10("\x1bP");
    EXPECT_TRUE(job.startsWith(epsonPitch10));
    job.remove(0, epsonPitch10.size());
    // Longest first, so that no code is cut by a shorter one it contains.
    std::sort(codes.begin(), codes.end(),
        [](const QByteArray &a, const QByteArray &b) { return a.size() > b.size(); });
    for (const QByteArray &code : codes)
        job.replace(code, QByteArray());
    QList<QByteArray> lines = job.split('\n');
    for (QByteArray &line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
    }
    return lines;
}

// Where a word starts and where it ends (one past its last column) on a
// line, or -1.
qsizetype startOf(const QByteArray &line, const char *word)
{
    return line.indexOf(word);
}
qsizetype endOf(const QByteArray &line, const char *word)
{
    const qsizetype start = line.indexOf(word);
    return start < 0 ? -1 : start + qsizetype(qstrlen(word));
}

} // namespace

TEST(CliInvoice, HeadingsFiguresAndTotalLineUpOnPaper)
{
    TempDir dir;
    const QString output = dir.filePath(QStringLiteral("invoice.prn"));
    // The options of make run.
    const ProcessResult printed = runZanto({QStringLiteral("print"), QStringLiteral("-o"), output,
        QStringLiteral("--printer-type"), QStringLiteral("epson"), QStringLiteral("--translation"),
        example("invoice-epson.CTT"), example("invoice.txt")});
    ASSERT_EQ(printed.exitCode, 0) << printed.err.constData();

    const QByteArray job = readFile(output);
    const QList<QByteArray> codes = replacementsOf(readFile(example("invoice-epson.CTT")));
    ASSERT_EQ(codes.size(), 4);
    // The markup is still there: the headings are printed bold and underlined.
    EXPECT_TRUE(job.contains(codes[0] + codes[2] + "Code" + codes[1] + codes[3]));
    EXPECT_TRUE(job.contains(codes[0] + codes[2] + "Value" + codes[1] + codes[3]));

    const QList<QByteArray> lines = paperLines(job, codes);
    for (const QByteArray &line : lines) {
        for (const char markup : {'~', '!', '^', '|'})
            EXPECT_FALSE(line.contains(markup)) << line.constData();
    }

    // An item: product code, description, quantity, value.
    static const QRegularExpression item(
        QStringLiteral("^([A-Z]{3}-[A-Z0-9]{3}) {2,}(\\S.*\\S) {2,}(\\d+) {2,}(\\d+\\.\\d\\d)$"));
    QByteArray headings;
    QByteArray total;
    QList<QByteArray> rules;
    qsizetype descriptionStart = -1;
    qsizetype quantityEnd = -1;
    qsizetype valueEnd = -1;
    int items = 0;
    for (const QByteArray &line : lines) {
        const QRegularExpressionMatch match = item.match(QString::fromLatin1(line));
        if (match.hasMatch()) {
            if (items++ == 0) {
                descriptionStart = match.capturedStart(2);
                quantityEnd = match.capturedEnd(3);
                valueEnd = match.capturedEnd(4);
            }
            EXPECT_EQ(match.capturedStart(1), 0) << line.constData();
            EXPECT_EQ(match.capturedStart(2), descriptionStart) << line.constData();
            EXPECT_EQ(match.capturedEnd(3), quantityEnd) << line.constData();
            EXPECT_EQ(match.capturedEnd(4), valueEnd) << line.constData();
        } else if (line.contains("Description")) {
            headings = line;
        } else if (line.contains("Total")) {
            total = line;
        } else if (line.trimmed().startsWith("----")) {
            rules.append(line);
        }
    }
    ASSERT_EQ(items, 11);

    EXPECT_EQ(startOf(headings, "Code"), 0) << headings.constData();
    EXPECT_EQ(startOf(headings, "Description"), descriptionStart) << headings.constData();
    EXPECT_EQ(endOf(headings, "Qty"), quantityEnd) << headings.constData();
    EXPECT_EQ(endOf(headings, "Value"), valueEnd) << headings.constData();

    EXPECT_EQ(endOf(total, "Total"), quantityEnd) << total.constData();
    EXPECT_EQ(endOf(total, "1695.00"), valueEnd) << total.constData();
    EXPECT_EQ(total.size(), valueEnd) << total.constData();

    ASSERT_EQ(rules.size(), 2);
    for (const QByteArray &rule : rules) {
        EXPECT_EQ(rule.size(), valueEnd) << rule.constData();
        EXPECT_LE(rule.indexOf('-'), valueEnd - qsizetype(qstrlen("1695.00"))) << rule.constData();
    }
}
