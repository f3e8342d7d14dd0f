// The printer codes file format, byte for byte, without files.
#include <zantoquiller/printercodesfile.h>

#include <gtest/gtest.h>

#include <random>

using namespace Zanto;

namespace {

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray result;
    for (int v : values)
        result += static_cast<char>(v);
    return result;
}

QByteArray entry(const QByteArray &key, const QByteArray &value)
{
    return char(key.size()) + key + char(value.size()) + value;
}

const QByteArray magic("ZantoquillerControlCodes");

TCodeTable randomTable(unsigned seed)
{
    std::mt19937 random(seed);
    TCodeTable table;
    for (TPrinterCodes &record : table) {
        for (int field = 0; field < TPrinterCodes::FieldCount; ++field) {
            QByteArray code(static_cast<qsizetype>(random() % 21), '\0');
            for (char &byte : code)
                byte = static_cast<char>(random() % 256);
            record.field(field).assign(code);
        }
    }
    return table;
}

qsizetype codeBytes(const TCodeTable &table)
{
    qsizetype total = 0;
    for (const TPrinterCodes &record : table)
        for (int field = 0; field < TPrinterCodes::FieldCount; ++field)
            total += record.field(field).size();
    return total;
}

TCodeTable parsed(const QByteArray &content)
{
    const std::optional<TCodeTable> codes = parsePrinterCodesFile(content);
    if (!codes)
        throw std::runtime_error("refused");
    return *codes;
}

const TCodeTable emptyTable {};

} // namespace

TEST(PrinterCodesFile, EntryLayout)
{
    TCodeTable table {};
    table[ptHPPCL].BoldOn.assign(bytes({27, 69}));
    const QByteArray file = printerCodesFileBytes(table);
    EXPECT_EQ(file.left(24), magic);
    EXPECT_EQ(
        file.mid(24, 10), bytes({0x06, 0x42, 0x6F, 0x6C, 0x64, 0x4F, 0x6E, 0x02, 0x1B, 0x45}));
    // The next entry, BoldOff, is empty but written.
    EXPECT_EQ(file.mid(34, 9), entry("BoldOff", {}));
}

TEST(PrinterCodesFile, SevenGroupsOfThirteenKeysInOrder)
{
    const TCodeTable table = builtInCodeTable();
    const QByteArray file = printerCodesFileBytes(table);
    qsizetype position = 24;
    int entries = 0;
    for (int type = 0; type < PrinterTypeCount; ++type) {
        for (int field = 0; field < TPrinterCodes::FieldCount; ++field) {
            const QByteArray expected
                = entry(TPrinterCodes::fieldName(field), table[type].field(field).toByteArray());
            ASSERT_EQ(file.mid(position, expected.size()), expected) << type << " " << field;
            position += expected.size();
            ++entries;
        }
    }
    EXPECT_EQ(entries, 91);
    EXPECT_EQ(position, file.size());
}

TEST(PrinterCodesFile, SizeIs871BytesPlusTheCodes)
{
    EXPECT_EQ(printerCodesFileBytes(emptyTable).size(), 871);
    // The built-in codes: 79 bytes of HP PCL, 30 of Epson, 31 of IBM.
    EXPECT_EQ(codeBytes(builtInCodeTable()), 140);
    EXPECT_EQ(printerCodesFileBytes(builtInCodeTable()).size(), 871 + 140);
    TCodeTable full;
    for (TPrinterCodes &record : full)
        for (int field = 0; field < TPrinterCodes::FieldCount; ++field)
            record.field(field).assign(QByteArray(20, '\xff'));
    EXPECT_EQ(printerCodesFileBytes(full).size(), 2691);
    for (unsigned seed = 1; seed <= 5; ++seed) {
        const TCodeTable table = randomTable(seed);
        EXPECT_EQ(printerCodesFileBytes(table).size(), 871 + codeBytes(table));
    }
}

TEST(PrinterCodesFile, WritesAreTheMagicThenFourPerCode)
{
    const QByteArrayList writes = printerCodesFileWrites(builtInCodeTable());
    ASSERT_EQ(writes.size(), 1 + 91 * 4);
    EXPECT_EQ(writes[0], magic);
    EXPECT_EQ(writes[1], bytes({6}));
    EXPECT_EQ(writes[2], "BoldOn");
    EXPECT_EQ(writes[3], bytes({5}));
    EXPECT_EQ(writes[4], bytes({27, 40, 115, 51, 66}));
    // ptIBM's Set10cpi, the single byte 18.
    const int ibmSet10 = 1 + (2 * 13 + 10) * 4;
    EXPECT_EQ(writes[ibmSet10 + 1], "Set10cpi");
    EXPECT_EQ(writes[ibmSet10 + 3], bytes({18}));
    // ptUser2's Set15cpi, empty, ends the file.
    EXPECT_EQ(writes[364], QByteArray());
    EXPECT_EQ(writes[363], bytes({0}));
}

