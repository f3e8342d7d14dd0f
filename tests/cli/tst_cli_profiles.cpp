// zanto's printer profiles and destinations: the precedence of built-in
// settings, [default], the chosen profile and the command line; malformed
// profile files; zanto profiles list, show and save; -o, --to and the
// options that would do nothing; settings file names relative to the
// current folder; help, warnings and exit statuses.
#include "loopbackprinter.h"
#include "processrunner.h"
#include "systemreason.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>

#include <cerrno>
#include <chrono>
#include <sys/resource.h>

using namespace ZantoTest;

namespace {

QStringList words(const QString &text)
{
    return text.split(u' ', Qt::SkipEmptyParts);
}

// Profile places of a test's own: the user's file, the system's and a
// shipped profile folder, all in a temporary folder.
class Places
{
public:
    explicit Places(
        const QByteArray &own, const QByteArray &system = {}, const QByteArray &shipped = {})
    {
        for (const char *folder :
            {"home/zantoquiller", "etc/zantoquiller", "share/zantoquiller/profiles", "work"})
            QDir().mkpath(m_dir.filePath(QLatin1String(folder)));
        if (!own.isNull())
            m_dir.write(QStringLiteral("home/zantoquiller/zanto.conf"), own);
        if (!system.isNull())
            m_dir.write(QStringLiteral("etc/zantoquiller/zanto.conf"), system);
        if (!shipped.isNull())
            m_dir.write(QStringLiteral("share/zantoquiller/profiles/ship.conf"), shipped);
    }

    QString path(const QString &name) const { return m_dir.filePath(name); }
    QString ownFile() const { return path(QStringLiteral("home/zantoquiller/zanto.conf")); }
    QString work() const { return path(QStringLiteral("work")); }

    ProcessResult run(const QStringList &arguments, const QString &profile = {},
        const QByteArray &input = "abcdef") const
    {
        return runZanto(arguments, input, environment(profile), work());
    }

    QProcessEnvironment environment(const QString &profile = {}) const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), path(QStringLiteral("home")));
        environment.insert(QStringLiteral("XDG_CONFIG_DIRS"), path(QStringLiteral("etc")));
        environment.insert(QStringLiteral("XDG_DATA_DIRS"), path(QStringLiteral("share")));
        environment.remove(QStringLiteral("ZANTO_PROFILE"));
        if (!profile.isEmpty())
            environment.insert(QStringLiteral("ZANTO_PROFILE"), profile);
        return environment;
    }

private:
    TempDir m_dir;
};

// zanto run by places with a file-size limit of limit bytes.
ProcessResult runWithFileSizeLimit(
    const Places &places, const QStringList &arguments, const QByteArray &input, rlim_t limit)
{
    QProcess process;
    process.setProcessEnvironment(places.environment());
    process.setWorkingDirectory(places.work());
    process.setChildProcessModifier([limit] {
        const rlimit fileSize {limit, limit};
        ::setrlimit(RLIMIT_FSIZE, &fileSize);
    });
    process.start(builtProgram(QStringLiteral("zanto")), arguments);
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(120000))
        return {};
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
        process.readAllStandardOutput(), process.readAllStandardError()};
}

quint16 closedPort()
{
    const LoopbackPrinter printer;
    return printer.port();
}

} // namespace

