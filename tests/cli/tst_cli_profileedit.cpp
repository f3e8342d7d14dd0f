// zanto profiles save and delete as the user's file shows them afterwards:
// save replaces a profile or, with --merge, changes it; --from (-P) starts
// from a shipped, system or own profile; delete takes an own profile out,
// mends a file whose mistake is in it, and refuses shipped and system ones.
// zanto preview -P reads a job's bytes as the profile's printer does.
#include "processrunner.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>

#include <memory>
#include <vector>

using namespace ZantoTest;

namespace {

QStringList words(const QString &text)
{
    return text.split(u' ', Qt::SkipEmptyParts);
}

// The profile places of a test: the user's file and the system's in a
// temporary folder, no data folder but the build's shipped profiles.
class Places
{
public:
    explicit Places(const QByteArray &own = {}, const QByteArray &system = {})
    {
        for (const char *folder : {"home/zantoquiller", "etc/zantoquiller", "share", "work"})
            QDir().mkpath(m_dir.filePath(QLatin1String(folder)));
        if (!own.isNull())
            m_dir.write(QStringLiteral("home/zantoquiller/zanto.conf"), own);
        if (!system.isNull())
            m_dir.write(QStringLiteral("etc/zantoquiller/zanto.conf"), system);
    }

    QString ownFile() const
    {
        return m_dir.filePath(QStringLiteral("home/zantoquiller/zanto.conf"));
    }
    QString systemFile() const
    {
        return m_dir.filePath(QStringLiteral("etc/zantoquiller/zanto.conf"));
    }
    QString work(const QString &name = {}) const
    {
        return m_dir.filePath(QStringLiteral("work/") + name);
    }
    QByteArray own() const { return QFile::exists(ownFile()) ? readFile(ownFile()) : QByteArray(); }

    ProcessResult run(const QStringList &arguments, const QByteArray &input = {}) const
    {
        return runZanto(arguments, input, environment(), work());
    }
    ProcessResult run(const char *arguments, const QByteArray &input = {}) const
    {
        return run(words(QLatin1String(arguments)), input);
    }

    QProcessEnvironment environment() const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(
            QStringLiteral("XDG_CONFIG_HOME"), m_dir.filePath(QStringLiteral("home")));
        environment.insert(
            QStringLiteral("XDG_CONFIG_DIRS"), m_dir.filePath(QStringLiteral("etc")));
        environment.insert(
            QStringLiteral("XDG_DATA_DIRS"), m_dir.filePath(QStringLiteral("share")));
        environment.remove(QStringLiteral("ZANTO_PROFILE"));
        return environment;
    }

private:
    TempDir m_dir;
};

const QByteArray systemFile = "[sys]\npitch = 15\neject = yes\n";

} // namespace

TEST(CliProfileEdit, SaveReplacesMergesAndStartsFromAnotherProfile)
{
    const QByteArray mine = "# mine\n\n[p]\n# a note\npitch = 12\nleft-offset = 3\n\n"
                            "[o]\nto = /dev/null\nleft-offset = 2\n";
    const struct
    {
        const char *arguments;
        QByteArray after; // the user's file
    } cases[] = {
        {"profiles save p --line-width 40",
            "# mine\n\n[p]\n# a note\nline-width = 40\n\n[o]\nto = /dev/null\nleft-offset = 2\n"},
        {"profiles save p --merge --line-width 40 --pitch 10",
            "# mine\n\n[p]\n# a note\npitch = 10\nleft-offset = 3\nline-width = 40\n\n"
            "[o]\nto = /dev/null\nleft-offset = 2\n"},
        {"profiles save n --from o --pitch 12",
            mine + "\n[n]\nto = /dev/null\nleft-offset = 2\npitch = 12\n"},
        // A destination given replaces the profile's.
        {"profiles save n -P o -d q", mine + "\n[n]\nleft-offset = 2\ndestination = q\n"},
        {"profiles save n --from=sys --left-offset 1",
            mine + "\n[n]\npitch = 15\neject = yes\nleft-offset = 1\n"},
        // Started from itself: the given settings change, the others stay.
        {"profiles save o --from o --left-offset 5",
            "# mine\n\n[p]\n# a note\npitch = 12\nleft-offset = 3\n\n"
            "[o]\nto = /dev/null\nleft-offset = 5\n"},
        {"profiles save p --from sys --merge --no-line-feed",
            "# mine\n\n[p]\n# a note\npitch = 15\nleft-offset = 3\neject = yes\n"
            "no-line-feed = yes\n\n[o]\nto = /dev/null\nleft-offset = 2\n"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.arguments);
        const Places places(mine, systemFile);
        const ProcessResult result = places.run(c.arguments);
        ASSERT_EQ(result.exitCode, 0) << result.err.constData();
        EXPECT_EQ(places.own(), c.after);
    }

    // Refused: nothing written.
    for (const char *arguments : {"profiles save n --from nope", "profiles save n -P o -P sys",
             "profiles save n --from o --preview x.pdf", "profiles save n --from"}) {
        SCOPED_TRACE(arguments);
        const Places places(mine, systemFile);
        const ProcessResult result = places.run(arguments);
        EXPECT_EQ(result.exitCode, 2) << result.err.constData();
        EXPECT_EQ(places.own(), mine);
    }
    const ProcessResult unknown = Places(mine).run("profiles save n --from nope");
    EXPECT_TRUE(unknown.err.contains("no profile 'nope'")) << unknown.err.constData();
}

