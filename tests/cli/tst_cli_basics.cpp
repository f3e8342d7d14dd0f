#include "processrunner.h"

#include <gtest/gtest.h>

using namespace ZantoTest;

TEST(CliBasics, VersionAndHelp)
{
    const ProcessResult version = runZanto({QStringLiteral("--version")});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_TRUE(version.out.startsWith("zanto ")) << version.out.constData();
    const ProcessResult help = runZanto({QStringLiteral("--help")});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.indexOf("zanto codes"), -1);
}

TEST(CliBasics, UsageErrorsExitWithTwo)
{
    EXPECT_EQ(runZanto({}).exitCode, 2);
    const ProcessResult unknown = runZanto({QStringLiteral("frobnicate")});
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_NE(unknown.err.indexOf("unknown command 'frobnicate'"), -1);
    EXPECT_EQ(runZanto({QStringLiteral("codes"), QStringLiteral("--no-such-option")}).exitCode, 2);
}

TEST(CliBasics, CodesShowsTheBuiltInTable)
{
    const ProcessResult codes = runZanto({QStringLiteral("codes")});
    ASSERT_EQ(codes.exitCode, 0) << codes.err.constData();
    const QByteArrayList lines = codes.out.split('\n');
    // seven groups of a heading and thirteen codes
    ASSERT_EQ(lines.size(), 7 * 14 + 1);
    EXPECT_EQ(lines[0], "ptHPPCL");
    EXPECT_EQ(lines[12], "  Set12cpi   27,40,115,49,50,72");
    EXPECT_EQ(lines[28], "ptIBM");
    EXPECT_EQ(lines[28 + 11], "  Set10cpi   18");
    EXPECT_EQ(lines[42], "ptDiablo");
    EXPECT_EQ(lines[43], "  BoldOn     ");
}
