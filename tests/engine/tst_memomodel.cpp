// The printer against the model, over thousands of random texts and settings.
#include "memomodel.h"

#include <zantoquiller/codepage.h>

#include <gtest/gtest.h>

#include <random>

using namespace Zanto;
using namespace ZantoTest;

namespace {

class Random
{
public:
    explicit Random(unsigned seed) : m_engine(seed) { }
    int between(int low, int high)
    {
        return std::uniform_int_distribution<int>(low, high)(m_engine);
    }
    bool chance(int percent) { return between(1, 100) <= percent; }
    template<typename T> T pick(std::initializer_list<T> values)
    {
        return values.begin()[between(0, static_cast<int>(values.size()) - 1)];
    }

private:
    std::mt19937 m_engine;
};

// Short texts over few characters, so that breaks, spaces, markup and case
// pairs meet often; now and then a line long enough for the line limit.
QByteArray randomText(Random &r)
{
    static const QByteArray alphabet = QByteArray("aaabbx  X~~\t.") + char(0xE9) + char(0xC9);
    QByteArray text;
    const int length = r.chance(3) ? r.between(3900, 4100) : r.between(0, 40);
    while (text.size() < length) {
        const int roll = r.between(1, 100);
        if (roll <= 12)
            text += "\r\n";
        else if (roll <= 14)
            text += '\r';
        else if (roll <= 16)
            text += '\n';
        else if (roll <= 40)
            text += ' ';
        else
            text += alphabet[r.between(0, static_cast<int>(alphabet.size()) - 1)];
    }
    return text;
}

QByteArray randomBytes(Random &r, int maxLength)
{
    QByteArray bytes;
    const int length = r.chance(3) ? r.between(40, 200) : r.between(0, maxLength);
    for (int k = 0; k < length; ++k)
        bytes += static_cast<char>(r.pick<int>({27, 71, 13, 10, 32, 'A', 'x', 0, 255}));
    return bytes;
}

struct Case
{
    ModelSettings settings;
    QByteArray text;
    qint32 from = WholeText;
    qint32 to = MaxIndex;
    std::vector<qsizetype> pieces;
    TPrinterType printerType = ptPlain;
    TPitch pitch = cpi10;
};

Case randomCase(Random &r)
{
    Case c;
    ModelSettings &s = c.settings;
    s.leftOffset = r.chance(3) ? r.between(3790, 3800) : r.pick({0, 0, 0, 1, 2, 3});
    s.lineWidth = r.pick<qint32>({0, 0, 1, 2, 3, 4, 5, 7, 10, 16, -1, -4});
    s.linesPerPage
        = r.pick<qint32>({0, 0, 0, 1, 2, 3, 5, -1, -7, std::numeric_limits<qint32>::min()});
    s.lineSpacing = r.chance(3) ? 255 : r.pick({0, 1, 1, 1, 2, 3});
    s.sendLineFeed = r.chance(75);
    s.spooler = r.chance(30);
    const int entries = r.pick({0, 0, 1, 2, 4, 6});
    for (int k = 0; k < entries; ++k) {
        s.transIn << r.pick<QByteArray>({"~", "~", "x", "X", " ", "\n", "\r", "a", "ab", "",
            QByteArray(1, char(0xE9)), QByteArray(1, char(0xC9))});
        if (r.chance(85))
            s.transOut << randomBytes(r, 3);
    }
    c.printerType = r.pick({ptPlain, ptEpson, ptHPPCL});
    c.pitch = r.pick({cpi10, cpi12, cpi15});
    c.text = randomText(r);
    if (r.chance(50)) {
        c.from = r.between(-3, 5);
        c.to = r.chance(20) ? MaxIndex : r.between(-2, 7);
    }
    c.pieces = {r.pick<qsizetype>({1, 2, 3, 7, 1 << 20}), r.pick<qsizetype>({1, 2, 5, 1 << 20})};
    return c;
}

void configure(TZantoquiller &z, const Case &c)
{
    z.SetPrinterType(c.printerType);
    z.SetPitch(c.pitch);
    z.SetOffset(c.settings.leftOffset);
    z.SetLineWidth(c.settings.lineWidth);
    z.SetLinesPerPage(c.settings.linesPerPage);
    z.SetLineSpacing(static_cast<quint8>(c.settings.lineSpacing));
    z.SetSendLineFeed(c.settings.sendLineFeed);
    z.SetTransIn(c.settings.transIn);
    z.SetTransOut(c.settings.transOut);
}

void compareWithModel(unsigned seed, int cases)
{
    Random r(seed);
    for (int n = 0; n < cases; ++n) {
        Case c = randomCase(r);
        TZantoquiller z;
        configure(z, c);
        const TPrinterCodes &codes = z.CodeTable()[c.printerType];
        c.settings.pitchCode = (c.pitch == cpi10 ? codes.Set10cpi
                : c.pitch == cpi12               ? codes.Set12cpi
                                                 : codes.Set15cpi)
                                   .toByteArray();

        const PrintOutcome expected = modelPrint(c.settings, c.text, c.from, c.to);
        const PrintOutcome actual
            = printText(z, c.text, c.from, c.to, c.settings.spooler, c.pieces);
        ASSERT_EQ(actual.error, expected.error) << "seed " << seed << " case " << n;
        ASSERT_EQ(actual.events, expected.events)
            << "seed " << seed << " case " << n << "\nprinter:\n"
            << describe(actual.events) << "model:\n"
            << describe(expected.events);
    }
}

} // namespace

TEST(MemoPrinterModel, AgreesOnRandomTextsAndSettings)
{
    compareWithModel(20240314, 5000);
}

TEST(MemoPrinterModel, AgreesInAnotherCodePage)
{
    const AnsiCodePage &before = ansiCodePage();
    setAnsiCodePage(*AnsiCodePage::find(u"cp850"));
    compareWithModel(850, 1000);
    setAnsiCodePage(before);
}
