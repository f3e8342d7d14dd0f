// zanto's printer languages: `zanto languages` lists the language models,
// every shipped profile names its language and previews the same whether
// the text is laid out (print --preview) or its printed bytes read back
// (preview -P), with the profile's columns; a pitch the language lacks and
// an unknown language in a profile are refused with where they come from;
// status asks as the profile's language says.
#include "loopbackprinter.h"
#include "processrunner.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcessEnvironment>
#include <QRegularExpression>

using namespace ZantoTest;

namespace {

const QStringList languageNames {QStringLiteral("escp-9pin"), QStringLiteral("escp-24pin"),
    QStringLiteral("proprinter"), QStringLiteral("pcl5"), QStringLiteral("diablo630"),
    QStringLiteral("escpos"), QStringLiteral("escpos-180dpi"), QStringLiteral("star-line"),
    QStringLiteral("plain"), QStringLiteral("plain-newline")};

} // namespace

TEST(CliLanguages, ListsEveryLanguageWithItsFontsAndStatus)
{
    const ProcessResult names = runZanto({QStringLiteral("languages"), QStringLiteral("--names")});
    ASSERT_EQ(names.exitCode, 0) << names.err.constData();
    EXPECT_EQ(QString::fromUtf8(names.out).split(u'\n', Qt::SkipEmptyParts), languageNames);

    const ProcessResult listed = runZanto({QStringLiteral("languages")});
    ASSERT_EQ(listed.exitCode, 0) << listed.err.constData();
    const QStringList lines = QString::fromUtf8(listed.out).split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), languageNames.size());
    for (qsizetype index = 0; index < lines.size(); ++index)
        EXPECT_EQ(lines[index].section(u' ', 0, 0), languageNames[index])
            << lines[index].toStdString();
    // Each language's line tells these, from its model.
    const QList<std::pair<qsizetype, QStringList>> facts {
        {0, {"status: none", "Pica 10 cpi", "Elite 12 cpi", "15 cpi", "papers: any"}},
        {3, {"HP PCL 5", "status: PJL"}},
        {5, {"status: DLE EOT", "Font A 48/32 columns", "Font B 64/42 columns", "roll80/roll58"}},
        {6, {"Font A 42/30 columns"}},
        {7, {"status: Star ASB", "Font A 48/32 columns"}},
    };
    for (const auto &[index, texts] : facts) {
        for (const QString &text : texts)
            EXPECT_TRUE(lines[index].contains(text))
                << lines[index].toStdString() << " lacks " << text.toStdString();
    }
    const ProcessResult extra = runZanto({QStringLiteral("languages"), QStringLiteral("x")});
    EXPECT_EQ(extra.exitCode, 2);
}

