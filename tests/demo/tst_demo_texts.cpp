// The two demonstration texts: their size, line widths and markup.
#include <gtest/gtest.h>

#include <QFile>
#include <QRegularExpression>
#include <QStringList>

namespace {

QByteArray readSource(const QString &relativePath)
{
    QFile file(qEnvironmentVariable("ZANTO_SOURCE_DIR") + u'/' + relativePath);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

// The lines of a text file that ends with a line break.
QList<QByteArray> linesOf(const QByteArray &text)
{
    QList<QByteArray> lines = text.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

qsizetype longestLine(const QList<QByteArray> &lines)
{
    qsizetype longest = 0;
    for (const QByteArray &line : lines)
        longest = std::max(longest, line.size());
    return longest;
}

bool isPlainAscii(const QByteArray &text)
{
    return std::all_of(
        text.begin(), text.end(), [](char c) { return c == '\n' || (c >= 32 && c < 127); });
}

} // namespace

TEST(DemoTexts, IntroductionHas109LinesOfAtMost84Characters)
{
    const QByteArray text = readSource(QStringLiteral("demo/texts/memo1.txt"));
    ASSERT_FALSE(text.isEmpty());
    EXPECT_TRUE(text.endsWith('\n'));
    EXPECT_TRUE(isPlainAscii(text));
    const QList<QByteArray> lines = linesOf(text);
    EXPECT_EQ(lines.size(), 109);
    EXPECT_LE(longestLine(lines), 84);
}

TEST(DemoTexts, IntroductionHasTwoTildesAndThreeExclamationMarks)
{
    const QByteArray text = readSource(QStringLiteral("demo/texts/memo1.txt"));
    EXPECT_EQ(text.count('~'), 2);
    EXPECT_EQ(text.count('!'), 3);
}

TEST(DemoTexts, IntroductionCoversTranslationExampleAndSetupAdvice)
{
    const QByteArray text = readSource(QStringLiteral("demo/texts/memo1.txt"));
    EXPECT_TRUE(text.contains("\"~\" could be translated to the escape sequence\n27,14"));
    EXPECT_TRUE(text.contains("'Plain' printer type"));
    EXPECT_TRUE(text.contains("text-only"));
    EXPECT_TRUE(text.contains("spooler"));
}

TEST(DemoTexts, InvoiceHas45LinesOfAtMost82Characters)
{
    const QByteArray text = readSource(QStringLiteral("demo/texts/memo2.txt"));
    ASSERT_FALSE(text.isEmpty());
    EXPECT_TRUE(text.endsWith('\n'));
    EXPECT_TRUE(isPlainAscii(text));
    EXPECT_FALSE(text.contains('\t')) << "laid out with spaces only";
    const QList<QByteArray> lines = linesOf(text);
    EXPECT_EQ(lines.size(), 45);
    EXPECT_LE(longestLine(lines), 82);
}

TEST(DemoTexts, InvoiceSampleIsTheDemonstrationInvoice)
{
    EXPECT_EQ(readSource(QStringLiteral("examples/invoice.txt")),
        readSource(QStringLiteral("demo/texts/memo2.txt")));
}

TEST(DemoTexts, EveryInvoiceMarkupCharacterIsBoldOrBoldUnderlineMarkup)
{
    const QString text = QString::fromLatin1(readSource(QStringLiteral("demo/texts/memo2.txt")));
    // Bold: ~text^. Underline, always inside bold: ~!text^|.
    static const QRegularExpression boldUnderline(QStringLiteral("~!([^~^!|\\n]+)\\^\\|"));
    static const QRegularExpression bold(QStringLiteral("~([^~^!|\\n]+)\\^"));
    QString rest = text;
    const qsizetype underlined = rest.count(boldUnderline);
    rest.replace(boldUnderline, QStringLiteral("\\1"));
    const qsizetype bolded = rest.count(bold);
    rest.replace(bold, QStringLiteral("\\1"));
    EXPECT_GE(underlined, 5); // "Details" and the four column headings
    EXPECT_GE(bolded, 2);
    for (const QChar markup : {u'~', u'^', u'!', u'|'})
        EXPECT_EQ(rest.count(markup), 0) << "stray " << markup.toLatin1();
    EXPECT_TRUE(text.contains(QStringLiteral("~!Details^|")));
    EXPECT_TRUE(text.contains(QStringLiteral("~Invoice^")));
}

TEST(DemoTexts, InvoiceItemsAddUpToTheTotal)
{
    const QList<QByteArray> lines = linesOf(readSource(QStringLiteral("demo/texts/memo2.txt")));
    // An item line: product code, description, quantity, value.
    static const QRegularExpression item(
        QStringLiteral("^([A-Z]{3}-[A-Z0-9]{3}) {2,}(\\S.*\\S) {2,}(\\d+) {2,}(\\d+\\.\\d\\d)$"));
    qint64 pence = 0;
    int items = 0;
    QByteArray totalLine;
    for (const QByteArray &line : lines) {
        const QRegularExpressionMatch match = item.match(QString::fromLatin1(line));
        if (match.hasMatch()) {
            ++items;
            const QStringList parts = match.captured(4).split(u'.');
            pence += parts[0].toLongLong() * 100 + parts[1].toLongLong();
        }
        if (line.contains("~Total^"))
            totalLine = line;
    }
    EXPECT_EQ(items, 11);
    EXPECT_EQ(pence, 169500);
    EXPECT_TRUE(totalLine.trimmed().endsWith("1695.00")) << totalLine.constData();
}

TEST(DemoTexts, InvoiceHasItsSections)
{
    const QByteArray text = readSource(QStringLiteral("demo/texts/memo2.txt"));
    for (const char *part :
        {"Date:", "Account Code:", "Your Reference:", "~!Code^|", "~!Description^|", "~!Qty^|",
            "~!Value^|", "Deliver To:", "Payment Terms:", "Thank you"})
        EXPECT_TRUE(text.contains(part)) << part;
    EXPECT_EQ(text.count("------------"), 2);
}
