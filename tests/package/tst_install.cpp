// Installs into a temporary prefix and builds programs against the libraries,
// through find_package(Zantoquiller) and through pkg-config: one on the
// package library, one on the Core library alone, which must not bring in
// any graphical part of Qt. The installed zanto prints with the installed
// profiles' data; its programs, manual pages, completion and desktop entry
// are in place.
#include "packagesteps.h"
#include "packagetestpaths.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

using namespace ZantoTest;

namespace {

// What the consumer prints: text, an escape sequence, a zero and a 255 byte.
const char consumerLine[] = "Consumer \x1b"
                            "E\0\xff line\r\n";
const QByteArray expectedLine(consumerLine, sizeof consumerLine - 1);

// The parts of Qt a program of the Core library must not load.
const char *const graphicalLibraries[] = {"libQt6Gui", "libQt6Widgets", "libQt6Sql", "libQt6DBus"};

void expectNoGraphicalQt(const QString &program, const QByteArray &libraries)
{
    EXPECT_TRUE(libraries.contains("libZantoquillerCore.so.1")) << libraries.toStdString();
    for (const char *library : graphicalLibraries)
        EXPECT_FALSE(libraries.contains(library))
            << program.toStdString() << " loads " << library << ":\n"
            << libraries.toStdString();
}

const QString libDir = QStringLiteral(ZANTO_INSTALL_LIBDIR); // lib/x86_64-linux-gnu

// One installation (of every part) for all tests of the file.
class Install : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        dir = new TempDir;
        const StepResult step = run(QStringLiteral(ZANTO_CMAKE_COMMAND),
            {QStringLiteral("--install"), QStringLiteral(ZANTO_BUILD_DIR),
                QStringLiteral("--prefix"), prefix()});
        installSucceeded = step.exitCode == 0;
        installOutput = step.output;
    }
    static void TearDownTestSuite()
    {
        delete dir;
        dir = nullptr;
    }
    void SetUp() override { ASSERT_TRUE(installSucceeded) << installOutput.toStdString(); }

    static QString prefix() { return dir->filePath(QStringLiteral("prefix")); }
    static QDir installedDir() { return QDir(prefix()); }

    // Configures and builds tests/package/consumer against the library
    // (Core or zantopack) into build; the program is build/consumer.
    static StepResult buildConsumer(const QString &build, const QString &library)
    {
        const QString cmake = QStringLiteral(ZANTO_CMAKE_COMMAND);
        StepResult step = run(cmake,
            {QStringLiteral("-S"), QStringLiteral(ZANTO_CONSUMER_SOURCE_DIR), QStringLiteral("-B"),
                build, QStringLiteral("-G"), QStringLiteral(ZANTO_CMAKE_GENERATOR),
                QStringLiteral("-DCMAKE_CXX_COMPILER=" ZANTO_CXX_COMPILER),
                QStringLiteral("-DCMAKE_CXX_FLAGS=" ZANTO_CONSUMER_CXX_FLAGS),
                QStringLiteral("-DCMAKE_PREFIX_PATH=") + prefix(),
                QStringLiteral("-DZANTO_LIBRARY=") + library});
        if (step.exitCode != 0)
            return step;
        return run(cmake, {QStringLiteral("--build"), build});
    }

    // The pkg-config flags of package, with the installed .pc files.
    static QStringList pkgConfigFlags(const QString &package)
    {
        const StepResult step = run(QStringLiteral("pkg-config"),
            {QStringLiteral("--cflags"), QStringLiteral("--libs"), package},
            pkgConfigEnvironment());
        EXPECT_EQ(step.exitCode, 0) << step.output.toStdString();
        return QString::fromUtf8(step.output.trimmed()).split(u' ', Qt::SkipEmptyParts);
    }
    static QProcessEnvironment pkgConfigEnvironment()
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("PKG_CONFIG_PATH"),
            installedDir().filePath(libDir + QStringLiteral("/pkgconfig")));
        environment.insert(QStringLiteral("LD_LIBRARY_PATH"), installedDir().filePath(libDir));
        return environment;
    }
    // Compiles the consumer with the flags into program.
    static StepResult compileConsumer(const QString &program, const QStringList &flags)
    {
        QStringList compile
            = QString::fromUtf8(ZANTO_CONSUMER_CXX_FLAGS).split(u' ', Qt::SkipEmptyParts);
        compile << QStringLiteral("-std=c++20") << QStringLiteral("-fPIC")
                << QStringLiteral(ZANTO_CONSUMER_SOURCE_DIR "/consumer.cpp") << QStringLiteral("-o")
                << program << flags;
        return run(QStringLiteral(ZANTO_CXX_COMPILER), compile);
    }

    static inline TempDir *dir = nullptr;
    static inline bool installSucceeded = false;
    static inline QByteArray installOutput;
};

} // namespace