TEST(PrinterCodesFile, EveryCodeOfEveryTypeReadsBackByteForByte)
{
    EXPECT_EQ(parsed(printerCodesFileBytes(builtInCodeTable())), builtInCodeTable());
    EXPECT_EQ(parsed(printerCodesFileBytes(emptyTable)), emptyTable);
    for (unsigned seed = 1; seed <= 50; ++seed) {
        const TCodeTable table = randomTable(seed);
        EXPECT_EQ(parsed(printerCodesFileBytes(table)), table) << seed;
    }
}

TEST(PrinterCodesFile, RefusesAnythingButItsMagic)
{
    for (const QByteArray &content :
        {QByteArray(), magic.left(23), QByteArray("zantoquillerControlCodes"),
            QByteArray("ZantoquillerControlcodes"), QByteArray("ZantoquillerTranslationTable"),
            QByteArray("ZantoquillerControlCode") + entry("BoldOn", "x")})
        EXPECT_FALSE(parsePrinterCodesFile(content).has_value()) << content.constData();
    QByteArray oneLetter = printerCodesFileBytes(builtInCodeTable());
    oneLetter[12] = 'c';
    EXPECT_FALSE(parsePrinterCodesFile(oneLetter).has_value());
}

TEST(PrinterCodesFile, OnlyTheMagicGivesEmptyCodes)
{
    EXPECT_EQ(parsed(magic), emptyTable);
}

TEST(PrinterCodesFile, BoldOnOpensTheGroupsAndEntriesBeforeItAreUser2s)
{
    const QByteArray file = magic + entry("Set10cpi", "u2") + entry("BoldOn", "h")
        + entry("Set12cpi", "h12") + entry("BoldOn", "e");
    const TCodeTable codes = parsed(file);
    EXPECT_EQ(codes[ptUser2].Set10cpi, TCodeString("u2"));
    EXPECT_EQ(codes[ptHPPCL].BoldOn, TCodeString("h"));
    EXPECT_EQ(codes[ptHPPCL].Set12cpi, TCodeString("h12"));
    EXPECT_EQ(codes[ptEpson].BoldOn, TCodeString("e"));
    EXPECT_TRUE(codes[ptEpson].Set12cpi.isEmpty());
}

TEST(PrinterCodesFile, AnEighthBoldOnStartsOverAtHPPCL)
{
    QByteArray file = magic;
    for (int group = 0; group < 8; ++group)
        file += entry("BoldOn", QByteArray(1, char('0' + group))) + entry("SubOn", "s");
    const TCodeTable codes = parsed(file);
    EXPECT_EQ(codes[ptHPPCL].BoldOn, TCodeString("7"));
    EXPECT_EQ(codes[ptEpson].BoldOn, TCodeString("1"));
    EXPECT_EQ(codes[ptUser2].BoldOn, TCodeString("6"));
}

TEST(PrinterCodesFile, AnUnknownKeyInTheMiddleIsSkipped)
{
    const QByteArray file = magic + entry("BoldOn", "a") + entry("Colour", bytes({27, 114, 49}))
        + entry("boldoff", "x") + entry(QByteArray("BoldOff\0", 8), "y") + entry("BoldOff", "b")
        + entry("Set15cpi", "c");
    const TCodeTable codes = parsed(file);
    TCodeTable expected {};
    expected[ptHPPCL].BoldOn.assign("a");
    expected[ptHPPCL].BoldOff.assign("b");
    expected[ptHPPCL].Set15cpi.assign("c");
    EXPECT_EQ(codes, expected);
}

TEST(PrinterCodesFile, AValueOf25BytesLoadsAsItsFirst20)
{
    QByteArray value;
    for (int i = 0; i < 25; ++i)
        value += char(200 + i);
    const TCodeTable codes = parsed(magic + entry("BoldOn", value) + entry("Set10cpi", value));
    EXPECT_EQ(codes[ptHPPCL].BoldOn.toByteArray(), value.left(20));
    EXPECT_EQ(codes[ptHPPCL].Set10cpi.toByteArray(), value.left(20));
}

TEST(PrinterCodesFile, KeysInAnotherOrderAndTheLaterOfTwoWins)
{
    const QByteArray file = magic + entry("BoldOn", "1") + entry("Set15cpi", "2")
        + entry("ItalicOff", "3") + entry("Set15cpi", "4") + entry("BoldOff", "5")
        + entry("BoldOn", "6") + entry("UnderOff", "7");
    const TCodeTable codes = parsed(file);
    EXPECT_EQ(codes[ptHPPCL].BoldOn, TCodeString("1"));
    EXPECT_EQ(codes[ptHPPCL].Set15cpi, TCodeString("4"));
    EXPECT_EQ(codes[ptHPPCL].ItalicOff, TCodeString("3"));
    EXPECT_EQ(codes[ptHPPCL].BoldOff, TCodeString("5"));
    EXPECT_EQ(codes[ptEpson].BoldOn, TCodeString("6"));
    EXPECT_EQ(codes[ptEpson].UnderOff, TCodeString("7"));
}