TEST(CliProfileEdit, AProfileSavedFromAShippedOnePrintsAsItDoes)
{
    const QByteArray text = "Invoice 4711\n\tTotal: 12.50\n" + QByteArray(100, 'x') + "\n\fend\n";
    for (const char *shipped : {"epson-9pin", "escpos-80mm", "hp-pcl5", "star-line"}) {
        SCOPED_TRACE(shipped);
        const Places places;
        const QString name = QLatin1String(shipped);
        ProcessResult result = places.run({QStringLiteral("profiles"), QStringLiteral("save"),
            QStringLiteral("copy"), QStringLiteral("--from"), name, QStringLiteral("--left-offset"),
            QStringLiteral("4"), QStringLiteral("-o"), QStringLiteral("copy.prn")});
        ASSERT_EQ(result.exitCode, 0) << result.err.constData();
        result = places.run(words(QStringLiteral("print -P copy")), text);
        ASSERT_EQ(result.exitCode, 0) << result.err.constData();
        result = places.run(
            {QStringLiteral("print"), QStringLiteral("-P"), name, QStringLiteral("--left-offset"),
                QStringLiteral("4"), QStringLiteral("-o"), QStringLiteral("original.prn")},
            text);
        ASSERT_EQ(result.exitCode, 0) << result.err.constData();
        EXPECT_EQ(readFile(places.work(QStringLiteral("copy.prn"))),
            readFile(places.work(QStringLiteral("original.prn"))));
        EXPECT_GT(readFile(places.work(QStringLiteral("copy.prn"))).size(), text.size());
    }
}

TEST(CliProfileEdit, DeleteTakesOutAnOwnProfileOnly)
{
    const QByteArray mine = "# mine\n\n[a]\npitch = 12\n\n# about b\n[b]\npitch = 15\n\n"
                            "[c]\n; last\nline-width = 40\n";
    const struct
    {
        const char *name;
        int status;
        QByteArray after; // the user's file
        QByteArray message;
    } cases[] = {
        {"a", 0, "# mine\n\n# about b\n[b]\npitch = 15\n\n[c]\n; last\nline-width = 40\n",
            "profile a deleted from "},
        {"b", 0, "# mine\n\n[a]\npitch = 12\n\n[c]\n; last\nline-width = 40\n",
            "profile b deleted from "},
        {"c", 0, "# mine\n\n[a]\npitch = 12\n\n# about b\n[b]\npitch = 15\n",
            "profile c deleted from "},
        {"epson-9pin", 1, mine, "epson-9pin.conf:"},
        {"sys", 1, mine, "zantoquiller/zanto.conf:1"},
        {"nope", 2, mine, "no profile 'nope'"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const Places places(mine, systemFile);
        const ProcessResult result = places.run(
            {QStringLiteral("profiles"), QStringLiteral("delete"), QLatin1String(c.name)});
        EXPECT_EQ(result.exitCode, c.status) << result.err.constData();
        EXPECT_EQ(places.own(), c.after);
        EXPECT_TRUE((result.out + result.err).contains(c.message))
            << result.out.constData() << result.err.constData();
    }

    // A system profile's message names its file; deleting the own profile
    // of the same name brings it back.
    const Places places("[sys]\npitch = 10\n", systemFile);
    ProcessResult result = places.run("profiles delete sys");
    ASSERT_EQ(result.exitCode, 0) << result.err.constData();
    EXPECT_EQ(places.own(), "");
    result = places.run("profiles delete sys");
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.err.contains(places.systemFile().toUtf8() + ":1")) << result.err.constData();
    result = places.run("profiles show sys");
    EXPECT_TRUE(result.out.contains(places.systemFile().toUtf8() + ":2")) << result.out.constData();

    EXPECT_EQ(Places().run("profiles delete").exitCode, 2);
    EXPECT_EQ(Places().run("profiles delete a b").exitCode, 2);
}

TEST(CliProfileEdit, DeletingTheProfileThatHoldsAMistakeMendsTheFile)
{
    const struct
    {
        QByteArray broken;
        const char *line; // the mistake's, as told
        const char *name;
        QByteArray mended;
    } cases[] = {
        {"[good]\npitch = 12\n\n[bad]\nthis line is wrong\npitch = 15\n", ":5:", "bad",
            "[good]\npitch = 12\n"},
        {"[bad]\n[half\n\n[good]\npitch = 12\n", ":2:", "bad", "[good]\npitch = 12\n"},
        {"[good]\npitch = 12\n[bad]\n[bad]\nx = 1\n", ":4:", "bad", "[good]\npitch = 12\n"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.broken.constData());
        const Places places(c.broken);
        ProcessResult result = places.run("profiles save good --pitch 15");
        EXPECT_EQ(result.exitCode, 2);
        EXPECT_TRUE(result.err.contains(places.ownFile().toUtf8() + c.line))
            << result.err.constData();
        EXPECT_EQ(places.own(), c.broken);

        result = places.run(
            {QStringLiteral("profiles"), QStringLiteral("delete"), QLatin1String(c.name)});
        ASSERT_EQ(result.exitCode, 0) << result.err.constData();
        EXPECT_EQ(places.own(), c.mended);
        result = places.run("print -P good -o out.prn", "x\n");
        EXPECT_EQ(result.exitCode, 0) << result.err.constData();
        result = places.run("profiles save good --pitch 15");
        EXPECT_EQ(result.exitCode, 0) << result.err.constData();
        EXPECT_EQ(places.own(), "[good]\npitch = 15\n");
    }
}