// For every shipped profile: its language, and its columns per line the
// same in the layout's preview and in the preview of the bytes printed.
TEST(CliLanguages, EveryShippedProfilePreviewsTheSameAsItsPrintedBytes)
{
    struct Profile
    {
        const char *name;
        const char *language;
        int columns;
    };
    const Profile profiles[] {
        {"epson-9pin", "escp-9pin", 80},
        {"epson-24pin", "escp-24pin", 80},
        {"ibm-proprinter", "proprinter", 80},
        {"oki-microline", "proprinter", 80},
        {"hp-pcl5", "pcl5", 80},
        {"diablo-630", "diablo630", 80},
        {"escpos-80mm", "escpos", 48},
        {"escpos-58mm", "escpos", 32},
        {"star-line", "star-line", 48},
        {"generic-text", "plain", 80},
    };
    const TempDir dir;
    const QByteArray digits = QByteArray("0123456789").repeated(10);
    for (const Profile &profile : profiles) {
        SCOPED_TRACE(profile.name);
        const QString name = QString::fromLatin1(profile.name);
        const ProcessResult shown
            = runZanto({QStringLiteral("profiles"), QStringLiteral("show"), name});
        EXPECT_TRUE(QRegularExpression(QStringLiteral("(^|\\n)language +%1 ").arg(profile.language))
                        .match(QString::fromUtf8(shown.out))
                        .hasMatch())
            << shown.out.constData();

        // A line of exactly the columns stays one line; one more folds.
        const QByteArray full = digits.left(profile.columns);
        const QByteArray longer = digits.left(profile.columns + 1);
        const QString text = dir.path() + QStringLiteral("/in.txt");
        writeFile(text, full + '\n' + longer + "\nend\n");
        const QString laidOut = dir.path() + QStringLiteral("/laidout.txt");
        const QString bytes = dir.path() + QStringLiteral("/job.bin");
        const QString readBack = dir.path() + QStringLiteral("/readback.txt");
        const ProcessResult preview = runZanto({QStringLiteral("print"), QStringLiteral("-P"), name,
            QStringLiteral("--preview"), laidOut, text});
        ASSERT_EQ(preview.exitCode, 0) << preview.err.constData();
        EXPECT_EQ(preview.err, QByteArray());
        const ProcessResult printed = runZanto({QStringLiteral("print"), QStringLiteral("-P"), name,
            QStringLiteral("-o"), bytes, text});
        ASSERT_EQ(printed.exitCode, 0) << printed.err.constData();
        const ProcessResult read = runZanto({QStringLiteral("preview"), QStringLiteral("-P"), name,
            QStringLiteral("-o"), readBack, bytes});
        ASSERT_EQ(read.exitCode, 0) << read.err.constData();
        EXPECT_EQ(read.err, QByteArray());

        const QByteArray sheets = readFile(laidOut);
        EXPECT_EQ(readFile(readBack), sheets);
        const QByteArrayList lines = sheets.split('\n');
        ASSERT_GE(lines.size(), 4);
        EXPECT_EQ(lines[0], full);
        EXPECT_EQ(lines[1], full);
        EXPECT_EQ(lines[2], longer.right(1));
        EXPECT_EQ(lines[3], QByteArray("end"));
    }
}

TEST(CliLanguages, APitchTheLanguageLacksIsRefused)
{
    struct Case
    {
        QStringList arguments;
        int status;
        const char *message; // on standard error; empty for none
    };
    const QList<Case> cases {
        {{"--language", "proprinter", "--pitch", "15"}, 2,
            "zanto print: --pitch: 15 cpi is not a pitch of proprinter (IBM Proprinter), which "
            "has 10, 12 cpi\n"},
        {{"-P", "generic-text", "--pitch", "12"}, 2,
            "zanto print: --pitch: 12 cpi is not a pitch of plain (Plain text (LF feeds only)), "
            "which has 10 cpi\n"},
        {{"-P", "ibm-proprinter", "--pitch", "12"}, 0, ""},
        {{"--language", "escp-9pin", "--pitch", "15"}, 0, ""},
        // The motion index reaches 12 cpi; PCL takes any pitch.
        {{"-P", "diablo-630", "--pitch", "12"}, 0, ""},
        {{"-P", "hp-pcl5", "--pitch", "15"}, 0, ""},
        // A receipt printer's codes file picks a font for each pitch.
        {{"-P", "escpos-80mm", "--pitch", "15"}, 0, ""},
        {{"--language", "cobol"}, 2, nullptr},
    };
    const TempDir dir;
    const QString output = dir.path() + QStringLiteral("/out.bin");
    for (const Case &test : cases) {
        SCOPED_TRACE(test.arguments.join(u' ').toStdString());
        QFile::remove(output);
        const ProcessResult result = runZanto(
            QStringList {QStringLiteral("print"), QStringLiteral("-o"), output} + test.arguments,
            "text\n");
        EXPECT_EQ(result.exitCode, test.status);
        if (test.message) {
            EXPECT_EQ(result.err, QByteArray(test.message));
        }
        // Nothing is written when refused.
        EXPECT_EQ(QFile::exists(output), test.status == 0);
    }
}