TEST_F(Install, AProgramBuildsAgainstTheInstalledPackage)
{
    const QDir installed = installedDir();
    // Each library's headers in a folder of its own.
    for (const QString &file :
        {QStringLiteral("include/ZantoquillerCore/zantoquiller/zantoquiller.h"),
            QStringLiteral("include/ZantoquillerCore/zantoquiller/codelist.h"),
            QStringLiteral("include/ZantoquillerCore/zantoquiller/core_export.h"),
            QStringLiteral("include/ZantoquillerWidgets/zantoquiller/widgets_export.h"),
            QStringLiteral("include/zantopack/zantoquiller/package/zantopack_export.h"),
            QStringLiteral("include/zantopack/zantoquiller/package/packageinfo.h"),
            QStringLiteral("include/ZantoquillerPreview/zantoquiller/preview_export.h"),
            QStringLiteral("include/ZantoquillerPreview/zantoquiller/preview/byteinterpreter.h"),
            QStringLiteral("include/ZantoquillerWidgets/zantoquiller/preview/previewwidget.h"),
            QStringLiteral("bin/zanto"), QStringLiteral("bin/zantopreview")})
        EXPECT_TRUE(installed.exists(file)) << file.toStdString();
    for (const char *file : {"libzantopack.so.1.0.0", "libZantoquillerCore.so.1.0.0",
             "libZantoquillerWidgets.so.1.0.0", "libZantoquillerPreview.so.1.0.0",
             "zantopack_de.qm", "cmake/Zantoquiller/ZantoquillerConfig.cmake",
             "cmake/Zantoquiller/ZantoquillerConfigVersion.cmake",
             "cmake/Zantoquiller/ZantoquillerCoreTargets.cmake",
             "cmake/Zantoquiller/ZantoquillerPreviewTargets.cmake",
             "cmake/Zantoquiller/ZantoquillerWidgetsTargets.cmake",
             "cmake/Zantoquiller/ZantoquillerzantopackTargets.cmake", "pkgconfig/zantoquiller.pc",
             "pkgconfig/zantoquiller-core.pc", "pkgconfig/zantoquiller-preview.pc",
             "pkgconfig/zantoquiller-widgets.pc"})
        EXPECT_TRUE(installed.exists(libDir + u'/' + QLatin1String(file))) << file;
    const QString libraries = installed.filePath(libDir) + u'/';
    EXPECT_EQ(QFileInfo(libraries + QStringLiteral("libzantopack.so")).symLinkTarget(),
        libraries + QStringLiteral("libzantopack.so.1"));
    EXPECT_EQ(QFileInfo(libraries + QStringLiteral("libzantopack.so.1")).symLinkTarget(),
        libraries + QStringLiteral("libzantopack.so.1.0.0"));
    // The static archives, the internal headers and the designer's side
    // stay out.
    for (const QString &file : {libraries + QStringLiteral("libZantoquillerCoreTesting.a"),
             libraries + QStringLiteral("libpackageloader.a"),
             QStringLiteral("include/zantoquiller"),
             QStringLiteral("include/ZantoquillerCore/zantoquiller/platform"),
             QStringLiteral("include/ZantoquillerCore/zantoquiller/textbuffer.h"),
             QStringLiteral("include/zantopack/zantoquiller/package/packageloader.h")})
        EXPECT_FALSE(installed.exists(file)) << file.toStdString();

    // find_package(Zantoquiller) and the imported target.
    const QString build = dir->filePath(QStringLiteral("build"));
    StepResult step = buildConsumer(build, QStringLiteral("zantopack"));
    ASSERT_EQ(step.exitCode, 0) << step.output.toStdString();

    const QString output = dir->filePath(QStringLiteral("cmake-line.prn"));
    step = run(build + QStringLiteral("/consumer"), {output});
    ASSERT_EQ(step.exitCode, 0) << step.output.toStdString();
    EXPECT_EQ(readFile(output), expectedLine);

    // pkg-config.
    const QStringList flags = pkgConfigFlags(QStringLiteral("zantoquiller"));
    // The paths are relative to the .pc file's folder: wherever the prefix
    // went, they lead into it.
    QStringList cleanFlags;
    for (const QString &flag : flags)
        cleanFlags.append(flag.left(2) + QDir::cleanPath(flag.mid(2)));
    for (const char *folder :
        {"ZantoquillerCore", "ZantoquillerPreview", "ZantoquillerWidgets", "zantopack"})
        EXPECT_TRUE(cleanFlags.contains(QStringLiteral("-I")
            + installed.filePath(QStringLiteral("include/")) + QLatin1String(folder)))
            << flags.join(u' ').toStdString();
    EXPECT_TRUE(cleanFlags.contains(QStringLiteral("-L") + installed.filePath(libDir)))
        << flags.join(u' ').toStdString();
    for (const char *library :
        {"-lzantopack", "-lZantoquillerWidgets", "-lZantoquillerPreview", "-lZantoquillerCore"})
        EXPECT_TRUE(flags.contains(QLatin1String(library))) << library;

    const QString program = dir->filePath(QStringLiteral("consumer-pkgconfig"));
    step = compileConsumer(program, flags);
    ASSERT_EQ(step.exitCode, 0) << step.output.toStdString();

    const QString secondOutput = dir->filePath(QStringLiteral("pkgconfig-line.prn"));
    step = run(program, {secondOutput}, pkgConfigEnvironment());
    ASSERT_EQ(step.exitCode, 0) << step.output.toStdString();
    EXPECT_EQ(readFile(secondOutput), expectedLine);
}