TEST(CliProfileEdit, PreviewReadsTheBytesAsTheProfilesPrinter)
{
    // Ø is 0x9D in cp850 and ¥ in cp437, the preview's default.
    const Places places("[latin]\nprinter-type = ibm\ncodepage = cp850\n"
                        "[elsewhere]\nprinter-type = hppcl\nto = ../to.prn\n");
    const QByteArray text = "Caf\xc3\xa9 \xc3\x98l\n\tbold\n" + QByteArray(90, 'y') + "\n";
    for (const char *profile : {"epson-9pin", "escpos-80mm", "hp-pcl5", "diablo-630", "latin"}) {
        SCOPED_TRACE(profile);
        const QString name = QLatin1String(profile);
        ProcessResult printed = places.run({QStringLiteral("print"), QStringLiteral("-P"), name,
                                               QStringLiteral("-o"), QStringLiteral("job.prn")},
            text);
        ASSERT_EQ(printed.exitCode, 0) << printed.err.constData();
        const ProcessResult preview = places.run({QStringLiteral("preview"), QStringLiteral("-P"),
            name, QStringLiteral("--no-attributes"), QStringLiteral("job.prn")});
        ASSERT_EQ(preview.exitCode, 0) << preview.err.constData();
        printed = places.run({QStringLiteral("print"), QStringLiteral("-P"), name,
                                 QStringLiteral("--preview"), QStringLiteral("expected.txt")},
            text);
        ASSERT_EQ(printed.exitCode, 0) << printed.err.constData();
        EXPECT_EQ(preview.out, readFile(places.work(QStringLiteral("expected.txt"))));
        EXPECT_TRUE(preview.out.contains("bold\n")) << preview.out.constData();
    }
    ASSERT_TRUE(
        readFile(places.work(QStringLiteral("expected.txt"))).contains("Caf\xc3\xa9 \xc3\x98l"));
    // Without the profile the bytes read otherwise; the command line's
    // options outweigh the profile's.
    const ProcessResult plain = places.run("preview --printer-type ibm --no-attributes job.prn");
    EXPECT_TRUE(plain.out.contains("Caf\xc3\xa9 \xc2\xa5l")) << plain.out.constData();
    const ProcessResult overridden
        = places.run("preview -P latin --charset cp437 --no-attributes job.prn");
    EXPECT_EQ(overridden.out, plain.out);

    // A profile's destination is no preview output.
    const ProcessResult elsewhere = places.run("preview -P elsewhere --no-attributes job.prn");
    EXPECT_EQ(elsewhere.exitCode, 0) << elsewhere.err.constData();
    EXPECT_FALSE(elsewhere.out.isEmpty());
    EXPECT_FALSE(QFile::exists(places.work(QStringLiteral("../to.prn"))));
    EXPECT_EQ(places.run("preview -P nope job.prn").exitCode, 2);
}

TEST(CliProfileEdit, DeletesAndSavesAtTheSameTimeEachKeepTheOthers)
{
    QByteArray mine;
    for (int index = 0; index < 6; ++index)
        mine += "[old" + QByteArray::number(index) + "]\npitch = 12\n\n";
    const Places places(mine);
    std::vector<std::unique_ptr<QProcess>> processes;
    for (int index = 0; index < 6; ++index) {
        for (const QString &arguments : {QStringLiteral("profiles delete old%1").arg(index),
                 QStringLiteral("profiles save new%1 --left-offset %1").arg(index)}) {
            auto process = std::make_unique<QProcess>();
            process->setProcessEnvironment(places.environment());
            process->setWorkingDirectory(places.work());
            process->start(builtProgram(QStringLiteral("zanto")), words(arguments));
            ASSERT_TRUE(process->waitForStarted());
            processes.push_back(std::move(process));
        }
    }
    for (const auto &process : processes) {
        ASSERT_TRUE(process->waitForFinished(120000));
        EXPECT_EQ(process->exitCode(), 0) << process->readAllStandardError().constData();
    }
    const QByteArray after = places.own();
    for (int index = 0; index < 6; ++index) {
        EXPECT_FALSE(after.contains("[old" + QByteArray::number(index) + "]")) << after.constData();
        EXPECT_TRUE(after.contains("[new" + QByteArray::number(index)
            + "]\nleft-offset = " + QByteArray::number(index) + "\n"))
            << after.constData();
    }
}
