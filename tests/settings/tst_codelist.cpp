#include "bytes.h"

#include <zantoquiller/codelist.h>
#include <zantoquiller/exceptions.h>

#include <gtest/gtest.h>

#include <random>

using namespace Zanto;
using ZantoTest::bytes;

namespace {

QString errorOf(const QString &list)
{
    try {
        ASCIIListToStr(list);
    } catch (const EConvertError &e) {
        return e.Message();
    }
    return QStringLiteral("<no error>");
}

} // namespace

TEST(CodeList, BytesToText)
{
    EXPECT_EQ(StrToASCIIList(bytes({27, 69})), u"27,69");
    EXPECT_EQ(StrToASCIIList(bytes({0})), u"0");
    EXPECT_EQ(StrToASCIIList(bytes({200})), u"200");
    EXPECT_EQ(StrToASCIIList(bytes({255, 0, 10})), u"255,0,10");
    EXPECT_EQ(StrToASCIIList(QByteArray()), QString());
}

TEST(CodeList, SpacesAndSingleExtraCommasAreSkipped)
{
    for (const char *text :
        {"27,69", " 27 , 69 ", "27,69,", "27,69,,,", "27,,69", ",27,69", "2 7,6 9"})
        EXPECT_EQ(ASCIIListToStr(QString::fromLatin1(text)), bytes({27, 69})) << text;
    for (const char *text : {"", "   ", ",", ",,,", " , , "})
        EXPECT_EQ(ASCIIListToStr(QString::fromLatin1(text)), QByteArray()) << text;
}

TEST(CodeList, NumberForms)
{
    EXPECT_EQ(ASCIIListToStr(QStringLiteral("0")), bytes({0}));
    for (const char *text : {"027", "$1B", "0x1b", "0X1B", "x1b", "X1B", "+27", "$001b"})
        EXPECT_EQ(ASCIIListToStr(QString::fromLatin1(text)), bytes({27})) << text;
    EXPECT_EQ(ASCIIListToStr(QStringLiteral("255,$ff,-0")), bytes({255, 255, 0}));
}

TEST(CodeList, BadItemsNameTheItemAsCut)
{
    EXPECT_EQ(errorOf(QStringLiteral("256")), u"Invalid character code: 256");
    EXPECT_EQ(errorOf(QStringLiteral("-1")), u"Invalid character code: -1");
    EXPECT_EQ(errorOf(QStringLiteral("1B")), u"Invalid character code: 1B");
    EXPECT_EQ(errorOf(QStringLiteral("27, a b")), u"Invalid character code: ab");
    EXPECT_EQ(errorOf(QStringLiteral("27,,,69")), u"Invalid character code: ");
    EXPECT_EQ(errorOf(QStringLiteral(",,27")), u"Invalid character code: ");
    EXPECT_EQ(errorOf(QStringLiteral("27,\t69")), u"Invalid character code: \t69");
    EXPECT_EQ(errorOf(QStringLiteral("$")), u"Invalid character code: $");
    EXPECT_EQ(errorOf(QStringLiteral("0x")), u"Invalid character code: 0x");
    EXPECT_EQ(errorOf(QStringLiteral("-")), u"Invalid character code: -");
    EXPECT_EQ(errorOf(QStringLiteral("1.5")), u"Invalid character code: 1.5");
    EXPECT_EQ(errorOf(QStringLiteral("99999999999999999999")),
        u"Invalid character code: 99999999999999999999");
    EXPECT_EQ(errorOf(QStringLiteral("$100")), u"Invalid character code: $100");
    EXPECT_EQ(errorOf(QStringLiteral("0x1g")), u"Invalid character code: 0x1g");
    EXPECT_EQ(errorOf(QStringLiteral("65,300,66")), u"Invalid character code: 300");
}

TEST(CodeList, IntegerConversionLimits)
{
    qint32 v = 0;
    EXPECT_TRUE(parseInteger(u"2147483647", v));
    EXPECT_EQ(v, 2147483647);
    EXPECT_TRUE(parseInteger(u"-2147483648", v));
    EXPECT_EQ(v, -2147483647 - 1);
    EXPECT_FALSE(parseInteger(u"2147483648", v));
    EXPECT_TRUE(parseInteger(u"$FFFFFFFF", v));
    EXPECT_EQ(v, -1);
    EXPECT_FALSE(parseInteger(u"$100000000", v));
    EXPECT_FALSE(parseInteger(u"", v));
    EXPECT_FALSE(parseInteger(u"+", v));
    EXPECT_FALSE(parseInteger(u" 1", v));
}

TEST(CodeList, RandomRoundTrip)
{
    std::mt19937 random(20261207);
    std::uniform_int_distribution<int> length(0, 40);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int round = 0; round < 5000; ++round) {
        QByteArray s;
        const int n = length(random);
        for (int i = 0; i < n; ++i)
            s += static_cast<char>(round % 7 == 0 ? (i % 2 ? 0 : 255) : byte(random));
        ASSERT_EQ(ASCIIListToStr(StrToASCIIList(s)), s) << qPrintable(StrToASCIIList(s));
    }
}