TEST_F(Install, AProgramOnTheCoreAloneLoadsNoGraphicalQt)
{
    const QString build = dir->filePath(QStringLiteral("core-build"));
    StepResult step = buildConsumer(build, QStringLiteral("Core"));
    ASSERT_EQ(step.exitCode, 0) << step.output.toStdString();
    const QString program = build + QStringLiteral("/consumer");
    const QString output = dir->filePath(QStringLiteral("core-line.prn"));
    step = run(program, {output});
    ASSERT_EQ(step.exitCode, 0) << step.output.toStdString();
    EXPECT_EQ(readFile(output), expectedLine);
    expectNoGraphicalQt(program, loadedLibraries(program));

    const QStringList flags = pkgConfigFlags(QStringLiteral("zantoquiller-core"));
    EXPECT_FALSE(flags.contains(QStringLiteral("-lQt6Gui"))) << flags.join(u' ').toStdString();
    const QString pkgConfigProgram = dir->filePath(QStringLiteral("core-consumer-pkgconfig"));
    step = compileConsumer(pkgConfigProgram, flags);
    ASSERT_EQ(step.exitCode, 0) << step.output.toStdString();
    const QString secondOutput = dir->filePath(QStringLiteral("core-pkgconfig-line.prn"));
    step = run(pkgConfigProgram, {secondOutput}, pkgConfigEnvironment());
    ASSERT_EQ(step.exitCode, 0) << step.output.toStdString();
    EXPECT_EQ(readFile(secondOutput), expectedLine);
    expectNoGraphicalQt(
        pkgConfigProgram, loadedLibraries(pkgConfigProgram, pkgConfigEnvironment()));
}