TEST(CliProfiles, BuiltInThenDefaultThenProfileThenCommandLine)
{
    const Places places("# the user's own\n"
                        "[default]\n"
                        "printer-type = plain\n"
                        "left-offset = 1\n"
                        "output = default.prn\n"
                        "\n"
                        "[narrow]\n"
                        "left-offset = 2\n"
                        "no-line-feed = yes\n"
                        "output = narrow.prn\n",
        "[default]\nleft-offset = 9\n[wide]\nleft-offset = 4\n",
        "[ship]\nleft-offset = 5\n[narrow]\nleft-offset = 7\n");
    const struct
    {
        const char *arguments;
        const char *environment;
        const char *file; // relative to the user's profile folder
        QByteArray printed;
    } cases[] = {
        {"", "", "default.prn", " abcdef\r\n"},
        {"-P narrow", "", "narrow.prn", "  abcdef\r"},
        {"", "narrow", "narrow.prn", "  abcdef\r"},
        {"--profile ship", "narrow", "default.prn", "     abcdef\r\n"},
        {"-P wide", "", "default.prn", "    abcdef\r\n"},
        {"-P narrow --left-offset 3", "", "narrow.prn", "   abcdef\r"},
        {"-P narrow -o line.prn", "", "../../work/line.prn", "  abcdef\r"},
        {"-P narrow --left-offset=0 --line-width 3", "", "narrow.prn", "abc\rdef\r"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.arguments);
        const QString file = places.path(QStringLiteral("home/zantoquiller/")) + c.file;
        QFile::remove(file);
        const ProcessResult result
            = places.run(QStringList {QStringLiteral("print")} + words(QLatin1String(c.arguments)),
                QLatin1String(c.environment));
        ASSERT_EQ(result.exitCode, 0) << result.err.constData();
        EXPECT_EQ(readFile(file), c.printed);
    }
}

TEST(CliProfiles, AMalformedFileIsToldByLineAndNothingIsPrinted)
{
    const struct
    {
        QByteArray file;
        const char *problem;
    } cases[] = {
        {"[default]\nleft-offset 3\n",
            "2: expected [NAME], KEY = VALUE, a comment or a blank line"},
        {"pitch = 10\n", "1: 'pitch' is outside a [section]"},
        {"[a]\n[a]\n", "2: section [a] is given twice (first on line 1)"},
        {"[default]\nfrobnicate = 1\n", "2: 'frobnicate' is not a setting of zanto print"},
        {"[default]\n\npitch = 13\n", "3: pitch: unknown value '13' (one of: 10, 12, 15)"},
        {"[default]\nno-line-feed = maybe\n", "2: no-line-feed: 'maybe' is not yes or no"},
        {"[default]\nline-width = x\n",
            "2: line-width: 'x' is not a number from -2147483648 to 2147483647"},
        {"[default]\ndestination = q\nto = /dev/null\n",
            "3: destination and to are both given: a print has one destination"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.problem);
        const Places places(c.file);
        const ProcessResult result = places.run(words(QStringLiteral("print -o out.prn")));
        EXPECT_EQ(result.exitCode, 2);
        EXPECT_EQ(result.err,
            ("zanto print: " + places.ownFile() + u':' + QLatin1String(c.problem) + u'\n')
                .toUtf8());
        EXPECT_FALSE(QFile::exists(places.work() + QStringLiteral("/out.prn")));
    }
    const ProcessResult unknown = Places({}).run(words(QStringLiteral("print -P nope")));
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_EQ(unknown.err, "zanto print: no profile 'nope' ('zanto profiles' lists them)\n");
    const ProcessResult environment
        = Places({}).run({QStringLiteral("print")}, QStringLiteral("x"));
    EXPECT_EQ(environment.exitCode, 2);
    EXPECT_EQ(environment.err,
        "zanto print: ZANTO_PROFILE: no profile 'x' ('zanto profiles' lists them)\n");
}

