// The fold wrap rule against the tools it follows: fold -w for the lines, pr
// for the pages, on random texts with full-width lines, tabs and form feeds.
// The memo rule's own bytes are the memo printer tests'.
#include <zantoquiller/printedbytes.h>
#include <zantoquiller/streamtextsource.h>
#include <zantoquiller/zantoquiller.h>

#include <gtest/gtest.h>

#include <QBuffer>
#include <QProcess>

#include <limits>
#include <random>
#include <stdexcept>
#include <utility>

using namespace Zanto;

namespace {

using Pages = QList<QByteArrayList>;

// Pages shown one line each, lines between bars: readable when they differ.
std::string shown(const Pages &pages)
{
    std::string text;
    for (const QByteArrayList &page : pages) {
        text += "page:";
        for (const QByteArray &line : page)
            text += " |" + line.toStdString() + '|';
        text += '\n';
    }
    return text;
}

QByteArray runTool(const QString &program, const QStringList &arguments, const QByteArray &input)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    if (!process.waitForStarted())
        throw std::runtime_error("cannot start " + program.toStdString());
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit
        || process.exitCode() != 0)
        throw std::runtime_error(program.toStdString() + " failed");
    return process.readAllStandardOutput();
}

// A page that holds one empty line is an empty page: pr -F prints an empty
// page so.
void addPage(Pages &pages, QByteArrayList page)
{
    if (page == QByteArrayList {QByteArray()})
        page.clear();
    pages.append(page);
}

// What fold -w width and pr -l pageLength make of text. fold starts every
// piece between form feeds at column 0, as the paper does; pr -F marks every
// page end, also those of the line count, with a form feed after a header of
// five lines.
Pages referencePages(QByteArray text, int width, int pageLength)
{
    text.replace("\f", "\n\x01\n");
    QByteArray folded
        = runTool(QStringLiteral("fold"), {QStringLiteral("-w"), QString::number(width)}, text);
    folded.replace("\n\x01\n", "\f");
    const int length = pageLength == 0 ? 1000000 : pageLength;
    const QByteArray paged = runTool(QStringLiteral("pr"),
        {QStringLiteral("-F"), QStringLiteral("-l"), QString::number(length + 10),
            QStringLiteral("-h"), QStringLiteral("x")},
        folded);
    QByteArrayList chunks = paged.split('\f');
    if (chunks.constLast().isEmpty())
        chunks.removeLast();
    Pages pages;
    for (const QByteArray &chunk : std::as_const(chunks)) {
        QByteArrayList lines = chunk.split('\n');
        lines.removeLast(); // after the last line's end
        addPage(pages, lines.mid(5));
    }
    return pages;
}

// The pages of a print: lines end with CR LF, or CR FF when they end a
// page; a form feed alone ends a page too.
Pages printedPages(const QByteArray &bytes)
{
    Pages pages;
    QByteArrayList page;
    QByteArray line;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        const char next = i + 1 < bytes.size() ? bytes[i + 1] : 0;
        if (c == '\r' && (next == '\n' || next == '\f')) {
            page.append(std::exchange(line, {}));
            ++i;
            if (next == '\f')
                addPage(pages, std::exchange(page, {}));
        } else if (c == '\f' && line.isEmpty()) {
            addPage(pages, std::exchange(page, {}));
        } else {
            line += c;
        }
    }
    if (!line.isEmpty())
        page.append(line + "<no line end>");
    if (!page.isEmpty())
        addPage(pages, page);
    return pages;
}

QByteArray folded(const QByteArray &input, int width, int pageLength, bool range = false)
{
    TZantoquiller component;
    component.SetPrinterType(ptPlain);
    component.SetLineWidth(width);
    component.SetLinesPerPage(pageLength);
    component.setWrapRule(WrapRule::Fold);
    QBuffer buffer;
    buffer.setData(input);
    buffer.open(QIODevice::ReadOnly);
    StreamTextSource text(buffer, StreamTextSource::Breaks::Lines);
    QByteArray bytes;
    const auto collect = [&bytes](QByteArrayView piece) { bytes += piece; };
    if (range)
        LayOutMemoTextLines(component, text, 1, std::numeric_limits<qint32>::max(), collect);
    else
        LayOutMemoText(component, text, collect);
    return bytes;
}

