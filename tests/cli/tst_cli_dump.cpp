// zanto dump: every byte shown readably.
#include "processrunner.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <clocale>
#include <cstring>

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

TEST(CliDump, AMissingFileOrAFolderFails)
{
    TempDir dir;
    std::setlocale(LC_ALL, ""); // zanto's reasons are in the locale it runs in
    const struct
    {
        QString name;
        int error;
    } cases[] = {{QStringLiteral("/no/such/file"), ENOENT}, {dir.path(), EISDIR}};
    for (const auto &c : cases) {
        const ProcessResult result = runZanto({QStringLiteral("dump"), c.name});
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_EQ(result.err,
            "zanto dump: cannot open '" + c.name.toLocal8Bit() + "': " + std::strerror(c.error)
                + "\n");
        EXPECT_TRUE(result.out.isEmpty());
    }
}
