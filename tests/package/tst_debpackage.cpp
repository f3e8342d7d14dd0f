// The Debian packages (make package): CPack builds them from the build tree,
// one per part, each with a -dbgsym package of its debug information. Their
// control data name their dependencies; unpacked into folders with
// dpkg-deb -x, without installing them, no two packages hold the same file,
// each holds its copyright file and changelog, and the zanto of the zanto
// package runs on the libraries of the library packages, without widgets,
// and prints with the profiles' data inside. lintian finds no error.
#include "packagesteps.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QMap>
#include <QRegularExpression>
#include <QSet>

#include <iostream>

using namespace ZantoTest;

namespace {

const QString libDir = QStringLiteral(ZANTO_INSTALL_LIBDIR); // lib/x86_64-linux-gnu

// The packages with the files (below /usr) each must hold, and the
// dependencies each must and must not have.
struct PackageContents
{
    QString name;
    QStringList files;
    QStringList depends;
    QStringList notDepends;
};

QList<PackageContents> expectedPackages()
{
    const QString version = QStringLiteral(" (= " ZANTO_VERSION ")");
    const QString core = QStringLiteral("libzantoquillercore1") + version;
    const QString preview = QStringLiteral("libzantoquillerpreview1") + version;
    const QString widgets = QStringLiteral("libzantoquillerwidgets1") + version;
    const QString pack = QStringLiteral("libzantopack1") + version;
    const QStringList graphical {QStringLiteral("libqt6gui6"), QStringLiteral("libqt6widgets6"),
        QStringLiteral("libqt6sql6"), QStringLiteral("libqt6printsupport6")};

    QStringList zantoFiles;
    for (const QString &file : toolFiles()) {
        if (!file.startsWith(u"bin/zantopreview") && !file.startsWith(u"bin/zantodemo")
            && !file.startsWith(u"share/applications") && !file.startsWith(u"share/icons"))
            zantoFiles.append(file);
    }
    QList<PackageContents> packages {
        {QStringLiteral("libzantoquillercore1"),
            {libDir + QStringLiteral("/libZantoquillerCore.so.1"),
                libDir + QStringLiteral("/libZantoquillerCore.so.1.0.0")},
            {QStringLiteral("libqt6core6"), QStringLiteral("libcups2"), QStringLiteral("libc6")},
            graphical},
        {QStringLiteral("libzantoquillerpreview1"),
            {libDir + QStringLiteral("/libZantoquillerPreview.so.1")},
            {core, QStringLiteral("libqt6gui6"), QStringLiteral("fonts-liberation")},
            graphical.mid(1)},
        {QStringLiteral("libzantoquillerwidgets1"),
            {libDir + QStringLiteral("/libZantoquillerWidgets.so.1")},
            {core, preview, QStringLiteral("libqt6widgets6"), QStringLiteral("libqt6sql6")}, {}},
        {QStringLiteral("libzantopack1"),
            {libDir + QStringLiteral("/libzantopack.so.1"),
                libDir + QStringLiteral("/zantopack_de.qm")},
            {core, widgets}, {}},
        {QStringLiteral("libzantoquiller-dev"),
            {QStringLiteral("include/ZantoquillerCore/zantoquiller/zantoquiller.h"),
                QStringLiteral("include/ZantoquillerCore/zantoquiller/core_export.h"),
                QStringLiteral("include/ZantoquillerWidgets/zantoquiller/codedlg.h"),
                libDir + QStringLiteral("/libZantoquillerCore.so"),
                libDir + QStringLiteral("/libZantoquillerPreview.so"),
                libDir + QStringLiteral("/libZantoquillerWidgets.so"),
                libDir + QStringLiteral("/libzantopack.so"),
                libDir + QStringLiteral("/cmake/Zantoquiller/ZantoquillerConfig.cmake"),
                libDir + QStringLiteral("/pkgconfig/zantoquiller-core.pc")},
            {core, preview, widgets, pack, QStringLiteral("qt6-base-dev")}, {}},
        // zanto draws previews with Qt Gui, never with widgets.
        {QStringLiteral("zanto"), zantoFiles,
            {core, preview, QStringLiteral("libqt6gui6"), QStringLiteral("qt6-qpa-plugins")},
            {QStringLiteral("libqt6widgets6"), QStringLiteral("libqt6sql6"),
                QStringLiteral("libqt6printsupport6"), QStringLiteral("libzantoquillerwidgets1")}},
        {QStringLiteral("zantopreview"),
            {QStringLiteral("bin/zantopreview"),
                QStringLiteral("share/man/man1/zantopreview.1.gz")},
            {widgets, QStringLiteral("libqt6widgets6"), QStringLiteral("qt6-qpa-plugins")}, {}},
        {QStringLiteral("zantoquiller-demo"),
            {QStringLiteral("bin/zantodemo"), QStringLiteral("share/man/man1/zantodemo.1.gz"),
                QStringLiteral("share/applications/zantodemo.desktop"),
                QStringLiteral("share/icons/hicolor/scalable/apps/zantodemo.svg")},
            {widgets, QStringLiteral("libqt6printsupport6"), QStringLiteral("qt6-qpa-plugins")},
            {}},
    };
    // The printer application, where printerapp/ builds it: on PAPPL's
    // library, with the profiles of the zanto package.
    if (ZANTO_PRINTER_APP) {
        packages.append({QStringLiteral("zanto-printer-app"),
            {QStringLiteral("bin/zanto-printer-app"),
                QStringLiteral("share/man/man1/zanto-printer-app.1.gz"),
                QStringLiteral("lib/systemd/system/zanto-printer-app.service")},
            {core, QStringLiteral("zanto") + version, QStringLiteral("libpappl1")},
            {QStringLiteral("libqt6widgets6"), QStringLiteral("libzantoquillerwidgets1")}});
    }
    return packages;
}

// The dependencies of a Depends field, each as written ("name (= 1.0.0)").
QStringList dependencies(const QByteArray &field)
{
    QStringList items;
    for (const QString &item : QString::fromUtf8(field).split(u','))
        items.append(item.trimmed());
    return items;
}

// One build of the packages, unpacked for all tests of the file.
class DebianPackages : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        dir = new TempDir;
        const StepResult built = run(QStringLiteral(ZANTO_CPACK_COMMAND),
            {QStringLiteral("--config"), QStringLiteral(ZANTO_BUILD_DIR "/CPackConfig.cmake"),
                QStringLiteral("-G"), QStringLiteral("DEB"), QStringLiteral("-B"), out()});
        buildOutput = built.output;
        builtOk = built.exitCode == 0;
        QDir().mkpath(dir->filePath(QStringLiteral("root")));
        for (const QString &file : QDir(out()).entryList({QStringLiteral("*.deb")}, QDir::Files)) {
            const QString name = file.section(u'_', 0, 0);
            packages.insert(name, out() + u'/' + file);
            const StepResult unpacked = run(QStringLiteral("dpkg-deb"),
                {QStringLiteral("-x"), packages.value(name), root(name)});
            buildOutput += unpacked.output;
            builtOk = builtOk && unpacked.exitCode == 0;
        }
    }
    static void TearDownTestSuite()
    {
        delete dir;
        dir = nullptr;
    }
    void SetUp() override { ASSERT_TRUE(builtOk) << buildOutput.toStdString(); }

    static QString out() { return dir->filePath(QStringLiteral("out")); }
    // The folder a package is unpacked into.
    static QString root(const QString &package)
    {
        return dir->filePath(QStringLiteral("root/") + package);
    }
    static QByteArray controlField(const QString &package, const char *field)
    {
        const StepResult step = run(QStringLiteral("dpkg-deb"),
            {QStringLiteral("-f"), packages.value(package), QLatin1String(field)});
        EXPECT_EQ(step.exitCode, 0) << step.output.toStdString();
        return step.output.trimmed();
    }
    // Unpacks the packages together into a new folder, as installing them
    // would lay them out.
    static QString unpackTogether(const QString &folder, const QStringList &names)
    {
        const QString path = dir->filePath(folder);
        for (const QString &name : names) {
            const StepResult step = run(
                QStringLiteral("dpkg-deb"), {QStringLiteral("-x"), packages.value(name), path});
            EXPECT_EQ(step.exitCode, 0) << step.output.toStdString();
        }
        return path;
    }

    static inline TempDir *dir = nullptr;
    static inline QMap<QString, QString> packages; // name -> .deb
    static inline QByteArray buildOutput;
    static inline bool builtOk = false;
};

} // namespace