// Lines of words, full-width lines (some with tabs), form feeds alone on a
// line or inside one.
QByteArray randomText(std::mt19937 &random, int width)
{
    const auto pick = [&random](int from, int to) {
        return std::uniform_int_distribution<int>(from, to)(random);
    };
    QByteArray text;
    const int lines = pick(1, 30);
    for (int k = 0; k < lines; ++k) {
        const int kind = pick(0, 9);
        QByteArray line;
        if (kind == 0) {
            line = "\f";
        } else if (kind <= 3) {
            // Exactly as wide as the line, a tab counting to its stop.
            int column = 0;
            while (column < width) {
                if (pick(0, 7) == 0 && column + 8 - column % 8 <= width) {
                    line += '\t';
                    column += 8 - column % 8;
                } else {
                    line += char('A' + pick(0, 25));
                    ++column;
                }
            }
        } else {
            const int length = pick(0, 3 * width);
            for (int i = 0; i < length; ++i) {
                const int c = pick(0, 39);
                line += c < 26 ? char('a' + c) : c < 34 ? ' ' : c < 38 ? '\t' : '\f';
            }
        }
        text += line;
        if (k + 1 < lines || pick(0, 1) == 0)
            text += '\n';
    }
    if (text.trimmed().isEmpty())
        text.prepend('x');
    return text;
}

TEST(FoldRule, LinesAreThoseOfFoldAndPagesThoseOfPr)
{
    std::mt19937 random(20261208);
    for (int n = 0; n < 300; ++n) {
        const int width = std::uniform_int_distribution<int>(1, 30)(random);
        const int pageLength = std::uniform_int_distribution<int>(0, 12)(random);
        const QByteArray text = randomText(random, width);
        SCOPED_TRACE(testing::Message()
            << "case " << n << ", width " << width << ", page length " << pageLength << ", text "
            << testing::PrintToString(text.toStdString()));
        const Pages expected = referencePages(text, width, pageLength);
        ASSERT_EQ(shown(printedPages(folded(text, width, pageLength))), shown(expected));
        // The range form lays every line out the same way; its line list has
        // no empty last line.
        if (!text.endsWith("\n\n")) {
            ASSERT_EQ(shown(printedPages(folded(text, width, pageLength, true))), shown(expected));
        }
    }
}

TEST(FoldRule, AFullWidthLineHasItsOwnLineEndOnly)
{
    EXPECT_EQ(folded("abcd\nef", 4, 0), "abcd\r\nef\r\n");
    EXPECT_EQ(folded("abcdef", 4, 0), "abcd\r\nef\r\n");
    // A form of two full pages: no empty line, no empty page.
    EXPECT_EQ(folded("ab\ncd\n\fef\ngh\n\f", 2, 2), "ab\r\ncd\r\fef\r\ngh\r\f");
}

TEST(FoldRule, AFormFeedAfterAPageFilledByLineSpacingEndsNoOtherPage)
{
    TZantoquiller component;
    component.SetPrinterType(ptPlain);
    component.SetLinesPerPage(4);
    component.SetLineSpacing(2);
    component.setWrapRule(WrapRule::Fold);
    QBuffer buffer;
    buffer.setData("a\nb\n\fc");
    buffer.open(QIODevice::ReadOnly);
    StreamTextSource text(buffer, StreamTextSource::Breaks::Lines);
    QByteArray bytes;
    LayOutMemoText(component, text, [&bytes](QByteArrayView piece) { bytes += piece; });
    // Two lines of two advances fill the page: c starts the next one.
    EXPECT_EQ(bytes, "a\r\n\r\nb\r\n\r\nc\r\n\r\n");
}

TEST(FoldRule, TheComponentsOtherSettingsStillApply)
{
    TZantoquiller component;
    component.SetPrinterType(ptPlain);
    component.SetLineWidth(4);
    component.SetLinesPerPage(5);
    component.SetOffset(2);
    component.SetLineSpacing(2);
    component.setWrapRule(WrapRule::Fold);
    component.setTabStops(3);
    component.SetTransIn({"x"});
    component.SetTransOut({"<X>"});
    QBuffer buffer;
    buffer.setData("a\tbxcd\fe");
    buffer.open(QIODevice::ReadOnly);
    StreamTextSource text(buffer, StreamTextSource::Breaks::Lines);
    QByteArray bytes;
    LayOutMemoText(component, text, [&bytes](QByteArrayView piece) { bytes += piece; });
    // The tab takes columns 1 and 2, the translated x one column; the form
    // feed ends the page of five lines after three.
    EXPECT_EQ(bytes, "  a\tb\r\n\r\n  <X>cd\r\f  e\r\n\r\n");
}

} // namespace
