// zanto codes show/save and zanto translation show/save, with the shared
// --codes, --translation and --translate options.
#include "processrunner.h"
#include "systemreason.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <cerrno>

#include <QFile>

using namespace ZantoTest;

namespace {

QString sample(const char *name)
{
    return qEnvironmentVariable("ZANTO_SOURCE_DIR") + QStringLiteral("/examples/")
        + QLatin1String(name);
}

QStringList args(std::initializer_list<QString> list)
{
    return QStringList(list);
}

const QStringList invoiceOptions {
    QStringLiteral("--translate"),
    QStringLiteral("126=27,71"),
    QStringLiteral("--translate"),
    QStringLiteral("94=27,72"),
    QStringLiteral("--translate"),
    QStringLiteral("33=27,45,49"),
    QStringLiteral("--translate"),
    QStringLiteral("124=27,45,48"),
};

} // namespace

TEST(CliSettings, CodesSaveWritesTheBuiltInTable)
{
    TempDir dir;
    const ProcessResult saved
        = runZanto(args({QStringLiteral("codes"), QStringLiteral("save"), dir.filePath("codes")}));
    ASSERT_EQ(saved.exitCode, 0) << saved.err.constData();
    EXPECT_TRUE(saved.out.isEmpty());
    const QByteArray file = dir.read(QStringLiteral("codes.PCC"));
    EXPECT_EQ(file.size(), 871 + 140);
    EXPECT_EQ(file, readFile(sample("builtin.PCC")));
}

TEST(CliSettings, CodesShowAndSaveTheLoadedTable)
{
    TempDir dir;
    // ptHPPCL's BoldOn only, everything else empty.
    const QByteArray custom = QByteArray("ZantoquillerControlCodes")
        + "\x06"
          "BoldOn\x02\x1b\x45";
    dir.write(QStringLiteral("custom.PCC"), custom);

    const ProcessResult shown = runZanto(args({QStringLiteral("codes"), QStringLiteral("show"),
        QStringLiteral("--codes"), dir.filePath("custom")}));
    ASSERT_EQ(shown.exitCode, 0) << shown.err.constData();
    const QByteArrayList lines = shown.out.split('\n');
    ASSERT_EQ(lines.size(), 7 * 14 + 1);
    EXPECT_EQ(lines[1], "  BoldOn     27,69");
    EXPECT_EQ(lines[2], "  BoldOff    ");
    EXPECT_EQ(lines[12], "  Set12cpi   ");
    // Without "show" it is the same.
    EXPECT_EQ(runZanto(args({QStringLiteral("codes"), QStringLiteral("--codes"),
                           dir.filePath("custom.PCC")}))
                  .out,
        shown.out);

    const ProcessResult saved = runZanto(args({QStringLiteral("codes"), QStringLiteral("save"),
        dir.filePath("copy.PCC"), QStringLiteral("--codes"), dir.filePath("custom")}));
    ASSERT_EQ(saved.exitCode, 0) << saved.err.constData();
    const QByteArray copy = dir.read(QStringLiteral("copy.PCC"));
    EXPECT_EQ(copy.size(), 871 + 2);
    EXPECT_EQ(copy.left(36),
        custom.left(34)
            + "\x07"
              "B");
}

TEST(CliSettings, CodesFailuresExitWithOneAndTheReason)
{
    TempDir dir;
    const QString missing = dir.filePath("missing");
    ProcessResult result
        = runZanto(args({QStringLiteral("codes"), QStringLiteral("--codes"), missing}));
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err,
        ("zanto codes: File Not Found: " + missing + ": " + missing
            + ".PCC: " + childOsReason(ENOENT) + "\n")
            .toLocal8Bit());
    EXPECT_TRUE(result.out.isEmpty());

    result = runZanto(
        args({QStringLiteral("codes"), QStringLiteral("save"), dir.filePath("no/where")}));
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.err.startsWith("zanto codes: Permission Denied: "))
        << result.err.constData();

    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/full"), dir.filePath("full.PCC")));
    result
        = runZanto(args({QStringLiteral("codes"), QStringLiteral("save"), dir.filePath("full")}));
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err,
        ("zanto codes: Disk Full: " + dir.filePath("full.PCC") + ": " + childOsReason(ENOSPC)
            + "\n")
            .toLocal8Bit());

    dir.write(QStringLiteral("bad.PCC"), "ZantoquillerControlcodes");
    result
        = runZanto(args({QStringLiteral("codes"), QStringLiteral("--codes"), dir.filePath("bad")}));
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.err.startsWith("zanto codes: Invalid File Format: "))
        << result.err.constData();
}

TEST(CliSettings, CodesUsageErrors)
{
    for (const QStringList &arguments : {args({QStringLiteral("codes"), QStringLiteral("save")}),
             args({QStringLiteral("codes"), QStringLiteral("print")}),
             args({QStringLiteral("codes"), QStringLiteral("show"), QStringLiteral("x")}),
             args({QStringLiteral("codes"), QStringLiteral("save"), QStringLiteral("a"),
                 QStringLiteral("b")}),
             args({QStringLiteral("codes"), QStringLiteral("--translation"), QStringLiteral("x")})})
        EXPECT_EQ(runZanto(arguments).exitCode, 2) << arguments.join(u' ').toStdString();
}

