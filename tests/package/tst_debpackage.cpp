// The Debian package (make package): CPack builds it from the build tree,
// its control data names its dependencies, and unpacked into a folder with
// dpkg-deb -x, without installing it, the zanto inside runs on the libraries
// inside and prints with the profiles' data inside.
#include "packagesteps.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

using namespace ZantoTest;

namespace {

// One package, built and unpacked for all tests of the file.
class DebianPackage : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        dir = new TempDir;
        const StepResult built = run(QStringLiteral(ZANTO_CPACK_COMMAND),
            {QStringLiteral("--config"), QStringLiteral(ZANTO_BUILD_DIR "/CPackConfig.cmake"),
                QStringLiteral("-G"), QStringLiteral("DEB"), QStringLiteral("-B"),
                dir->filePath(QStringLiteral("out"))});
        buildOutput = built.output;
        const QStringList packages = QDir(dir->filePath(QStringLiteral("out")))
                                         .entryList({QStringLiteral("*.deb")}, QDir::Files);
        if (built.exitCode != 0 || packages.size() != 1)
            return;
        package = dir->filePath(QStringLiteral("out/") + packages.constFirst());
        const StepResult unpacked = run(QStringLiteral("dpkg-deb"),
            {QStringLiteral("-x"), package, dir->filePath(QStringLiteral("root"))});
        buildOutput += unpacked.output;
        unpackedOk = unpacked.exitCode == 0;
    }
    static void TearDownTestSuite()
    {
        delete dir;
        dir = nullptr;
    }
    void SetUp() override
    {
        ASSERT_FALSE(package.isEmpty()) << buildOutput.toStdString();
        ASSERT_TRUE(unpackedOk) << buildOutput.toStdString();
    }

    // A file of the unpacked package, e.g. "usr/bin/zanto".
    static QString unpacked(const QString &path)
    {
        return dir->filePath(QStringLiteral("root/") + path);
    }
    static QByteArray controlField(const char *field)
    {
        const StepResult step = run(
            QStringLiteral("dpkg-deb"), {QStringLiteral("-f"), package, QLatin1String(field)});
        EXPECT_EQ(step.exitCode, 0) << step.output.toStdString();
        return step.output.trimmed();
    }

    static inline TempDir *dir = nullptr;
    static inline QString package;
    static inline QByteArray buildOutput;
    static inline bool unpackedOk = false;
};

} // namespace

TEST_F(DebianPackage, NamesItselfAndItsDependencies)
{
    EXPECT_EQ(controlField("Package"), "zantoquiller");
    EXPECT_EQ(controlField("Version"), ZANTO_VERSION);
    EXPECT_EQ(QFileInfo(package).fileName().toStdString(),
        "zantoquiller_" ZANTO_VERSION "_" + controlField("Architecture").toStdString() + ".deb");
    // dpkg-shlibdeps found the linked libraries; the run-time parts are
    // declared by hand.
    const QByteArray depends = controlField("Depends");
    for (const char *dependency : {"libqt6core6", "libqt6gui6", "libqt6widgets6", "libcups2",
             "libc6", "qt6-qpa-plugins", "fonts-liberation"})
        EXPECT_TRUE(depends.contains(dependency))
            << dependency << " not in " << depends.constData();
    // Not the package's own libraries: they are inside.
    EXPECT_FALSE(depends.contains("zantoquiller")) << depends.constData();
}

TEST_F(DebianPackage, HoldsTheToolsAndTheLibrariesBelowUsr)
{
    for (const QString &file : toolFiles())
        EXPECT_TRUE(QFileInfo(unpacked(QStringLiteral("usr/") + file)).isFile())
            << file.toStdString();
    EXPECT_TRUE(QFileInfo(unpacked(QStringLiteral("usr/lib/libZantoquillerCore.so.1"))).exists());
    EXPECT_TRUE(QFileInfo(unpacked(QStringLiteral("usr/lib/libzantopack.so.1"))).exists());
    // Nothing outside /usr.
    EXPECT_EQ(QDir(dir->filePath(QStringLiteral("root")))
                  .entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
        QStringList {QStringLiteral("usr")});
}

TEST_F(DebianPackage, TheZantoInsideRunsOnTheLibrariesInside)
{
    const QString zanto = unpacked(QStringLiteral("usr/bin/zanto"));
    StepResult step = run(zanto, {QStringLiteral("--version")});
    ASSERT_EQ(step.exitCode, 0) << step.output.toStdString();
    EXPECT_EQ(step.output, "zanto " ZANTO_VERSION "\n");

    // ldd: "\tlibZantoquillerCore.so.1 => /path/to/it (0x...)".
    const QByteArray libraries = loadedLibraries(zanto);
    const QRegularExpression core(QStringLiteral("libZantoquillerCore\\.so\\.1 => (\\S+)"));
    const QRegularExpressionMatch found = core.match(QString::fromLocal8Bit(libraries));
    ASSERT_TRUE(found.hasMatch()) << libraries.toStdString();
    EXPECT_EQ(QFileInfo(found.captured(1)).canonicalFilePath(),
        QFileInfo(unpacked(QStringLiteral("usr/lib/libZantoquillerCore.so.1")))
            .canonicalFilePath());

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