TEST_F(DebianPackages, OnePackagePerPartEachWithItsDebugSymbols)
{
    QStringList names;
    for (const PackageContents &expected : expectedPackages())
        names.append(expected.name);
    names.sort();
    EXPECT_EQ(packages.keys(), names);
    const QStringList debugPackages
        = QDir(out()).entryList({QStringLiteral("*-dbgsym_*.ddeb")}, QDir::Files);
    for (const QString &name : std::as_const(names)) {
        SCOPED_TRACE(name.toStdString());
        EXPECT_EQ(controlField(name, "Package"), name.toUtf8());
        EXPECT_EQ(controlField(name, "Version"), ZANTO_VERSION);
        EXPECT_EQ(controlField(name, "Source"), "zantoquiller");
        EXPECT_EQ(QFileInfo(packages.value(name)).fileName(),
            name + QStringLiteral("_" ZANTO_VERSION "_")
                + QString::fromUtf8(controlField(name, "Architecture")) + QStringLiteral(".deb"));
        // Every package with programs or libraries, that is all but the
        // development files, has its debug symbols apart.
        if (name == u"libzantoquiller-dev")
            continue;
        const QRegularExpression debugName(u'^' + name + QStringLiteral("-dbgsym_"));
        EXPECT_EQ(debugPackages.filter(debugName).size(), 1)
            << debugPackages.join(u' ').toStdString();
    }
}

