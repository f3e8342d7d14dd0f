// Memo texts read from a stream: the line rules, verbatim input, UTF-8
// conversion, and input that arrives a few bytes at a time.
#include <zantoquiller/codepage.h>
#include <zantoquiller/streamtextsource.h>

#include <gtest/gtest.h>

#include <QBuffer>

#include <algorithm>
#include <cstdlib>

using namespace Zanto;
using Breaks = StreamTextSource::Breaks;

namespace {

// A pipe-like device that hands out at most a few bytes per read.
class TrickleDevice : public QIODevice
{
public:
    TrickleDevice(QByteArray data, qint64 step) : m_data(std::move(data)), m_step(step)
    {
        open(QIODevice::ReadOnly);
    }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        const qint64 count = std::min({maxSize, m_step, m_data.size() - m_pos});
        std::memcpy(data, m_data.constData() + m_pos, static_cast<std::size_t>(count));
        m_pos += count;
        return count;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    QByteArray m_data;
    qint64 m_step;
    qint64 m_pos = 0;
};

QByteArray wholeText(
    const QByteArray &input, Breaks breaks, qint64 step = 1 << 20, bool utf8 = false)
{
    TrickleDevice device(input, step);
    StreamTextSource source(device, breaks, utf8);
    QByteArray text;
    while (true) {
        const QByteArrayView piece = source.readText();
        if (piece.isEmpty())
            return text;
        text += piece;
    }
}

QByteArrayList lineList(const QByteArray &input, Breaks breaks, qint64 step = 1 << 20)
{
    TrickleDevice device(input, step);
    StreamTextSource source(device, breaks);
    QByteArrayList lines;
    for (qint32 k = 0; source.hasLine(k); ++k)
        lines << source.line(k).toByteArray();
    return lines;
}

// The line list as the printer reads it piece by piece; the largest piece
// goes to longestPiece.
QByteArrayList pieceLineList(
    const QByteArray &input, Breaks breaks, qint64 step, qsizetype *longestPiece = nullptr)
{
    TrickleDevice device(input, step);
    StreamTextSource source(device, breaks);
    QByteArrayList lines;
    for (qint32 k = 0; source.hasLine(k); ++k) {
        QByteArray line;
        bool ends = false;
        while (!ends) {
            const QByteArrayView piece = source.linePiece(k, ends);
            if (longestPiece)
                *longestPiece = std::max(*longestPiece, piece.size());
            line += piece;
        }
        lines << line;
    }
    return lines;
}

} // namespace

TEST(StreamTextSource, LinesAreJoinedByCarriageReturnAndLineFeed)
{
    for (qint64 step : {1, 2, 3, 1 << 20}) {
        EXPECT_EQ(wholeText("a\nb\r\nc\rd", Breaks::Lines, step), "a\r\nb\r\nc\r\nd") << step;
        EXPECT_EQ(wholeText("a\r\r\nb\n\rc", Breaks::Lines, step), "a\r\n\r\nb\r\n\r\nc") << step;
        EXPECT_EQ(wholeText("a\n", Breaks::Lines, step), "a") << step;
        EXPECT_EQ(wholeText("a\r\n\r\n", Breaks::Lines, step), "a\r\n") << step;
        EXPECT_EQ(wholeText("\n", Breaks::Lines, step), "") << step;
        EXPECT_EQ(wholeText("", Breaks::Lines, step), "") << step;
        EXPECT_EQ(wholeText("\n\nx", Breaks::Lines, step), "\r\n\r\nx") << step;
    }
}

TEST(StreamTextSource, LinesOfALongInputComeInSeveralPieces)
{
    QByteArray input;
    QByteArray expected;
    for (int k = 0; k < 40000; ++k) {
        input += "line " + QByteArray::number(k) + (k % 3 ? "\n" : "\r\n");
        expected += "line " + QByteArray::number(k) + "\r\n";
    }
    expected.chop(2);
    EXPECT_EQ(wholeText(input, Breaks::Lines, 4093), expected);
}

TEST(StreamTextSource, VerbatimInputIsTheTextExactly)
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    all += "\n\r\r\n";
    for (qint64 step : {1, 7, 1 << 20})
        EXPECT_EQ(wholeText(all, Breaks::Verbatim, step), all) << step;
}

