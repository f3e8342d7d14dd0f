// zanto dump: every byte shown readably.
#include "processrunner.h"
#include "tempdir.h"

#include <gtest/gtest.h>

using namespace ZantoTest;

TEST(CliDump, NamesControlBytesAndBreaksAfterLineFeedsAndFormFeeds)
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    const ProcessResult result = runZanto({QStringLiteral("dump")}, all);
    ASSERT_EQ(result.exitCode, 0) << result.err.constData();
    QByteArray expected = "<NUL><SOH><STX><ETX><EOT><ENQ><ACK><BEL><BS><HT><LF>\n<VT><FF>\n<CR><SO>"
                          "<SI><DLE><DC1><DC2><DC3><DC4><NAK><SYN><ETB><CAN><EM><SUB><ESC><FS><GS>"
                          "<RS><US>";
    for (int b = 32; b < 127; ++b)
        expected += static_cast<char>(b);
    expected += "<DEL>";
    for (int b = 128; b < 256; ++b)
        expected += "<" + QByteArray::number(b) + ">";
    expected += "\n";
    EXPECT_EQ(result.out, expected);
}

TEST(CliDump, ReadsANamedFile)
{
    TempDir dir;
    dir.write(QStringLiteral("sent.prn"), "\x1BGInvoice\x1BH\r\n");
    const ProcessResult result
        = runZanto({QStringLiteral("dump"), dir.filePath(QStringLiteral("sent.prn"))});
    ASSERT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, "<ESC>GInvoice<ESC>H<CR><LF>\n");
}

TEST(CliDump, AMissingFileIsAUsageError)
{
    const ProcessResult result
        = runZanto({QStringLiteral("dump"), QStringLiteral("/no/such/file")});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_NE(result.err.indexOf("cannot open '/no/such/file'"), -1) << result.err.constData();
    EXPECT_TRUE(result.out.isEmpty());
}