TEST(CliProfiles, SaveKeepsTheRestOfTheFileAndListAndShowTellOrigins)
{
    const Places places("# mine\n"
                        "[default]\n"
                        "pitch = 12\n"
                        "\n"
                        "[receipt]\n"
                        "; paper\n"
                        "line-width = 40\n"
                        "to = /dev/usb/lp0\n"
                        "\n"
                        "[other]\n"
                        "left-offset = 1\n");
    ProcessResult result = places.run(
        words(QStringLiteral("profiles save receipt --line-width 48 -d q --no-line-feed")));
    ASSERT_EQ(result.exitCode, 0) << result.err.constData();
    EXPECT_EQ(readFile(places.ownFile()),
        "# mine\n[default]\npitch = 12\n\n[receipt]\n; paper\nline-width = 48\ndestination = q\n"
        "no-line-feed = yes\n\n[other]\nleft-offset = 1\n");

    result = places.run(words(QStringLiteral("profiles save new --codes my.PCC")));
    ASSERT_EQ(result.exitCode, 0) << result.err.constData();
    EXPECT_TRUE(
        readFile(places.ownFile())
            .endsWith("left-offset = 1\n\n[new]\ncodes = " + places.work().toUtf8() + "/my.PCC\n"));

    result = places.run({QStringLiteral("profiles")});
    ASSERT_EQ(result.exitCode, 0) << result.err.constData();
    for (const auto &[name, line] : {std::pair {"default", 2}, {"receipt", 5}})
        EXPECT_TRUE(result.out.contains(QStringLiteral("%1 %2 %3:%4\n")
                                            .arg(QLatin1String(name), -20)
                                            .arg(QStringLiteral("own"), -8)
                                            .arg(places.ownFile())
                                            .arg(line)
                                            .toUtf8()))
            << result.out.constData();

    result = places.run(words(QStringLiteral("profiles show receipt")));
    ASSERT_EQ(result.exitCode, 0) << result.err.constData();
    EXPECT_TRUE(result.out.startsWith(QStringLiteral("%1 %2 %3:3\n")
                                          .arg(QStringLiteral("pitch"), -16)
                                          .arg(QStringLiteral("12"), -24)
                                          .arg(places.ownFile())
                                          .toUtf8()))
        << result.out.constData();
    EXPECT_TRUE(result.out.contains(QStringLiteral("%1 %2 %3:8\n")
                                        .arg(QStringLiteral("destination"), -16)
                                        .arg(QStringLiteral("q"), -24)
                                        .arg(places.ownFile())
                                        .toUtf8()));
    EXPECT_TRUE(result.out.contains("left-offset      0                        built-in\n"));
    EXPECT_FALSE(result.out.contains("port "));

    // A file with a mistake is not written over.
    writeFile(places.ownFile(), "[a\n");
    result = places.run(words(QStringLiteral("profiles save a --pitch 12")));
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_EQ(readFile(places.ownFile()), "[a\n");
}

TEST(CliDestinations, OptionsThatWouldDoNothingAreUsageErrors)
{
    const struct
    {
        const char *arguments;
        const char *message;
    } cases[] = {
        {"print -o a -d q",
            "give one destination: -d/--destination, -o/--output, --to or --port (given: "
            "-d/--destination, -o/--output)"},
        {"print --to /dev/null -o a",
            "give one destination: -d/--destination, -o/--output, --to or --port (given: "
            "-o/--output, --to)"},
        {"print -o a --spooler",
            "give one destination: -d/--destination, -o/--output, --to or --port (given: "
            "-o/--output, --spooler)"},
        {"print -o a --port lpt1",
            "give one destination: -d/--destination, -o/--output, --to or --port (given: "
            "-o/--output, --port LPT1)"},
        {"print -d q --port COM1",
            "give one destination: -d/--destination, -o/--output, --to or --port (given: "
            "-d/--destination, --port COM1)"},
        {"print --to LPT2 --device LPT1=/dev/null", "--device LPT1 does nothing with --to"},
        {"print --to /dev/null --printer q", "--printer does nothing with --to"},
        {"print --to /dev/null --device LPT2=/dev/null", "--device does nothing with --to"},
        {"print --printer q",
            "--printer does nothing with --port LPT1 (it serves --spooler and --port "
            "CURRENT; -d QUEUE prints through a queue)"},
        {"print --port FILE --spooler -o a",
            "give one destination: -d/--destination, -o/--output, --to or --port (given: "
            "-o/--output, --spooler)"},
        {"print --port COM1 --device LPT2=/dev/null",
            "--device LPT2 does nothing with --port COM1"},
        {"send -o a --spooler --text x",
            "give one destination: -d/--destination, -o/--output, --to or --port (given: "
            "-o/--output, --spooler)"},
        {"send --text x --bytes 1", "give one of FILE, --text TEXT and --bytes LIST"},
        {"send --text x file",
            "give one of FILE, --text TEXT and --bytes LIST (FILE 'file' given too)"},
    };
    const Places places({});
    for (const auto &c : cases) {
        const ProcessResult result = places.run(words(QLatin1String(c.arguments)));
        EXPECT_EQ(result.exitCode, 2) << c.arguments;
        EXPECT_EQ(result.err,
            "zanto " + words(QLatin1String(c.arguments)).constFirst().toUtf8() + ": " + c.message
                + '\n')
            << c.arguments;
    }
}

