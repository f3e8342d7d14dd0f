// zanto preview on hostile jobs, as a process: the jobs that crashed it end
// with their report, its memory stays bounded on a sheet that never ends,
// output files are put in place whole and never written through a link,
// and every PDF it writes is one that readers take without repair.
#include "processrunner.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QProcess>
#include <QThread>

#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <vector>

extern char **environ;

using namespace ZantoTest;

namespace {

// The jobs are Epson sequences; zanto preview reads zanto print's default.
QStringList preview(const QStringList &arguments)
{
    return QStringList {
               QStringLiteral("preview"), QStringLiteral("--printer-type"), QStringLiteral("epson")}
    + arguments;
}

struct Measured
{
    int exitCode = -1;
    long maxKilobytes = 0; // the child's peak resident memory
    QByteArray err;
};

// Runs zanto as a child of its own, to read its peak memory from wait4.
Measured runMeasured(const QStringList &arguments, const TempDir &dir)
{
    const QByteArray program = QFile::encodeName(builtProgram(QStringLiteral("zanto")));
    const QByteArray errName = QFile::encodeName(dir.filePath(QStringLiteral("stderr.txt")));
    std::vector<QByteArray> strings {program};
    for (const QString &argument : arguments)
        strings.push_back(QFile::encodeName(argument));
    std::vector<char *> argv;
    for (QByteArray &string : strings)
        argv.push_back(string.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(
        &actions, 2, errName.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid = 0;
    const int started
        = posix_spawn(&pid, program.constData(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    Measured measured;
    if (started != 0)
        return measured;
    int status = 0;
    rusage usage {};
    if (wait4(pid, &status, 0, &usage) != pid)
        return measured;
    measured.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    measured.maxKilobytes = usage.ru_maxrss;
    measured.err = readFile(QString::fromLocal8Bit(errName));
    return measured;
}

// A PNG page that decodes whole.
bool isWholePng(const QString &path)
{
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    return reader.format() == "png" && !reader.read().isNull();
}

// The names in a folder, hidden ones included.
QStringList namesIn(const QString &path)
{
    return QDir(path).entryList(
        QDir::Files | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace

TEST(PreviewHostileCli, JobsThatCrashedItEndWithTheirReport)
{
    struct Case
    {
        QStringList arguments;
        QByteArray job;
        int exitCode;
        QByteArray message; // a line of standard error
    };
    const QString hppcl = QStringLiteral("--printer-type=hppcl");
    const std::vector<Case> cases {
        {preview({hppcl, QStringLiteral("-")}), "\x1b(s5000H\t", 0,
            "zanto preview: value out of range at byte 0 (page 1), clamped: ESC ( s 5 0 0 0 H\n"},
        {preview({hppcl, QStringLiteral("--format=pdf")}), "\x1b&k0.001H\tx", 0,
            "zanto preview: value out of range at byte 0 (page 1), clamped: ESC & k 0 . 0 0 1 H\n"},
        {preview({hppcl}), "ab\x1b&k100000000Hcd", 0,
            "zanto preview: value out of range at byte 2 (page 1), clamped: ESC & k 1 0 0 0 0 0 0 "
            "0 "
            "0 H\n"},
        {preview({hppcl}), "\x1b*b12345678901234567890W", 0,
            "zanto preview: value out of range at byte 0 (page 1), clamped: ESC * b 1 2 3 4 5 6 7 "
            "8 "
            "9 0 1 2 3 4 5 6 7 8 9 0 W\n"},
        {preview({QStringLiteral("--max-sheets"), QStringLiteral("20")}), QByteArray(30, '\f'), 1,
            "zanto preview: stopped after 20 sheets; --max-sheets N raises the limit\n"},
        {preview({QStringLiteral("--format=pdf")}), QByteArray(20000, '\f'), 1,
            "zanto preview: stopped after 10000 sheets; --max-sheets N raises the limit\n"},
        {preview({QStringLiteral("--max-sheets=30000"), QStringLiteral("--format=pdf")}),
            QByteArray(20000, '\f'), 0, ""},
        {preview({QStringLiteral("--max-sheets"), QStringLiteral("0")}), "x", 2,
            "zanto preview: --max-sheets: 0 is below 1\n"},
        {{QStringLiteral("print"), QStringLiteral("--preview"), QStringLiteral("-"),
             QStringLiteral("--max-sheets"), QStringLiteral("2")},
            "a\fb\fc\f", 1,
            "zanto print: stopped after 2 sheets; --max-sheets N raises the limit\n"},
        {{QStringLiteral("print"), QStringLiteral("--max-sheets"), QStringLiteral("2")}, "a", 2,
            "zanto print: --max-sheets is an option of --preview\n"},
        {preview({}), QByteArray(12000, '\x01'), 0,
            "zanto preview: not shown: 0 characters beyond 200000 a sheet, 2000 markers beyond "
            "10000 a sheet (on 1 sheet from page 1)\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(qPrintable(c.arguments.join(u' ')));
        const ProcessResult result = runZanto(c.arguments, c.job);
        EXPECT_EQ(result.exitCode, c.exitCode) << result.err.left(2000).constData();
        if (c.message.isEmpty())
            EXPECT_TRUE(result.err.isEmpty()) << result.err.left(2000).constData();
        else
            EXPECT_TRUE(result.err.contains(c.message)) << result.err.right(2000).constData();
        // The sheets made before the limit are written.
        if (c.exitCode == 1 && c.arguments.contains(QStringLiteral("--format=pdf"))) {
            EXPECT_TRUE(result.out.startsWith("%PDF-"));
        }
    }
}

TEST(PreviewHostileCli, MemoryStaysBoundedOnASheetThatNeverEnds)
{
    // Before the caps, 10 MB of one unknown byte took over a gigabyte, as
    // did a line that never ended; sanitizers included, this is generous.
    constexpr long BoundKilobytes = 300 * 1024;
    TempDir dir;
    struct Case
    {
        const char *name;
        QByteArray job;
    };
    const std::vector<Case> cases {
        {"unknown-bytes", QByteArray(10 * 1024 * 1024, '\x01')},
        // No line spacing, no line end: every character on one line.
        {"endless-line",
            QByteArray("\x1b"
                       "3\0",
                3)
                + QByteArray(30 * 1024 * 1024, 'A')},
        {"overprinted", QByteArray("A\r").repeated(5 * 1024 * 1024)},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QString job = dir.filePath(QString::fromLatin1(c.name));
        writeFile(job, c.job);
        for (const QString &output : {QStringLiteral("out.pdf"), QStringLiteral("out.txt")}) {
            SCOPED_TRACE(qPrintable(output));
            const Measured measured
                = runMeasured(preview({QStringLiteral("-o"), dir.filePath(output), job}), dir);
            EXPECT_EQ(measured.exitCode, 0) << measured.err.right(2000).constData();
            EXPECT_GT(measured.maxKilobytes, 0);
            EXPECT_LT(measured.maxKilobytes, BoundKilobytes);
            EXPECT_TRUE(measured.err.contains("zanto preview: not shown: "))
                << measured.err.right(2000).constData();
        }
    }
}

TEST(PreviewHostileCli, PngPagesOfAnEarlierLongerPreviewAreRemoved)
{
    TempDir dir;
    const QString out = dir.filePath(QStringLiteral("sheet.png"));
    const QStringList arguments = preview({QStringLiteral("-o"), out, QStringLiteral("--dpi=20")});
    ASSERT_EQ(runZanto(arguments, "1\f2\f3\f4\f5\f6\f7\f8\f9\f10\f11\f12").exitCode, 0);
    // Names the pattern does not make stay.
    for (const char *other : {"sheet-01.png", "sheet-x.png", "sheet-5.png.bak", "sheet-12.PNG"})
        writeFile(dir.filePath(QLatin1String(other)), "keep");
    ASSERT_EQ(runZanto(arguments, "one\ftwo").exitCode, 0);
    EXPECT_EQ(namesIn(dir.path()),
        (QStringList {"sheet-01.png", "sheet-1.png", "sheet-12.PNG", "sheet-2.png",
            "sheet-5.png.bak", "sheet-x.png"}));
    EXPECT_TRUE(isWholePng(dir.filePath(QStringLiteral("sheet-2.png"))));
    // Stopped at the sheet limit: the pages past it go too.
    ASSERT_EQ(runZanto(arguments, "1\f2\f3\f4").exitCode, 0);
    ASSERT_EQ(
        runZanto(arguments + QStringList {QStringLiteral("--max-sheets=1")}, "1\f2\f3").exitCode,
        1);
    EXPECT_TRUE(QFileInfo::exists(dir.filePath(QStringLiteral("sheet-1.png"))));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("sheet-2.png"))));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("sheet-4.png"))));
}

TEST(PreviewHostileCli, ALinkAtAnOutputNameIsReplacedNotWrittenThrough)
{
    TempDir dir;
    const QString precious = dir.filePath(QStringLiteral("precious"));
    writeFile(precious, "keep me");
    const QString elsewhere = dir.filePath(QStringLiteral("not-to-be-made"));
    struct Case
    {
        QStringList links; // at these names, to precious, then to elsewhere
        QStringList arguments;
        QStringList written; // regular files after the preview
    };
    const std::vector<Case> cases {
        {{QStringLiteral("out.pdf")},
            {QStringLiteral("-o"), dir.filePath(QStringLiteral("out.pdf"))},
            {QStringLiteral("out.pdf")}},
        {{QStringLiteral("out.txt")},
            {QStringLiteral("-o"), dir.filePath(QStringLiteral("out.txt"))},
            {QStringLiteral("out.txt")}},
        {{QStringLiteral("page-1.png"), QStringLiteral("page-2.png")},
            {QStringLiteral("--dpi=20"), QStringLiteral("-o"),
                dir.filePath(QStringLiteral("page.png"))},
            {QStringLiteral("page-1.png"), QStringLiteral("page-2.png")}},
        // A link past the last page is a stale page: the link goes.
        {{QStringLiteral("last-3.png")},
            {QStringLiteral("--dpi=20"), QStringLiteral("-o"),
                dir.filePath(QStringLiteral("last.png"))},
            {QStringLiteral("last-1.png"), QStringLiteral("last-2.png")}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(qPrintable(c.arguments.join(u' ')));
        for (int i = 0; i < c.links.size(); ++i)
            ASSERT_TRUE(QFile::link(i == 0 ? precious : elsewhere, dir.filePath(c.links[i])));
        const ProcessResult result = runZanto(preview(c.arguments), "first\fsecond\r\n");
        EXPECT_EQ(result.exitCode, 0) << result.err.constData();
        EXPECT_EQ(readFile(precious), QByteArray("keep me"));
        EXPECT_FALSE(QFileInfo(elsewhere).exists());
        for (const QString &name : c.written) {
            const QFileInfo info(dir.filePath(name));
            EXPECT_FALSE(info.isSymLink()) << name.toStdString();
            EXPECT_TRUE(info.isFile()) << name.toStdString();
        }
        for (const QString &name : c.links) {
            if (!c.written.contains(name)) {
                EXPECT_FALSE(QFileInfo(dir.filePath(name)).isSymLink()) << name.toStdString();
            }
        }
    }
    // Nothing is left beside them.
    for (const QString &name : namesIn(dir.path()))
        EXPECT_FALSE(name.startsWith(u'.')) << name.toStdString();
}

TEST(PreviewHostileCli, AnInterruptedPngPreviewLeavesOnlyWholePages)
{
    TempDir dir;
    const QString out = dir.filePath(QStringLiteral("sheet.png"));
    for (const int sig : {SIGINT, SIGTERM, SIGKILL}) {
        SCOPED_TRACE(sig);
        for (const QString &name : namesIn(dir.path()))
            QFile::remove(dir.filePath(name));
        QProcess process;
        process.start(builtProgram(QStringLiteral("zanto")),
            preview({QStringLiteral("-o"), out, QStringLiteral("--dpi=300"),
                QStringLiteral("--background=greenbar")}));
        ASSERT_TRUE(process.waitForStarted());
        // Pages keep coming until the signal; the job's end never does.
        bool firstPage = false;
        for (int round = 0; round < 600 && !firstPage; ++round) {
            process.write(QByteArray("page of print\r\n").repeated(60) + '\f');
            process.waitForBytesWritten(1000);
            QThread::msleep(50);
            firstPage = QFileInfo::exists(dir.filePath(QStringLiteral("sheet-1.png")));
        }
        ASSERT_TRUE(firstPage);
        ::kill(static_cast<pid_t>(process.processId()), sig);
        ASSERT_TRUE(process.waitForFinished(60000));
        if (sig != SIGKILL) {
            EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
            EXPECT_EQ(process.exitCode(), 128 + sig) << process.readAllStandardError().constData();
        }
        // Every page under a page's name is whole; a killed one may leave
        // its hidden temporary file, never a part of a page.
        int pages = 0;
        for (const QString &name : namesIn(dir.path())) {
            if (name.startsWith(u'.')) {
                EXPECT_EQ(sig, SIGKILL) << name.toStdString();
                continue;
            }
            ++pages;
            EXPECT_TRUE(isWholePng(dir.filePath(name))) << name.toStdString();
        }
        EXPECT_GE(pages, 1);
    }
}

TEST(PreviewHostileCli, TextWithALatinCharacterSetHasNoC1Controls)
{
    const ProcessResult result = runZanto(
        preview({QStringLiteral("--charset=iso-8859-1"), QStringLiteral("--printer-type=plain")}),
        "a\x9b"
        "31m\x90\x9d"
        "0;x\x9c\xe9\r\n");
    EXPECT_EQ(result.exitCode, 0) << result.err.constData();
    EXPECT_EQ(result.out, QByteArray("a<155>31m<144><157>0;x<156>\xc3\xa9\n"));
}

TEST(PreviewHostileCli, EveryPdfItWritesOpensWithoutRepair)
{
    // Readers that repair a broken file say so on standard error, or not
    // at all (poppler rebuilds a wrong cross-reference table silently):
    // qpdf --check looks at the table as it is.
    TempDir dir;
    struct Case
    {
        const char *name;
        QStringList arguments;
        QByteArray job;
        int exitCode;
    };
    QByteArray pages;
    for (int i = 0; i < 150; ++i)
        pages += "line " + QByteArray::number(i) + "\r\n";
    const std::vector<Case> cases {
        {"empty", {}, "", 0},
        {"pages", {QStringLiteral("--background=tractor")}, pages, 0},
        {"faces", {QStringLiteral("--background=greenbar"), QStringLiteral("--charset=iso-8859-1")},
            "a\x1bGbold\x1bH\x1b"
            "4italic\x1bG bolditalic\x1b"
            "5\x1bH\x1b-1under\x1b-0 "
            "x\x1bS0sup\x1bT\x1bS1sub\x1bT\x0e"
            "wide\r\n\xe9\xfc\xdf\x9b\x01\x1bv\f\x1bMpica\x0f"
            "cond\r\n",
            0},
        {"hppcl", {QStringLiteral("--printer-type=hppcl")},
            "\x1b(s3b1Sbi\x1b&k100000000Hx\x1b&l1C\r\nz\x1b(s5000H\tq", 0},
        {"roll", {QStringLiteral("--paper=roll58")},
            "a\r\n\x1dV\x01"
            "b\r\n",
            0},
        {"stopped", {QStringLiteral("--max-sheets=3")}, "a\fb\fc\fd\fe", 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QString pdf = dir.filePath(QLatin1String(c.name) + QStringLiteral(".pdf"));
        const ProcessResult result
            = runZanto(preview(QStringList {QStringLiteral("-o"), pdf} + c.arguments), c.job);
        ASSERT_EQ(result.exitCode, c.exitCode) << result.err.constData();
        const std::vector<std::pair<QString, QStringList>> readers {
            {QStringLiteral("pdfinfo"), {pdf}},
            {QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")}},
            {QStringLiteral("pdffonts"), {pdf}},
            {QStringLiteral("qpdf"), {QStringLiteral("--check"), pdf}},
        };
        for (const auto &[program, arguments] : readers) {
            SCOPED_TRACE(qPrintable(program));
            QProcess reader;
            reader.start(program, arguments);
            // qpdf comes from tools/bootstrap, as poppler's tools do.
            ASSERT_TRUE(reader.waitForStarted()) << "cannot start " << program.toStdString();
            ASSERT_TRUE(reader.waitForFinished(60000));
            EXPECT_EQ(reader.exitStatus(), QProcess::NormalExit);
            EXPECT_EQ(reader.exitCode(), 0) << reader.readAllStandardOutput().constData();
            const QByteArray complaints = reader.readAllStandardError();
            EXPECT_TRUE(complaints.isEmpty()) << complaints.constData();
        }
    }
}
