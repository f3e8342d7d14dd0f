#include "bytes.h"

#include <zantoquiller/zantoquiller.h>

#include <gtest/gtest.h>

#include <QPointer>

using namespace Zanto;
using ZantoTest::bytes;

TEST(Component, DefaultsOfANewComponent)
{
    TZantoquiller z;
    EXPECT_EQ(z.PrinterType(), ptHPPCL);
    EXPECT_EQ(z.Port(), poLPT1);
    EXPECT_FALSE(z.UseSpooler());
    EXPECT_EQ(z.LeftOffset(), 0);
    EXPECT_EQ(z.LinesPerPage(), 0);
    EXPECT_EQ(z.LineWidth(), 0);
    EXPECT_TRUE(z.TransIn().isEmpty());
    EXPECT_TRUE(z.TransOut().isEmpty());
    EXPECT_TRUE(z.OutputFile().isEmpty());
    EXPECT_EQ(z.Pitch(), cpi10);
    EXPECT_TRUE(z.SendLineFeed());
    EXPECT_EQ(z.LineSpacing(), 1);
    EXPECT_TRUE(z.PrintAllPages());
    EXPECT_EQ(z.PrintRangeStart(), 1);
    EXPECT_EQ(z.PrintRangeEnd(), 1);
    EXPECT_EQ(z.Timeout(), 1000);
}

TEST(Component, EnumerationOrdinals)
{
    EXPECT_EQ(ptHPPCL, 0);
    EXPECT_EQ(ptUser2, 6);
    EXPECT_EQ(poLPT1, 0);
    EXPECT_EQ(poCurrent, 6);
    EXPECT_EQ(poDisk, 7);
    EXPECT_EQ(cpi15, 2);
}

TEST(Component, BuiltInCodeSetsByteForByte)
{
    TZantoquiller z;
    const TCodeTable &t = z.CodeTable();
    const std::vector<std::vector<QByteArray>> expected {
        {bytes({27, 40, 115, 51, 66}), bytes({27, 40, 115, 48, 66}), bytes({27, 40, 115, 49, 83}),
            bytes({27, 40, 115, 48, 83}), bytes({27, 38, 100, 49, 68}), bytes({27, 38, 100, 64}),
            bytes({27, 40, 115, 43, 49, 117, 54, 86}), bytes({27, 40, 115, 48, 117, 49, 50, 86}),
            bytes({27, 40, 115, 45, 49, 117, 54, 86}), bytes({27, 40, 115, 48, 117, 49, 50, 86}),
            bytes({27, 40, 115, 49, 48, 72}), bytes({27, 40, 115, 49, 50, 72}),
            bytes({27, 40, 115, 49, 53, 72})},
        {bytes({27, 71}), bytes({27, 72}), bytes({27, 52}), bytes({27, 53}), bytes({27, 45, 49}),
            bytes({27, 45, 48}), bytes({27, 83, 48}), bytes({27, 84}), bytes({27, 83, 49}),
            bytes({27, 84}), bytes({27, 80}), bytes({27, 77}), bytes({27, 103})},
        {bytes({27, 69}), bytes({27, 70}), bytes({27, 37, 71}), bytes({27, 37, 72}),
            bytes({27, 45, 49}), bytes({27, 45, 48}), bytes({27, 83, 48}), bytes({27, 84}),
            bytes({27, 83, 49}), bytes({27, 84}), bytes({18}), bytes({27, 58}), bytes({27, 103})},
    };
    for (int type = 0; type < 3; ++type)
        for (int f = 0; f < TPrinterCodes::FieldCount; ++f)
            EXPECT_EQ(t[type].field(f).toByteArray(), expected[type][f])
                << "type " << type << " field " << TPrinterCodes::fieldName(f);
    for (int type = ptDiablo; type <= ptUser2; ++type)
        for (int f = 0; f < TPrinterCodes::FieldCount; ++f)
            EXPECT_TRUE(t[type].field(f).isEmpty()) << "type " << type << " field " << f;
}

TEST(Component, FieldNamesAndIndexes)
{
    EXPECT_STREQ(TPrinterCodes::fieldName(0), "BoldOn");
    EXPECT_STREQ(TPrinterCodes::fieldName(12), "Set15cpi");
    EXPECT_EQ(TPrinterCodes::fieldIndex("Set10cpi"), 10);
    EXPECT_EQ(TPrinterCodes::fieldIndex("boldon"), -1);
    TPrinterCodes codes;
    codes.field(11).assign("x");
    EXPECT_EQ(codes.Set12cpi.toByteArray(), "x");
}