// The installed command-line tool finds its libraries through its run path.
TEST_F(Install, TheInstalledToolRunsOnTheInstalledCore)
{
    const QString zanto = installedDir().filePath(QStringLiteral("bin/zanto"));
    const StepResult step = run(zanto, {QStringLiteral("--version")});
    EXPECT_EQ(step.exitCode, 0) << step.output.toStdString();
    const QByteArray libraries = loadedLibraries(zanto);
    for (const QString &library : {QStringLiteral("libZantoquillerCore.so.1"),
             QStringLiteral("libZantoquillerPreview.so.1")}) {
        // ldd: "\tlibZantoquillerCore.so.1 => /path/to/it (0x...)".
        const QRegularExpression line(
            QRegularExpression::escape(library) + QStringLiteral(" => (\\S+)"));
        const QRegularExpressionMatch found = line.match(QString::fromLocal8Bit(libraries));
        ASSERT_TRUE(found.hasMatch()) << libraries.toStdString();
        EXPECT_EQ(QFileInfo(found.captured(1)).canonicalFilePath(),
            QFileInfo(installedDir().filePath(libDir + u'/' + library)).canonicalFilePath());
    }
    // zanto renders previews through Qt Gui (fonts, PDF and PNG pages), which
    // brings D-Bus along, but never loads the widgets or SQL parts.
    for (const char *library : {"libQt6Widgets", "libQt6Sql"})
        EXPECT_FALSE(libraries.contains(library)) << "zanto loads " << library << ":\n"
                                                  << libraries.toStdString();
}

TEST_F(Install, TheToolsManualsCompletionProfilesAndDesktopEntryAreInstalled)
{
    const QDir installed = installedDir();
    for (const QString &file : toolFiles())
        EXPECT_TRUE(QFileInfo(installed.filePath(file)).isFile()) << file.toStdString();
    for (const char *program : {"bin/zanto", "bin/zantopreview", "bin/zantodemo"}) {
        EXPECT_TRUE(QFileInfo(installed.filePath(QLatin1String(program))).isExecutable())
            << program;
        const QByteArray libraries = loadedLibraries(installed.filePath(QLatin1String(program)));
        EXPECT_FALSE(libraries.contains("not found")) << program << ":\n"
                                                      << libraries.toStdString();
    }
    // The manual pages carry the version.
    for (const char *page : {"share/man/man1/zanto.1.gz", "share/man/man5/zanto.conf.5.gz"}) {
        const StepResult text = run(QStringLiteral("gzip"),
            {QStringLiteral("-dc"), installed.filePath(QLatin1String(page))});
        EXPECT_EQ(text.exitCode, 0) << page;
        EXPECT_TRUE(text.output.contains("\"Zantoquiller " ZANTO_VERSION "\"")) << page;
    }
    // Each part's copyright file and changelog.
    for (const char *package :
        {"libzantoquillercore1", "libzantoquillerpreview1", "libzantoquillerwidgets1",
            "libzantopack1", "libzantoquiller-dev", "zanto", "zantopreview", "zantoquiller-demo"}) {
        for (const char *file : {"copyright", "changelog.gz"})
            EXPECT_TRUE(installed.exists(
                QStringLiteral("share/doc/%1/%2").arg(QLatin1String(package), QLatin1String(file))))
                << package << '/' << file;
    }
    const QByteArray desktopEntry
        = readFile(installed.filePath(QStringLiteral("share/applications/zantodemo.desktop")));
    EXPECT_TRUE(desktopEntry.contains("\nExec=zantodemo\n"));
    EXPECT_TRUE(desktopEntry.contains("\nIcon=zantodemo\n"));
}

// The installed zanto prints with an installed profile: the Diablo 630's
// 10-pitch code (ESC US 13) from its codes file starts the job, and the
// incomplete page is ejected.
TEST_F(Install, TheInstalledToolPrintsWithAShippedProfile)
{
    const QString zanto = installedDir().filePath(QStringLiteral("bin/zanto"));
    const QString input = dir->filePath(QStringLiteral("letter.txt"));
    writeFile(input, "Dear Sir");
    const QString output = dir->filePath(QStringLiteral("letter.prn"));
    const StepResult step = run(zanto,
        {QStringLiteral("print"), QStringLiteral("-P"), QStringLiteral("diablo-630"),
            QStringLiteral("-o"), output, input});
    ASSERT_EQ(step.exitCode, 0) << step.output.toStdString();
    EXPECT_EQ(readFile(output),
        QByteArray("\x1b\x1f\x0d"
                   "Dear Sir\r\n\f"));
}