TEST_F(DebianPackages, EachDependsOnWhatItNeedsAndNoMore)
{
    for (const PackageContents &expected : expectedPackages()) {
        SCOPED_TRACE(expected.name.toStdString());
        const QByteArray field = controlField(expected.name, "Depends");
        const QStringList depends = dependencies(field);
        for (const QString &dependency : expected.depends) {
            const bool exact = dependency.contains(u'(');
            EXPECT_TRUE(exact
                    ? depends.contains(dependency)
                    : !depends.filter(QRegularExpression(u'^' + dependency + QStringLiteral("\\b")))
                           .isEmpty())
                << dependency.toStdString() << " not in " << field.constData();
        }
        for (const QString &dependency : expected.notDepends)
            EXPECT_TRUE(
                depends.filter(QRegularExpression(u'^' + dependency + QStringLiteral("\\b")))
                    .isEmpty())
                << dependency.toStdString() << " in " << field.constData();
    }
}

TEST_F(DebianPackages, EachHoldsItsFilesBelowUsrAndNoTwoTheSame)
{
    QMap<QString, QString> owners; // file -> package
    for (const PackageContents &expected : expectedPackages()) {
        SCOPED_TRACE(expected.name.toStdString());
        const QDir unpacked(root(expected.name));
        EXPECT_EQ(unpacked.entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
            QStringList {QStringLiteral("usr")});
        QStringList files = expected.files;
        files << QStringLiteral("share/doc/%1/copyright").arg(expected.name)
              << QStringLiteral("share/doc/%1/changelog.gz").arg(expected.name);
        // The .so names of the development files lead to libraries of
        // other packages: links whose target is not in this one.
        for (const QString &file : std::as_const(files)) {
            const QFileInfo info(unpacked.filePath(QStringLiteral("usr/") + file));
            EXPECT_TRUE(info.exists() || info.isSymLink()) << file.toStdString();
        }
        QDirIterator walk(unpacked.path(), QDir::Files | QDir::System | QDir::Hidden,
            QDirIterator::Subdirectories);
        while (walk.hasNext()) {
            const QString file = unpacked.relativeFilePath(walk.next());
            EXPECT_FALSE(owners.contains(file))
                << file.toStdString() << " also in " << owners.value(file).toStdString();
            owners.insert(file, expected.name);
        }
    }
}