TEST(Component, CodeValuesAreCutToTwentyBytes)
{
    TCodeString code;
    code.assign(QByteArray(25, 'a') + "b");
    EXPECT_EQ(code.size(), 20);
    EXPECT_EQ(code.toByteArray(), QByteArray(20, 'a'));
    code.assign(QByteArray(20, '\0'));
    EXPECT_EQ(code.toByteArray(), QByteArray(20, '\0'));
    code.assign("");
    EXPECT_TRUE(code.isEmpty());
}

TEST(Component, CodeRecordsCopyByValue)
{
    TZantoquiller z;
    TCodeTable table = z.CodeTable();
    TPrinterCodes copy = table[ptEpson];
    table[ptEpson].BoldOn.assign("changed");
    EXPECT_EQ(copy.BoldOn.toByteArray(), bytes({27, 71}));
    EXPECT_EQ(z.CodeTable()[ptEpson].BoldOn.toByteArray(), bytes({27, 71}));
    z.SetCodeTable(table);
    EXPECT_EQ(z.CodeTable()[ptEpson].BoldOn.toByteArray(), "changed");
}

TEST(Component, ChangingPrinterTypeLeavesTheCodesAlone)
{
    TZantoquiller z;
    const TCodeTable before = z.CodeTable();
    z.SetPrinterType(ptEpson);
    z.SetPrinterType(ptHPPCL);
    EXPECT_EQ(z.CodeTable(), before);
}

TEST(Component, OffsetLimits)
{
    TZantoquiller z;
    z.SetOffset(3800);
    EXPECT_EQ(z.LeftOffset(), 3800);
    z.SetOffset(0);
    EXPECT_EQ(z.LeftOffset(), 0);
    z.SetOffset(17);
    try {
        z.SetOffset(3801);
        FAIL() << "3801 accepted";
    } catch (const eZantoquillError &e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Invalid Offset! Maximum 3800"));
    }
    EXPECT_EQ(z.LeftOffset(), 17);
    try {
        z.SetOffset(-1);
        FAIL() << "-1 accepted";
    } catch (const eZantoquillError &e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Invalid Offset! Value must be positive"));
    }
    EXPECT_EQ(z.LeftOffset(), 17);
}

TEST(Component, OtherPropertiesAreStoredUnchecked)
{
    TZantoquiller z;
    z.SetLineWidth(-4);
    z.SetLinesPerPage(-1);
    z.SetPort(static_cast<TIOPortName>(9));
    z.SetPrinterType(static_cast<TPrinterType>(12));
    EXPECT_EQ(z.LineWidth(), -4);
    EXPECT_EQ(z.LinesPerPage(), -1);
    EXPECT_EQ(int(z.Port()), 9);
    EXPECT_EQ(int(z.PrinterType()), 12);
}

TEST(Component, WritingAListCopiesIt)
{
    TZantoquiller z;
    z.TransIn() << "old";
    QByteArrayList source {"~", "^", "!"};
    z.SetTransIn(source);
    EXPECT_EQ(z.TransIn(), source);
    source[0] = "x";
    source.append("y");
    EXPECT_EQ(z.TransIn(), (QByteArrayList {"~", "^", "!"}));
    z.SetTransOut(source);
    source.clear();
    EXPECT_EQ(z.TransOut().size(), 4);
}

TEST(Component, ReadingAListGivesTheOwnList)
{
    TZantoquiller z;
    z.TransIn().append("~");
    z.TransOut().append(bytes({27, 71}));
    EXPECT_EQ(z.TransIn(), QByteArrayList {"~"});
    EXPECT_EQ(z.TransOut(), QByteArrayList {bytes({27, 71})});
    z.SetTransIn(z.TransIn()); // assigning the own list keeps it
    EXPECT_EQ(z.TransIn(), QByteArrayList {"~"});
}

TEST(Component, WritingANullListFailsAndKeepsTheList)
{
    TZantoquiller z;
    z.TransIn() << "a"
                << "b";
    const QByteArrayList *none = nullptr;
    EXPECT_THROW(z.SetTransIn(none), EConvertError);
    EXPECT_THROW(z.SetTransOut(none), EConvertError);
    EXPECT_EQ(z.TransIn(), (QByteArrayList {"a", "b"}));
}

TEST(Component, OwnerDestroysTheComponent)
{
    auto *owner = new QObject;
    QPointer<TZantoquiller> z = new TZantoquiller(owner);
    EXPECT_EQ(z->parent(), owner);
    delete owner;
    EXPECT_TRUE(z.isNull());
}

TEST(Component, MaxAndMin)
{
    EXPECT_EQ(TZantoquiller::Max(3, -2), 3);
    EXPECT_EQ(TZantoquiller::Max(-2, 3), 3);
    EXPECT_EQ(TZantoquiller::Min(3, -2), -2);
    EXPECT_EQ(TZantoquiller::Min(INT32_MAX, 4), 4);
}