TEST(CliProfiles, SendTakesAProfilesDestinationAndLeavesItsLayout)
{
    const Places places("[default]\n"
                        "line-width = 3\n"
                        "wrap-rule = memo\n"
                        "\n"
                        "[bytes]\n"
                        "printer-type = epson\n"
                        "init = 27,64\n"
                        "eject = yes\n"
                        "output = bytes.prn\n"
                        "timeout = 5000\n");
    const QString file = places.path(QStringLiteral("home/zantoquiller/bytes.prn"));
    // A profile named on the command line or in the environment; a file or
    // standard input.
    ProcessResult result = places.run(words(QStringLiteral("send -P bytes")), {}, "abc\ndef\f");
    ASSERT_EQ(result.exitCode, 0) << result.err.constData();
    EXPECT_EQ(readFile(file), "abc\ndef\f");
    result = places.run(words(QStringLiteral("send --text xyz")), QStringLiteral("bytes"));
    ASSERT_EQ(result.exitCode, 0) << result.err.constData();
    EXPECT_EQ(readFile(file), "xyz");
    // The command line's destination wins.
    result = places.run(words(QStringLiteral("send -P bytes -o - --bytes 27,69")));
    ASSERT_EQ(result.exitCode, 0) << result.err.constData();
    EXPECT_EQ(result.out, "\x1B\x45");
    EXPECT_EQ(readFile(file), "xyz");
}

TEST(CliDestinations, StandardOutputATargetAndUnreachablePrinters)
{
    const Places places({});
    ProcessResult result = places.run(words(QStringLiteral("print --printer-type plain -o -")));
    EXPECT_EQ(result.exitCode, 0) << result.err.constData();
    EXPECT_EQ(result.out, "abcdef\r\n");
    EXPECT_FALSE(QFile::exists(places.work() + QStringLiteral("/-")));

    // --to opens a device or a file that exists, and never makes one.
    writeFile(places.path(QStringLiteral("work/device")), "old");
    result = places.run(words(QStringLiteral("print --printer-type plain --to device")));
    EXPECT_EQ(result.exitCode, 0) << result.err.constData();
    EXPECT_EQ(readFile(places.path(QStringLiteral("work/device"))), "abcdef\r\n");
    const LoopbackPrinter printer;
    result = places.run(words(QStringLiteral("send --text x --to ")) << printer.uri());
    EXPECT_EQ(result.exitCode, 0) << result.err.constData();
    ASSERT_TRUE(printer.waitForConnections(1));
    EXPECT_EQ(printer.received(), QByteArrayList {"x"});

    const QString refused = QStringLiteral("socket://127.0.0.1:%1").arg(closedPort());
    const QString missing = QStringLiteral("/dev/zanto-no-such-device");
    const struct
    {
        QStringList arguments;
        QString reason;
    } unreachable[] = {
        {{QStringLiteral("print"), QStringLiteral("--to"), refused},
            QStringLiteral("zanto print: cannot connect to ")
                + refused.mid(QStringLiteral("socket://").size()) + QStringLiteral(": ")
                + childOsReason(ECONNREFUSED)},
        {{QStringLiteral("send"), QStringLiteral("--to"), missing, QStringLiteral("--text"),
             QStringLiteral("x")},
            QStringLiteral("zanto send: cannot open ") + missing + QStringLiteral(": ")
                + childOsReason(ENOENT)},
    };
    for (const auto &c : unreachable) {
        result = places.run(c.arguments);
        EXPECT_EQ(result.exitCode, 3) << c.arguments.join(u' ').toStdString();
        EXPECT_EQ(result.err, c.reason.toLocal8Bit() + '\n');
    }
    // A preview does not look for the profile's queue.
    result = Places("[default]\ndestination = no-such-queue\n")
                 .run(words(QStringLiteral("print --printer-type plain --preview -")));
    EXPECT_EQ(result.exitCode, 0) << result.err.constData();
    EXPECT_TRUE(result.out.startsWith("abcdef")) << result.out.constData();
    // A folder that is not there is no unreachable printer.
    result = places.run(words(QStringLiteral("print -o no/such/folder/out.prn")));
    EXPECT_EQ(result.exitCode, 1) << result.err.constData();
}