// A library package has ldconfig run by dpkg's trigger, and no maintainer
// script of its own; it installs beside the same package of another
// architecture.
TEST_F(DebianPackages, LibrariesRunLdconfigByATriggerAndAreMultiArch)
{
    for (const QString &name : packages.keys()) {
        SCOPED_TRACE(name.toStdString());
        const bool library = name.startsWith(u"lib") && !name.endsWith(u"-dev");
        const StepResult triggers = run(QStringLiteral("dpkg-deb"),
            {QStringLiteral("--info"), packages.value(name), QStringLiteral("triggers")});
        EXPECT_EQ(triggers.exitCode == 0, library) << triggers.output.toStdString();
        if (library) {
            EXPECT_EQ(triggers.output, "activate-noawait ldconfig\n");
            EXPECT_EQ(controlField(name, "Multi-Arch"), "same");
        }
        for (const QString &script : {QStringLiteral("postinst"), QStringLiteral("postrm")}) {
            const StepResult found = run(QStringLiteral("dpkg-deb"),
                {QStringLiteral("--info"), packages.value(name), script});
            EXPECT_NE(found.exitCode, 0) << script.toStdString();
        }
    }
}

// Manual pages and changelogs are compressed as gzip -9n: best compression
// (extra flags 2), neither the file's name (flag 8) nor a time stamp.
TEST_F(DebianPackages, ManualPagesAndChangelogsAreCompressedReproducibly)
{
    QStringList compressed {QStringLiteral("zanto/usr/share/man/man1/zanto.1.gz"),
        QStringLiteral("zanto/usr/share/man/man5/zanto.conf.5.gz"),
        QStringLiteral("zantopreview/usr/share/man/man1/zantopreview.1.gz"),
        QStringLiteral("zantoquiller-demo/usr/share/man/man1/zantodemo.1.gz")};
    if (ZANTO_PRINTER_APP)
        compressed.append(
            QStringLiteral("zanto-printer-app/usr/share/man/man1/zanto-printer-app.1.gz"));
    for (const PackageContents &expected : expectedPackages())
        compressed.append(QStringLiteral("%1/usr/share/doc/%1/changelog.gz").arg(expected.name));
    for (const QString &file : std::as_const(compressed)) {
        SCOPED_TRACE(file.toStdString());
        const QByteArray bytes = readFile(dir->filePath(QStringLiteral("root/") + file));
        ASSERT_GE(bytes.size(), 10);
        EXPECT_EQ(bytes.left(3), QByteArray("\x1f\x8b\x08"));
        EXPECT_EQ(bytes[3] & 0x08, 0) << "holds a file name";
        EXPECT_EQ(bytes.mid(4, 4), QByteArray(4, '\0')) << "holds a time stamp";
        EXPECT_EQ(bytes[8], 2) << "not compressed best";
    }
    const StepResult page = run(QStringLiteral("gzip"),
        {QStringLiteral("-dc"), dir->filePath(QStringLiteral("root/") + compressed.constFirst())});
    ASSERT_EQ(page.exitCode, 0) << page.output.toStdString();
    EXPECT_TRUE(page.output.contains("\"Zantoquiller " ZANTO_VERSION "\""));
}