TEST(CliLanguages, AnUnknownLanguageInAProfileIsToldWithItsLine)
{
    const TempDir dir;
    QDir(dir.path()).mkpath(QStringLiteral("zantoquiller"));
    const QString conf = dir.path() + QStringLiteral("/zantoquiller/zanto.conf");
    writeFile(conf, "[bad]\nprinter-type = epson\nlanguage = postscript\n");
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.path());
    const QString job = dir.path() + QStringLiteral("/job.bin");
    writeFile(job, "x\n");
    const QByteArray told = conf.toUtf8() + ": 3: language: unknown language 'postscript'";
    for (const QString &command :
        {QStringLiteral("print"), QStringLiteral("preview"), QStringLiteral("status")}) {
        SCOPED_TRACE(command.toStdString());
        const QStringList arguments = command == u"print"
            ? QStringList {command, QStringLiteral("-P"), QStringLiteral("bad"),
                QStringLiteral("-o"), dir.path() + QStringLiteral("/out.bin"), job}
            : QStringList {command, QStringLiteral("-P"), QStringLiteral("bad"), job};
        const ProcessResult result = runZanto(arguments, {}, environment);
        EXPECT_EQ(result.exitCode, 2);
        EXPECT_TRUE(result.err.contains(QByteArray(told).replace(": 3", ":3")))
            << result.err.constData();
    }
}

TEST(CliLanguages, StatusAsksAsTheProfilesLanguageSays)
{
    const QList<std::pair<QStringList, QByteArray>> cases {
        {{"-P", "escpos-80mm"}, "\x10\x04"},
        {{"--language", "escpos"}, "\x10\x04"},
        {{"-P", "hp-pcl5"}, "@PJL"},
        // --language outweighs the profile's.
        {{"-P", "escpos-80mm", "--language", "pcl5"}, "@PJL"},
    };
    for (const auto &[options, request] : cases) {
        SCOPED_TRACE(options.join(u' ').toStdString());
        const LoopbackPrinter printer;
        const ProcessResult result
            = runZanto(QStringList {QStringLiteral("status"), printer.uri(),
                           QStringLiteral("--timeout"), QStringLiteral("300")}
                + options);
        EXPECT_EQ(result.exitCode, 0) << result.err.constData();
        ASSERT_TRUE(printer.waitForConnections(1));
        const QByteArray sent = printer.received().value(0);
        EXPECT_TRUE(sent.startsWith(request) || sent.contains(request))
            << QByteArray(sent).toPercentEncoding().constData();
        EXPECT_EQ(sent.contains("\x10\x04"), request == "\x10\x04");
    }
}

// --codepage with --language: the job starts with the language's command for
// its own table of that code page, so that the preview of the printed bytes
// reads the text back; a code page the language has no table for is refused
// unless --codepage-only; a language without tables converts alone.
TEST(CliLanguages, CodePageSelectsThePrintersTable)
{
    struct Case
    {
        const char *language;
        const char *codePage;
        QByteArray start; // null: refused

        const char *text;
    };
    const Case cases[] {
        {"escpos", "cp858", "\x1Bt\x13", "Total 5 €"},
        {"escpos", "cp437", QByteArray("\x1Bt\0", 3), "Größe ½"},
        {"escpos", "windows-1252", "\x1Bt\x10", "Total 5 €"},
        {"escpos-180dpi", "cp866", "\x1Bt\x11", "Привет"},
        {"escp-9pin", "cp858", QByteArray("\x1B(t\x03\0\x01,\0\x1Bt\x01", 11), "Total 5 €"},
        {"escp-24pin", "cp852", QByteArray("\x1B(t\x03\0\x01\x0A\0\x1Bt\x01", 11), "Łódź"},
        {"star-line", "windows-1251", "\x1B\x1Dt\x22", "Привет"},
        {"pcl5", "iso-8859-15", "\x1B(9N", "Total 5 €"},
        {"pcl5", "cp850", "\x1B(12U", "Größe"},
        {"pcl5", "cp858", {}, ""},
        {"escpos", "iso-8859-1", {}, ""},
        {"diablo630", "cp437", "", "Total"},
    };
    TempDir dir;
    for (const Case &test : cases) {
        SCOPED_TRACE(std::string(test.language) + " " + test.codePage);
        const QString printed = dir.path() + QStringLiteral("/printed");
        QFile::remove(printed);
        const QStringList arguments {QStringLiteral("print"), QStringLiteral("--language"),
            QLatin1StringView(test.language), QStringLiteral("--codepage"),
            QLatin1StringView(test.codePage), QStringLiteral("-o"), printed};
        const QByteArray input = QByteArray(test.text) + "\n";
        const ProcessResult result = runZanto(arguments, input);
        if (test.start.isNull()) {
            EXPECT_EQ(result.exitCode, 2);
            EXPECT_TRUE(result.err.contains("cannot select code page")) << result.err.constData();
            EXPECT_FALSE(QFile::exists(printed));
            const ProcessResult unselected
                = runZanto(arguments + QStringList {QStringLiteral("--codepage-only")}, input);
            EXPECT_EQ(unselected.exitCode, 0) << unselected.err.constData();
            continue;
        }
        ASSERT_EQ(result.exitCode, 0) << result.err.constData();
        QFile file(printed);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        EXPECT_TRUE(bytes.startsWith(test.start)) << bytes.toHex(' ').constData();
        const ProcessResult preview
            = runZanto({QStringLiteral("preview"), QStringLiteral("--language"),
                QLatin1StringView(test.language), QStringLiteral("--format"),
                QStringLiteral("text"), QStringLiteral("--no-attributes"), printed});
        ASSERT_EQ(preview.exitCode, 0) << preview.err.constData();
        EXPECT_TRUE(QString::fromUtf8(preview.out).contains(QString::fromUtf8(test.text)))
            << preview.out.constData();
    }
}