TEST(CliSettingsFiles, NamesAreRelativeToTheCurrentFolder)
{
    const Places places({});
    ProcessResult result = places.run(words(QStringLiteral("codes save my")));
    ASSERT_EQ(result.exitCode, 0) << result.err.constData();
    EXPECT_TRUE(QFile::exists(places.work() + QStringLiteral("/my.PCC")));
    result = places.run(words(QStringLiteral("codes --codes my")));
    EXPECT_EQ(result.exitCode, 0) << result.err.constData();
    result = places.run(words(QStringLiteral("translation save table --translate 126=27,71")));
    ASSERT_EQ(result.exitCode, 0) << result.err.constData();
    result = places.run(words(QStringLiteral("translation show table")));
    EXPECT_EQ(result.out, "126=27,71\n") << result.err.constData();
}

TEST(CliHelp, UsageLinesOwnOptionsDefaultsAndWarnings)
{
    const struct
    {
        const char *command;
        const char *usage;
        const char *has;
        const char *lacks;
    } cases[] = {
        {"print", "Usage: zanto print [options] [FILE]\n", "(default 10)", "--bytes"},
        {"send", "Usage: zanto send [options] [FILE]\n", "--to <TARGET>", "--pitch"},
        {"ports", "Usage: zanto ports [options]\n", "--device", "--pitch"},
        {"printers", "Usage: zanto printers [options]\n", "--printer", "--port"},
        {"check-driver", "Usage: zanto check-driver [options]\n", "--timeout", "--line-width"},
    };
    for (const auto &c : cases) {
        const ProcessResult help = runZanto({QStringLiteral("help"), QLatin1String(c.command)});
        EXPECT_EQ(help.exitCode, 0) << c.command;
        EXPECT_TRUE(help.out.startsWith(c.usage)) << help.out.constData();
        EXPECT_TRUE(help.out.contains(c.has)) << c.command;
        EXPECT_FALSE(help.out.contains(c.lacks)) << c.command;
        EXPECT_EQ(runZanto({QLatin1String(c.command), QStringLiteral("--help")}).out, help.out);
    }
    EXPECT_TRUE(runZanto({QStringLiteral("--help")})
                    .out.contains("  3  the printer, its device or the print server cannot be "
                                  "reached\n"));
    EXPECT_EQ(runZanto(words(QStringLiteral("help nothing"))).exitCode, 2);

    const Places places({});
    const struct
    {
        const char *arguments;
        const char *warning;
    } warnings[] = {
        {"--from-line 3 --to-line 2", "--from-line 3 and --to-line 2 select no line"},
    };
    for (const auto &w : warnings) {
        const ProcessResult result = places.run(
            words(QStringLiteral("print -o out.prn ")) + words(QLatin1String(w.arguments)));
        EXPECT_EQ(result.exitCode, 0) << w.arguments;
        EXPECT_EQ(result.err, QByteArray("zanto print: warning: ") + w.warning + '\n');
    }
}