// The programs and libraries carry no debug information; their -dbgsym
// packages do, under the files' build ids.
TEST_F(DebianPackages, DebugInformationIsSplitOff)
{
    for (const QString &file : {QStringLiteral("zanto/usr/bin/zanto"),
             QStringLiteral("libzantoquillercore1/usr/") + libDir
                 + QStringLiteral("/libZantoquillerCore.so.1.0.0")}) {
        SCOPED_TRACE(file.toStdString());
        const StepResult sections = run(QStringLiteral("readelf"),
            {QStringLiteral("-S"), QStringLiteral("-n"),
                dir->filePath(QStringLiteral("root/") + file)});
        ASSERT_EQ(sections.exitCode, 0) << sections.output.toStdString();
        EXPECT_FALSE(sections.output.contains(".debug_info"));
        EXPECT_TRUE(sections.output.contains(".gnu_debuglink"));
        const QRegularExpressionMatch id
            = QRegularExpression(QStringLiteral("Build ID: (\\w\\w)(\\w+)"))
                  .match(QString::fromLatin1(sections.output));
        ASSERT_TRUE(id.hasMatch()) << sections.output.toStdString();

        const QString package = file.section(u'/', 0, 0);
        const QStringList debug
            = QDir(out()).entryList({package + QStringLiteral("-dbgsym_*.ddeb")}, QDir::Files);
        ASSERT_EQ(debug.size(), 1);
        const StepResult listing = run(
            QStringLiteral("dpkg-deb"), {QStringLiteral("-c"), out() + u'/' + debug.constFirst()});
        EXPECT_TRUE(listing.output.contains(QStringLiteral("./usr/lib/debug/.build-id/%1/%2.debug")
                                                .arg(id.captured(1), id.captured(2))
                                                .toUtf8()))
            << listing.output.toStdString();
    }
}

TEST_F(DebianPackages, TheZantoInsideRunsOnTheLibrariesInsideWithoutWidgets)
{
    const QString usr = unpackTogether(QStringLiteral("tool"),
                            {QStringLiteral("zanto"), QStringLiteral("libzantoquillercore1"),
                                QStringLiteral("libzantoquillerpreview1")})
        + QStringLiteral("/usr/");
    const QString zanto = usr + QStringLiteral("bin/zanto");
    StepResult step = run(zanto, {QStringLiteral("--version")});
    ASSERT_EQ(step.exitCode, 0) << step.output.toStdString();
    EXPECT_EQ(step.output, "zanto " ZANTO_VERSION "\n");

    // ldd: "\tlibZantoquillerCore.so.1 => /path/to/it (0x...)".
    const QByteArray libraries = loadedLibraries(zanto);
    for (const QString &library : {QStringLiteral("libZantoquillerCore.so.1"),
             QStringLiteral("libZantoquillerPreview.so.1")}) {
        const QRegularExpressionMatch found
            = QRegularExpression(QRegularExpression::escape(library) + QStringLiteral(" => (\\S+)"))
                  .match(QString::fromLocal8Bit(libraries));
        ASSERT_TRUE(found.hasMatch()) << libraries.toStdString();
        EXPECT_EQ(QFileInfo(found.captured(1)).canonicalFilePath(),
            QFileInfo(usr + libDir + u'/' + library).canonicalFilePath());
    }
    for (const char *library :
        {"libQt6Widgets", "libQt6Sql", "libQt6PrintSupport", "libZantoquillerWidgets"})
        EXPECT_FALSE(libraries.contains(library)) << "zanto loads " << library << ":\n"
                                                  << libraries.toStdString();

    // A receipt with the ESC/POS profile: initialise, font A (ESC M 0), the
    // text, then the paper cut.
    const QString input = dir->filePath(QStringLiteral("receipt.txt"));
    writeFile(input, "Coffee 2.50");
    const QString output = dir->filePath(QStringLiteral("receipt.prn"));
    step = run(zanto,
        {QStringLiteral("print"), QStringLiteral("-P"), QStringLiteral("escpos-80mm"),
            QStringLiteral("-o"), output, input});
    ASSERT_EQ(step.exitCode, 0) << step.output.toStdString();
    EXPECT_EQ(readFile(output),
        QByteArray("\x1b@\x1bt\x00"
                   "\x1bM\x00"
                   "Coffee 2.50\r\n"
                   "\x1dVB\x00",
            25));
}