TEST(PrinterCodesFile, AZeroKeyLengthEndsTheReading)
{
    const QByteArray file = magic + entry("BoldOn", "a") + bytes({0, 2, 'x', 'y'})
        + entry("BoldOff", "b") + entry("BoldOn", "c");
    TCodeTable expected {};
    expected[ptHPPCL].BoldOn.assign("a");
    EXPECT_EQ(parsed(file), expected);
    EXPECT_EQ(parsed(magic + bytes({0}) + entry("BoldOn", "a")), emptyTable);
}

TEST(PrinterCodesFile, AnEntryCutShortIsRefusedWithWhereTheFileEnds)
{
    const QByteArray start = magic + entry("BoldOn", "a");
    const struct
    {
        QByteArray content;
        QString problem;
    } cases[] = {
        // BoldOff announces 5 bytes, 2 are there.
        {start + bytes({7}) + "BoldOff" + bytes({5, 27, 40}),
            QStringLiteral("the file ends at byte 44 inside the value of entry 1")},
        {start + bytes({7}) + "BoldOff",
            QStringLiteral(
                "the file ends at byte 41 inside entry 1, before the length of its value")},
        // "BoldOn" is there, but the key was to be 8 bytes long.
        {start + bytes({8}) + "BoldOn",
            QStringLiteral("the file ends at byte 40 inside the key of entry 1")},
        {magic + bytes({6}), QStringLiteral("the file ends at byte 25 inside the key of entry 0")},
        // An unknown key cut short is as much a cut file.
        {start + entry("Colour", "x") + bytes({6}) + "Col",
            QStringLiteral("the file ends at byte 46 inside the key of entry 2")},
    };
    for (const auto &cut : cases) {
        QString problem;
        EXPECT_FALSE(parsePrinterCodesFile(cut.content, &problem).has_value());
        EXPECT_EQ(problem.toStdString(), cut.problem.toStdString());
    }
    QString problem;
    EXPECT_FALSE(parsePrinterCodesFile(magic.left(20), &problem).has_value());
    EXPECT_EQ(problem, u"does not begin with \"ZantoquillerControlCodes\"");
}

TEST(PrinterCodesFile, AZeroKeyLengthOrAnEmptyValueAtTheEndIsWhole)
{
    TCodeTable expected {};
    expected[ptHPPCL].BoldOn.assign("a");
    EXPECT_EQ(parsed(magic + entry("BoldOn", "a") + bytes({0})), expected);
    EXPECT_EQ(parsed(magic + entry("BoldOn", "a") + entry("BoldOff", {})), expected);
}

// Cut anywhere, a written file either reads as the entries wholly before
// the cut (the format has no count, so a cut between entries is a shorter
// file) or is refused with where it ends: never a code shortened.
TEST(PrinterCodesFile, EveryCutOfAWrittenFileIsRefusedOrHoldsItsWholeEntries)
{
    const TCodeTable table = randomTable(3);
    const QByteArrayList writes = printerCodesFileWrites(table);
    const QByteArray file = writes.join();
    // Where each entry ends, and the codes of the entries up to there.
    QList<qsizetype> entryEnds {magic.size()};
    for (qsizetype write = 1; write < writes.size(); write += 4)
        entryEnds.append(entryEnds.back() + writes[write].size() + writes[write + 1].size()
            + writes[write + 2].size() + writes[write + 3].size());
    ASSERT_EQ(entryEnds.back(), file.size());
    for (qsizetype length = 0; length <= file.size(); ++length) {
        QString problem;
        const std::optional<TCodeTable> codes = parsePrinterCodesFile(file.left(length), &problem);
        const qsizetype wholeEntries = entryEnds.indexOf(length);
        if (length < magic.size() || wholeEntries < 0) {
            ASSERT_FALSE(codes.has_value()) << length;
            ASSERT_TRUE(problem.startsWith(length < magic.size()
                    ? QStringLiteral("does not begin with")
                    : QStringLiteral("the file ends at byte %1 inside ").arg(length)))
                << length << " " << problem.toStdString();
            continue;
        }
        ASSERT_TRUE(codes.has_value()) << length << " " << problem.toStdString();
        TCodeTable expected {};
        for (qsizetype index = 0; index < wholeEntries; ++index) {
            const int type = int(index / TPrinterCodes::FieldCount);
            const int field = int(index % TPrinterCodes::FieldCount);
            expected[type].field(field) = table[type].field(field);
        }
        ASSERT_EQ(*codes, expected) << length;
    }
}