TEST(CliProfiles, SaveRefusesWhatAPrintWouldRefuseAndKeepsTheFile)
{
    const QByteArray kept = "[keep]\nleft-offset = 1\n";
    const Places places(kept);
    const struct
    {
        QStringList arguments;
        const char *message;
    } cases[] = {
        {{QStringLiteral("-d"), QStringLiteral("receipts\n[default]")},
            "--destination: 'receipts<U+000A>[default]' holds a control character; a profile "
            "value is one line of text"},
        {{QStringLiteral("-o"), QStringLiteral("a\tb")},
            "--output: 'a<U+0009>b' holds a control character; a profile value is one line of "
            "text"},
        {{QStringLiteral("--left-offset"), QStringLiteral("1\r")},
            "--left-offset: '1<U+000D>' holds a control character; a profile value is one line "
            "of text"},
        {{QStringLiteral("--line-width"), QStringLiteral("abc")},
            "--line-width: 'abc' is not a number from -2147483648 to 2147483647"},
        {{QStringLiteral("--printer-type"), QStringLiteral("nonsense")},
            "--printer-type: unknown value 'nonsense' (one of: hppcl, epson, ibm, diablo, plain, "
            "user1, user2)"},
        {{QStringLiteral("--init"), QStringLiteral("999")},
            "--init: '999': Invalid character code: 999"},
        {{QStringLiteral("--translate"), QStringLiteral("300=1")},
            "--translate: '300=1' is not C=LIST with C a character code from 0 to 255"},
        {{QStringLiteral("-o"), QStringLiteral("a"), QStringLiteral("-d"), QStringLiteral("q")},
            "give one destination: -d/--destination, -o/--output, --to or --port (given: "
            "-d/--destination, -o/--output)"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.message);
        const ProcessResult result = places.run(
            QStringList {QStringLiteral("profiles"), QStringLiteral("save"), QStringLiteral("p")}
            + c.arguments);
        EXPECT_EQ(result.exitCode, 2);
        EXPECT_EQ(result.err, QByteArray("zanto profiles: ") + c.message + '\n');
        EXPECT_EQ(readFile(places.ownFile()), kept);
    }
    // What names a queue, printer or file of the machine that prints is
    // saved although it is not there yet.
    ProcessResult result = places.run(words(
        QStringLiteral("profiles save p -d nowhere --codes later.PCC --translation later.CTT")));
    ASSERT_EQ(result.exitCode, 0) << result.err.constData();
    result = places.run(words(QStringLiteral("print -P keep -o out.prn")));
    EXPECT_EQ(result.exitCode, 0) << result.err.constData();

    // A file with a mistake is neither read nor written over: the message
    // says which line to mend.
    const QByteArray broken = kept + "[keep]\n";
    writeFile(places.ownFile(), broken);
    for (const char *arguments : {"profiles save keep --left-offset 2", "print -o out.prn"}) {
        result = places.run(words(QLatin1String(arguments)));
        EXPECT_EQ(result.exitCode, 2) << arguments;
        const QByteArray command = QByteArray(arguments).split(' ').constFirst();
        EXPECT_EQ(result.err,
            "zanto " + command + ": " + places.ownFile().toUtf8()
                + ":3: section [keep] is given twice (first on line 1)\n");
        EXPECT_EQ(readFile(places.ownFile()), broken);
    }
}