// --condensed, --lpi and --form-length start the job with the language's own
// command, and a language without one refuses the option with the reason.
TEST(CliLanguages, FormOptionsSendTheLanguagesCommands)
{
    struct Case
    {
        const char *language;
        QStringList options;
        QByteArray start; // null: refused
    };
    const Case cases[] {
        {"escp-9pin", {"--condensed"}, "\x1BP\x0F"}, // after the pitch code
        {"escp-9pin", {"--lpi", "8"},
            "\x1B"
            "0"},
        {"escp-9pin", {"--lpi", "3"}, "\x1B\x33\x48"}, // 72/216 inch
        {"escp-24pin", {"--lpi", "3"}, "\x1B\x33\x3C"}, // 60/180 inch
        {"escp-24pin", {"--form-length", "66"}, "\x1B\x43\x42"},
        {"escp-9pin", {"--condensed", "--lpi", "6", "--form-length", "72"},
            "\x1B\x32\x1B\x43\x48\x1BP\x0F"},
        {"pcl5", {"--lpi", "8", "--form-length", "60"}, "\x1B&l8D\x1B&l60P"},
        {"pcl5", {"--condensed"}, "\x1B(s10H\x1B&k2S"},
        {"diablo630", {"--lpi", "6"}, "\x1B\x1E\x09"}, // (9 - 1)/48 inch
        {"diablo630", {"--form-length", "66"}, "\x1B\x0C\x42"},
        {"escpos", {"--lpi", "8"}, "\x1B\x33\x19"}, // 25/203 inch, nearest
        {"star-line", {"--lpi", "3"}, "\x1B\x33\x22"}, // 34 x 10/1016 inch
        {"escpos", {"--condensed"}, {}},
        {"escpos", {"--form-length", "66"}, {}},
        {"diablo630", {"--condensed"}, {}},
        {"plain", {"--lpi", "6"}, {}},
    };
    TempDir dir;
    for (const Case &test : cases) {
        SCOPED_TRACE(std::string(test.language) + " " + test.options.join(u' ').toStdString());
        const QString printed = dir.path() + QStringLiteral("/printed");
        QFile::remove(printed);
        const ProcessResult result
            = runZanto(QStringList {QStringLiteral("print"), QStringLiteral("--language"),
                           QLatin1StringView(test.language), QStringLiteral("-o"), printed}
                    + test.options,
                "abc\n");
        if (test.start.isNull()) {
            EXPECT_EQ(result.exitCode, 2);
            EXPECT_TRUE(result.err.contains("has no command for")) << result.err.constData();
            EXPECT_FALSE(QFile::exists(printed));
            continue;
        }
        ASSERT_EQ(result.exitCode, 0) << result.err.constData();
        QFile file(printed);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        EXPECT_TRUE(bytes.startsWith(test.start)) << bytes.toHex(' ').constData();
    }
    const ProcessResult noLanguage = runZanto({QStringLiteral("print"), QStringLiteral("--lpi"),
        QStringLiteral("8"), QStringLiteral("-o"), dir.path() + QStringLiteral("/x")});
    EXPECT_EQ(noLanguage.exitCode, 2);
    EXPECT_TRUE(noLanguage.err.contains("--lpi needs --language")) << noLanguage.err.constData();
}