TEST(CliSettings, TranslationSaveAndShow)
{
    TempDir dir;
    ProcessResult result = runZanto(
        args({QStringLiteral("translation"), QStringLiteral("save"), dir.filePath("invoice")})
        + invoiceOptions);
    ASSERT_EQ(result.exitCode, 0) << result.err.constData();
    EXPECT_EQ(dir.read(QStringLiteral("invoice.CTT")), readFile(sample("invoice-epson.CTT")));

    result = runZanto(
        args({QStringLiteral("translation"), QStringLiteral("show"), sample("invoice-epson")}));
    ASSERT_EQ(result.exitCode, 0) << result.err.constData();
    EXPECT_EQ(result.out, "126=27,71\n94=27,72\n33=27,45,49\n124=27,45,48\n");

    // --translate entries follow the loaded table; an empty list deletes.
    result = runZanto(args({QStringLiteral("translation"), QStringLiteral("save"),
        dir.filePath("more.CTT"), QStringLiteral("--translate"), QStringLiteral("0="),
        QStringLiteral("--translation"), sample("invoice-epson.CTT"), QStringLiteral("--translate"),
        QStringLiteral("126=$1b,0x47,255")}));
    ASSERT_EQ(result.exitCode, 0) << result.err.constData();
    result = runZanto(
        args({QStringLiteral("translation"), QStringLiteral("show"), dir.filePath("more.CTT")}));
    EXPECT_EQ(result.out, "126=27,71\n94=27,72\n33=27,45,49\n124=27,45,48\n0=\n126=27,71,255\n");

    // No options: an empty table, the magic alone.
    result = runZanto(
        args({QStringLiteral("translation"), QStringLiteral("save"), dir.filePath("empty")}));
    ASSERT_EQ(result.exitCode, 0) << result.err.constData();
    EXPECT_EQ(dir.read(QStringLiteral("empty.CTT")), "ZantoquillerTranslationTable");
    result = runZanto(
        args({QStringLiteral("translation"), QStringLiteral("show"), dir.filePath("empty")}));
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_TRUE(result.out.isEmpty());
}

TEST(CliSettings, TranslationFailures)
{
    TempDir dir;
    const QString missing = dir.filePath("missing");
    ProcessResult result
        = runZanto(args({QStringLiteral("translation"), QStringLiteral("show"), missing}));
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err,
        ("zanto translation: File Not Found: " + missing + ": " + missing
            + ".CTT: " + childOsReason(ENOENT) + "\n")
            .toLocal8Bit());

    result = runZanto(args({QStringLiteral("translation"), QStringLiteral("save"),
        dir.filePath("out"), QStringLiteral("--translation"), missing}));
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.err.startsWith(
        "zanto translation: File Not Found: " + missing.toLocal8Bit() + ": "));
    EXPECT_FALSE(QFile::exists(dir.filePath("out.CTT")));

    result = runZanto(args({QStringLiteral("translation"), QStringLiteral("show"),
        qEnvironmentVariable("ZANTO_SOURCE_DIR") + QStringLiteral("/examples/builtin.PCC")}));
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.err.startsWith("zanto translation: Invalid File Format: "))
        << result.err.constData();

    // 300 replacement bytes do not fit the file: refused, nothing written.
    QString longList = QStringLiteral("1");
    for (int i = 1; i < 300; ++i)
        longList += QStringLiteral(",1");
    result = runZanto(args({QStringLiteral("translation"), QStringLiteral("save"),
        dir.filePath("long"), QStringLiteral("--translate"), QStringLiteral("65=") + longList}));
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err,
        "zanto translation: Replacement too long: TransOut entry 0 (character 65) has 300 bytes, a "
        "translation table file holds at most 255\n");
    EXPECT_FALSE(QFile::exists(dir.filePath("long.CTT")));
}

TEST(CliSettings, TranslationUsageErrors)
{
    TempDir dir;
    const QString out = dir.filePath("out");
    for (const QStringList &arguments : {
             args({QStringLiteral("translation")}),
             args({QStringLiteral("translation"), QStringLiteral("show")}),
             args({QStringLiteral("translation"), QStringLiteral("list"), out}),
             args({QStringLiteral("translation"), QStringLiteral("save"), out, out}),
             args({QStringLiteral("translation"), QStringLiteral("save"), out,
                 QStringLiteral("--translate"), QStringLiteral("256=1")}),
             args({QStringLiteral("translation"), QStringLiteral("save"), out,
                 QStringLiteral("--translate"), QStringLiteral("a=1")}),
             args({QStringLiteral("translation"), QStringLiteral("save"), out,
                 QStringLiteral("--translate"), QStringLiteral("65")}),
             args({QStringLiteral("translation"), QStringLiteral("save"), out,
                 QStringLiteral("--translate"), QStringLiteral("65=1,,,2")}),
             args({QStringLiteral("translation"), QStringLiteral("show"), out,
                 QStringLiteral("--translate"), QStringLiteral("65=1")}),
             args({QStringLiteral("translation"), QStringLiteral("save"), out,
                 QStringLiteral("--codes"), out}),
         }) {
        const ProcessResult result = runZanto(arguments);
        EXPECT_EQ(result.exitCode, 2) << arguments.join(u' ').toStdString();
        EXPECT_TRUE(result.err.startsWith("zanto translation: ")) << result.err.constData();
    }
    EXPECT_FALSE(QFile::exists(out + QStringLiteral(".CTT")));
    const ProcessResult bad = runZanto(args({QStringLiteral("translation"), QStringLiteral("save"),
        out, QStringLiteral("--translate"), QStringLiteral("65=1,256")}));
    EXPECT_EQ(bad.err, "zanto translation: --translate: '65=1,256': Invalid character code: 256\n");
}
