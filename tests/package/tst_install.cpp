// Installs the package into a temporary prefix and builds a program against
// it, once through find_package(Zantoquiller) and once through pkg-config.
#include "packagetestpaths.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QProcess>

using namespace ZantoTest;

namespace {

struct StepResult
{
    int exitCode = -1;
    QByteArray output;
};

StepResult run(const QString &program, const QStringList &arguments,
    const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment())
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(-1))
        return {-1, process.errorString().toUtf8()};
    return {
        process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, process.readAll()};
}

// What the consumer prints: text, an escape sequence, a zero and a 255 byte.
const char consumerLine[] = "Consumer \x1b"
                            "E\0\xff line\r\n";
const QByteArray expectedLine(consumerLine, sizeof consumerLine - 1);

} // namespace

TEST(Install, AProgramBuildsAgainstTheInstalledPackage)
{
    TempDir dir;
    const QString prefix = dir.filePath(QStringLiteral("prefix"));
    const QString cmake = QStringLiteral(ZANTO_CMAKE_COMMAND);

    StepResult step = run(cmake,
        {QStringLiteral("--install"), QStringLiteral(ZANTO_BUILD_DIR), QStringLiteral("--prefix"),
            prefix, QStringLiteral("--component"), QStringLiteral("Zantoquiller")});
    ASSERT_EQ(step.exitCode, 0) << step.output.toStdString();

    const QDir installed(prefix);
    for (const char *file :
        {"include/zantoquiller/zantoquiller.h", "include/zantoquiller/codelist.h",
            "include/zantoquiller/package/packageinfo.h", "lib/libzantopack.so.1.0.0",
            "lib/zantopack_de.qm", "lib/cmake/Zantoquiller/ZantoquillerConfig.cmake",
            "lib/cmake/Zantoquiller/ZantoquillerConfigVersion.cmake",
            "lib/cmake/Zantoquiller/ZantoquillerTargets.cmake", "lib/pkgconfig/zantoquiller.pc"})
        EXPECT_TRUE(installed.exists(QLatin1String(file))) << file;
    EXPECT_EQ(QFileInfo(installed.filePath(QStringLiteral("lib/libzantopack.so"))).symLinkTarget(),
        installed.filePath(QStringLiteral("lib/libzantopack.so.1")));
    EXPECT_EQ(
        QFileInfo(installed.filePath(QStringLiteral("lib/libzantopack.so.1"))).symLinkTarget(),
        installed.filePath(QStringLiteral("lib/libzantopack.so.1.0.0")));
    // The internal static libraries and the designer's side stay out.
    for (const char *file : {"lib/libengine.a", "lib/libplatform.a", "lib/libpackageloader.a",
             "include/zantoquiller/platform", "include/zantoquiller/package/packageloader.h"})
        EXPECT_FALSE(installed.exists(QLatin1String(file))) << file;

    // find_package(Zantoquiller) and the imported target.
    const QString build = dir.filePath(QStringLiteral("build"));
    step = run(cmake,
        {QStringLiteral("-S"), QStringLiteral(ZANTO_CONSUMER_SOURCE_DIR), QStringLiteral("-B"),
            build, QStringLiteral("-G"), QStringLiteral(ZANTO_CMAKE_GENERATOR),
            QStringLiteral("-DCMAKE_CXX_COMPILER=" ZANTO_CXX_COMPILER),
            QStringLiteral("-DCMAKE_CXX_FLAGS=" ZANTO_CONSUMER_CXX_FLAGS),
            QStringLiteral("-DCMAKE_PREFIX_PATH=") + prefix});
    ASSERT_EQ(step.exitCode, 0) << step.output.toStdString();
    step = run(cmake, {QStringLiteral("--build"), build});
    ASSERT_EQ(step.exitCode, 0) << step.output.toStdString();

    const QString output = dir.filePath(QStringLiteral("cmake-line.prn"));
    step = run(build + QStringLiteral("/consumer"), {output});
    ASSERT_EQ(step.exitCode, 0) << step.output.toStdString();
    EXPECT_EQ(readFile(output), expectedLine);

    // pkg-config.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(
        QStringLiteral("PKG_CONFIG_PATH"), installed.filePath(QStringLiteral("lib/pkgconfig")));
    step = run(QStringLiteral("pkg-config"),
        {QStringLiteral("--cflags"), QStringLiteral("--libs"), QStringLiteral("zantoquiller")},
        environment);
    ASSERT_EQ(step.exitCode, 0) << step.output.toStdString();
    const QStringList flags
        = QString::fromUtf8(step.output.trimmed()).split(u' ', Qt::SkipEmptyParts);
    // The paths are relative to the .pc file's folder: wherever the prefix
    // went, they lead into it.
    QStringList cleanFlags;
    for (const QString &flag : flags)
        cleanFlags.append(flag.left(2) + QDir::cleanPath(flag.mid(2)));
    EXPECT_TRUE(
        cleanFlags.contains(QStringLiteral("-I") + installed.filePath(QStringLiteral("include"))))
        << step.output.toStdString();
    EXPECT_TRUE(
        cleanFlags.contains(QStringLiteral("-L") + installed.filePath(QStringLiteral("lib"))))
        << step.output.toStdString();
    EXPECT_TRUE(flags.contains(QStringLiteral("-lzantopack")));

    const QString program = dir.filePath(QStringLiteral("consumer-pkgconfig"));
    QStringList compile
        = QString::fromUtf8(ZANTO_CONSUMER_CXX_FLAGS).split(u' ', Qt::SkipEmptyParts);
    compile << QStringLiteral("-std=c++20") << QStringLiteral("-fPIC")
            << QStringLiteral(ZANTO_CONSUMER_SOURCE_DIR "/consumer.cpp") << QStringLiteral("-o")
            << program << flags;
    step = run(QStringLiteral(ZANTO_CXX_COMPILER), compile);
    ASSERT_EQ(step.exitCode, 0) << step.output.toStdString();

    environment.insert(
        QStringLiteral("LD_LIBRARY_PATH"), installed.filePath(QStringLiteral("lib")));
    const QString secondOutput = dir.filePath(QStringLiteral("pkgconfig-line.prn"));
    step = run(program, {secondOutput}, environment);
    ASSERT_EQ(step.exitCode, 0) << step.output.toStdString();
    EXPECT_EQ(readFile(secondOutput), expectedLine);
}