TEST(StreamTextSource, LineListOfLineInput)
{
    for (qint64 step : {1, 2, 1 << 20}) {
        EXPECT_EQ(
            lineList("a\nb\r\nc\rd", Breaks::Lines, step), QByteArrayList({"a", "b", "c", "d"}));
        EXPECT_EQ(lineList("a\n", Breaks::Lines, step), QByteArrayList({"a"}));
        // Joined: "a" CR LF; its last piece is empty and not a line.
        EXPECT_EQ(lineList("a\n\n", Breaks::Lines, step), QByteArrayList({"a"}));
        EXPECT_EQ(lineList("\n\n\n", Breaks::Lines, step), QByteArrayList({"", ""}));
        EXPECT_EQ(lineList("\n", Breaks::Lines, step), QByteArrayList());
        EXPECT_EQ(lineList("", Breaks::Lines, step), QByteArrayList());
        EXPECT_EQ(lineList("a\n\nb", Breaks::Lines, step), QByteArrayList({"a", "", "b"}));
    }
}

TEST(StreamTextSource, LineListOfVerbatimInputIsCutAtCarriageReturnLineFeedOnly)
{
    for (qint64 step : {1, 2, 1 << 20}) {
        EXPECT_EQ(
            lineList("a\rb\nc\r\nd\r\n", Breaks::Verbatim, step), QByteArrayList({"a\rb\nc", "d"}));
        EXPECT_EQ(lineList("a\r\n\r\n", Breaks::Verbatim, step), QByteArrayList({"a", ""}));
        EXPECT_EQ(lineList("x\r", Breaks::Verbatim, step), QByteArrayList({"x\r"}));
        EXPECT_EQ(lineList("", Breaks::Verbatim, step), QByteArrayList());
    }
}

TEST(StreamTextSource, LinesAreHandedOutFrontToBackKeepingTheOneBefore)
{
    QBuffer buffer;
    buffer.setData("l0\nl1\nl2\nl3\nl4\n");
    buffer.open(QIODevice::ReadOnly);
    StreamTextSource source(buffer, Breaks::Lines);
    ASSERT_TRUE(source.hasLine(2));
    ASSERT_TRUE(source.hasLine(3));
    EXPECT_EQ(source.line(2), "l2");
    EXPECT_EQ(source.line(3), "l3");
    EXPECT_TRUE(source.hasLine(4));
    EXPECT_FALSE(source.hasLine(5));
    EXPECT_EQ(source.line(4), "l4");
}

TEST(StreamTextSource, LinePiecesMakeTheSameLineList)
{
    // Random texts of breaks, spaces and letters, read in steps of every
    // size that cuts a break in two.
    std::srand(1234);
    const char alphabet[] = {'\r', '\n', '\r', '\n', ' ', 'a', 'b'};
    for (int n = 0; n < 400; ++n) {
        QByteArray input;
        const int length = std::rand() % 24;
        for (int k = 0; k < length; ++k)
            input += alphabet[std::rand() % sizeof alphabet];
        for (Breaks breaks : {Breaks::Lines, Breaks::Verbatim}) {
            for (qint64 step : {1, 2, 3, 1 << 20}) {
                ASSERT_EQ(pieceLineList(input, breaks, step), lineList(input, breaks, step))
                    << input.toPercentEncoding().constData() << " step " << step;
            }
        }
    }
}

TEST(StreamTextSource, ALongLineIsHandedOutInPiecesNeverWhole)
{
    const QByteArray longLine(3 * 1024 * 1024, 'x');
    for (Breaks breaks : {Breaks::Lines, Breaks::Verbatim}) {
        qsizetype longest = 0;
        const QByteArrayList lines
            = pieceLineList("a\r\n" + longLine + "\r\nb", breaks, 1 << 20, &longest);
        ASSERT_EQ(lines.size(), 3);
        EXPECT_EQ(lines[0], "a");
        EXPECT_EQ(lines[1], longLine);
        EXPECT_EQ(lines[2], "b");
        EXPECT_LE(longest, 64 * 1024);
    }
}

TEST(StreamTextSource, Utf8InputIsConvertedToTheAnsiCodePage)
{
    const QByteArray input = "\xEF\xBB\xBF"
                             "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80 \xFF!\xC3";
    for (qint64 step : {1, 2, 3, 1 << 20}) {
        EXPECT_EQ(wholeText(input, Breaks::Verbatim, step, true), "caf\xE9 \x80 ? ?!?") << step;
    }
    const AnsiCodePage &saved = ansiCodePage();
    setAnsiCodePage(*AnsiCodePage::find(u"cp850"));
    EXPECT_EQ(wholeText("\xC3\xA9\n", Breaks::Lines, 1, true), "\x82");
    setAnsiCodePage(saved);
}
