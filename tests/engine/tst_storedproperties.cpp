#include <zantoquiller/storedproperties.h>
#include <zantoquiller/zantoquiller.h>

#include <gtest/gtest.h>

#include <QMetaProperty>

using namespace Zanto;

namespace {

void expectSameProperties(const TZantoquiller &a, const TZantoquiller &b)
{
    const QMetaObject &meta = TZantoquiller::staticMetaObject;
    for (int i = meta.propertyOffset(); i < meta.propertyCount(); ++i) {
        const QMetaProperty p = meta.property(i);
        EXPECT_EQ(p.read(&a), p.read(&b)) << p.name();
    }
}

} // namespace

TEST(StoredProperties, UntouchedComponentListsEveryOrdinalAndBoolean)
{
    TZantoquiller z;
    EXPECT_EQ(writeStoredProperties(z),
        QByteArray("PrinterType = ptHPPCL\n"
                   "Port = poLPT1\n"
                   "UseSpooler = False\n"
                   "LeftOffset = 0\n"
                   "LinesPerPage = 0\n"
                   "LineWidth = 0\n"
                   "Pitch = cpi10\n"
                   "SendLineFeed = True\n"
                   "LineSpacing = 1\n"
                   "PrintAllPages = True\n"
                   "PrintRangeStart = 1\n"
                   "PrintRangeEnd = 1\n"
                   "Timeout = 1000\n"));
}

TEST(StoredProperties, StringsAndListsWhenNotEmpty)
{
    TZantoquiller z;
    z.SetOutputFile(QStringLiteral("/tmp/it's.txt"));
    z.SetTransIn(QByteArrayList {"~", "'"});
    z.SetTransOut(QByteArrayList {QByteArray("\x1bG"), QByteArray()});
    const QByteArray text = writeStoredProperties(z);
    EXPECT_NE(text.indexOf("TransIn = ('~', '''')\n"), -1) << text.constData();
    EXPECT_NE(text.indexOf("TransOut = (#27'G', '')\n"), -1) << text.constData();
    EXPECT_NE(text.indexOf("OutputFile = '/tmp/it''s.txt'\n"), -1) << text.constData();
    // declaration order: lists after LineWidth, OutputFile before Pitch
    EXPECT_LT(text.indexOf("LineWidth"), text.indexOf("TransIn"));
    EXPECT_LT(text.indexOf("OutputFile"), text.indexOf("Pitch"));
}

TEST(StoredProperties, RoundTripOfEveryPropertyAndEveryByte)
{
    TZantoquiller a;
    a.SetPrinterType(ptUser1);
    a.SetPort(poDisk);
    a.SetUseSpooler(true);
    a.SetOffset(3800);
    a.SetLinesPerPage(-3);
    a.SetLineWidth(2147483647);
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    a.SetTransIn(QByteArrayList {QByteArray(1, '\0'), QByteArray(1, '\xff'), "~"});
    a.SetTransOut(QByteArrayList {all, QByteArray(), "#'#"});
    a.SetOutputFile(QStringLiteral("/tmp/Zähler #1.prn"));
    a.SetPitch(cpi15);
    a.SetSendLineFeed(false);
    a.SetLineSpacing(255);
    a.SetPrintAllPages(false);
    a.SetPrintRangeStart(-2147483647 - 1);
    a.SetPrintRangeEnd(9);
    a.SetTimeout(65535);

    TZantoquiller b;
    readStoredProperties(b, writeStoredProperties(a));
    expectSameProperties(a, b);
    EXPECT_EQ(b.TransOut()[0], all);
}

TEST(StoredProperties, OutOfRangeOrdinalsRoundTrip)
{
    TZantoquiller a;
    a.SetPort(static_cast<TIOPortName>(11));
    TZantoquiller b;
    readStoredProperties(b, writeStoredProperties(a));
    EXPECT_EQ(int(b.Port()), 11);
}

TEST(StoredProperties, BadTextIsRefusedWithTheLine)
{
    TZantoquiller z;
    const auto expectError = [&z](const QByteArray &text, const QString &start) {
        try {
            readStoredProperties(z, text);
            ADD_FAILURE() << "accepted: " << text.constData();
        } catch (const EConvertError &e) {
            EXPECT_TRUE(e.Message().startsWith(start)) << qPrintable(e.Message());
        }
    };
    expectError("Pitch = cpi11\n", QStringLiteral("Line 1: unknown enumeration"));
    expectError("\nNoSuch = 1\n", QStringLiteral("Line 2: unknown property"));
    expectError("LineSpacing = 256\n", QStringLiteral("Line 1: number out of range"));
    expectError("UseSpooler = yes\n", QStringLiteral("Line 1: True or False"));
    expectError("OutputFile = 'open\n", QStringLiteral("Line 1: unterminated"));
    expectError("TransIn = ('a' 'b')\n", QStringLiteral("Line 1: ')' expected"));
    expectError("TransIn = (#256)\n", QStringLiteral("Line 1: invalid character code"));
    expectError("Timeout = 5 6\n", QStringLiteral("Line 1: unexpected text"));
}

TEST(StoredProperties, ComponentChecksStillApply)
{
    TZantoquiller z;
    EXPECT_THROW(readStoredProperties(z, "LeftOffset = 3801\n"), eZantoquillError);
    EXPECT_EQ(z.LeftOffset(), 0);
}

TEST(StoredProperties, PropertiesNotNamedKeepTheirValues)
{
    TZantoquiller z;
    z.SetLineWidth(80);
    readStoredProperties(z, "Pitch = cpi12\r\n\r\nTransIn = ()\r\n");
    EXPECT_EQ(z.Pitch(), cpi12);
    EXPECT_EQ(z.LineWidth(), 80);
}

TEST(StoredProperties, TheWrapRuleIsNotStoredAndDefaultsToTheComponentsRule)
{
    TZantoquiller z;
    EXPECT_EQ(z.wrapRule(), WrapRule::Memo);
    EXPECT_EQ(z.tabStops(), 8);
    const QByteArray untouched = writeStoredProperties(z);
    z.setWrapRule(WrapRule::Fold);
    z.setTabStops(4);
    // Files stay as readers without the property expect them.
    EXPECT_EQ(writeStoredProperties(z), untouched);
    readStoredProperties(z, untouched);
    EXPECT_EQ(z.wrapRule(), WrapRule::Fold);
}