TEST(CliProfiles, AFileNamedByAProfileThatCannotBeLoadedIsToldAtItsLine)
{
    const Places places("[default]\nleft-offset = 1\ncodes = bad.PCC\n"
                        "[t]\ntranslation = missing.CTT\n");
    const QString folder = QFileInfo(places.ownFile()).absolutePath();
    writeFile(folder + QStringLiteral("/bad.PCC"), "not codes\n");
    ProcessResult result = places.run(words(QStringLiteral("print -o out.prn")));
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err,
        "zanto print: " + places.ownFile().toUtf8() + ":3: codes: Invalid File Format: "
            + folder.toUtf8() + "/bad.PCC: does not begin with \"ZantoquillerControlCodes\"\n");
    ASSERT_EQ(places.run(words(QStringLiteral("codes save good"))).exitCode, 0);
    result = places.run(words(QStringLiteral("print -P t -o out.prn --codes good.PCC")));
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.err.startsWith("zanto print: " + places.ownFile().toUtf8()
        + ":5: translation: File Not "
          "Found: "))
        << result.err.constData();
    // Named on the command line, the file is told as it is.
    writeFile(places.work() + QStringLiteral("/bad.PCC"), "not codes\n");
    result = places.run(words(QStringLiteral("print -o out.prn --codes bad.PCC")));
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.err.startsWith("zanto print: Invalid File Format: "))
        << result.err.constData();
    EXPECT_FALSE(QFile::exists(places.work() + QStringLiteral("/out.prn")));
}

// Every print reads the profile files whole: their reading must not grow
// faster than their size. Measured in processor time, which a busy machine
// does not stretch as it does the time on the clock; the bound is generous
// for a sanitizer build (under a second there; reading each section against
// all earlier ones took over a minute).
TEST(CliProfiles, FiftyThousandSectionsAreReadInSeconds)
{
    QByteArray file;
    constexpr int Sections = 50000;
    for (int section = 0; section < Sections; ++section)
        file += "[s" + QByteArray::number(section)
            + "]\nleft-offset = " + QByteArray::number(section % 7) + "\n\n";
    const Places places(file);
    const auto childTime = [] {
        rusage usage {};
        ::getrusage(RUSAGE_CHILDREN, &usage);
        return std::chrono::seconds(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
            + std::chrono::microseconds(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec);
    };
    const auto before = childTime();
    const ProcessResult result = places.run(words(QStringLiteral("print -P s49999 -o out.prn")));
    const auto used = childTime() - before;
    ASSERT_EQ(result.exitCode, 0) << result.err.constData();
    EXPECT_TRUE(readFile(places.work() + QStringLiteral("/out.prn")).contains("   abcdef"));
    EXPECT_GT(used, std::chrono::milliseconds(0));
    EXPECT_LT(used, std::chrono::seconds(5))
        << std::chrono::duration_cast<std::chrono::milliseconds>(used).count() << " ms";
}

// A file-size limit fails the write, told with the system's reason, instead
// of ending zanto by SIGXFSZ; the profile file stays as it was and no new
// file is left beside it.
TEST(CliProfiles, AFileSizeLimitIsToldAndLeavesNoTemporaryFile)
{
    const QByteArray kept = "[keep]\n" + QByteArray(100, '#') + "\nleft-offset = 1\n";
    const Places places(kept);
    ProcessResult result = runWithFileSizeLimit(
        places, words(QStringLiteral("profiles save p --left-offset 2")), {}, 64);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err,
        "zanto profiles: Disk Full: " + places.ownFile().toUtf8() + ": "
            + childOsReason(EFBIG).toUtf8() + '\n');
    EXPECT_EQ(readFile(places.ownFile()), kept);
    EXPECT_EQ(
        QDir(QFileInfo(places.ownFile()).absolutePath()).entryList(QDir::Files | QDir::Hidden),
        (QStringList {QStringLiteral(".zanto.conf.lock"), QStringLiteral("zanto.conf")}));

    result = runWithFileSizeLimit(places,
        words(QStringLiteral("print --printer-type plain -o out.prn")),
        QByteArray("123456789\n").repeated(1000), 4096);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err,
        "zanto print: cannot write to out.prn: " + childOsReason(EFBIG).toUtf8() + '\n');
    EXPECT_EQ(QFileInfo(places.work() + QStringLiteral("/out.prn")).size(), 4096);
}