// The printer application's systemd unit runs the packaged program as a
// server with its state in /var/lib, and is installed, not enabled: no
// maintainer script enables it, no preset and no link in /etc asks for it.
TEST_F(DebianPackages, ThePrinterApplicationsUnitIsInstalledNotEnabled)
{
    if (!ZANTO_PRINTER_APP)
        GTEST_SKIP() << "no printer application in this build";
    const QString name = QStringLiteral("zanto-printer-app");
    const QString usr = root(name) + QStringLiteral("/usr/");
    const QByteArray unit
        = readFile(usr + QStringLiteral("lib/systemd/system/") + name + QStringLiteral(".service"));
    static const QRegularExpression execStart(
        QStringLiteral("^ExecStart=(.*)$"), QRegularExpression::MultilineOption);
    const QRegularExpressionMatch command = execStart.match(QString::fromUtf8(unit));
    ASSERT_TRUE(command.hasMatch()) << unit.toStdString();
    const QStringList words = command.captured(1).split(u' ', Qt::SkipEmptyParts);
    ASSERT_GE(words.size(), 4);
    EXPECT_EQ(words.at(0), QStringLiteral("/usr/bin/zanto-printer-app"));
    EXPECT_TRUE(QFileInfo(usr + QStringLiteral("bin/zanto-printer-app")).isExecutable());
    EXPECT_EQ(words.at(1), QStringLiteral("server"));
    EXPECT_TRUE(
        words.mid(2).join(u' ').contains(QStringLiteral("-o state-dir=/var/lib/zanto-printer-app")))
        << command.captured(1).toStdString();
    EXPECT_TRUE(unit.contains("\nStateDirectory=zanto-printer-app\n"));
    EXPECT_TRUE(unit.contains("\nWantedBy=multi-user.target\n"));

    for (const QString &script : {QStringLiteral("preinst"), QStringLiteral("postinst"),
             QStringLiteral("prerm"), QStringLiteral("postrm")}) {
        const StepResult found = run(
            QStringLiteral("dpkg-deb"), {QStringLiteral("--info"), packages.value(name), script});
        EXPECT_NE(found.exitCode, 0) << script.toStdString();
    }
    const StepResult listing
        = run(QStringLiteral("dpkg-deb"), {QStringLiteral("-c"), packages.value(name)});
    ASSERT_EQ(listing.exitCode, 0) << listing.output.toStdString();
    EXPECT_FALSE(listing.output.contains("system-preset")) << listing.output.toStdString();
    EXPECT_FALSE(listing.output.contains("./etc/")) << listing.output.toStdString();
}

// lintian, Debian's package checker, on every package and debug symbols
// package: no error. Its warnings are printed; the README says why each
// one is left.
TEST_F(DebianPackages, LintianFindsNoError)
{
    QStringList files;
    for (const QString &file :
        QDir(out()).entryList({QStringLiteral("*.deb"), QStringLiteral("*.ddeb")}, QDir::Files))
        files.append(out() + u'/' + file);
    ASSERT_EQ(files.size(), 2 * expectedPackages().size() - 1);
    const StepResult checked = run(QStringLiteral("lintian"),
        QStringList {QStringLiteral("--fail-on"), QStringLiteral("error")} + files);
    std::cout << checked.output.toStdString();
    EXPECT_EQ(checked.exitCode, 0) << checked.output.toStdString();
    static const QRegularExpression error(
        QStringLiteral("^E: "), QRegularExpression::MultilineOption);
    EXPECT_FALSE(QString::fromUtf8(checked.output).contains(error)) << checked.output.toStdString();
}
