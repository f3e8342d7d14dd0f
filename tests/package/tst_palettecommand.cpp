#include "packagetestpaths.h"
#include "processrunner.h"

#include <gtest/gtest.h>

#include <QFileInfo>

using namespace ZantoTest;

TEST(PaletteCommand, ListsThePaletteAPackageFills)
{
    const ProcessResult result = runZanto({QStringLiteral("palette"), zantopackLibrary()});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, "Kelvard: TZantoquiller\n");
    EXPECT_EQ(result.err, "");
}

TEST(PaletteCommand, DescribesThePackage)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LANG"), QStringLiteral("en_US.UTF-8"));
    environment.remove(QStringLiteral("LC_ALL"));
    environment.remove(QStringLiteral("LANGUAGE"));
    const ProcessResult result = runZanto(
        {QStringLiteral("palette"), QStringLiteral("--info"), zantopackLibrary()}, {}, environment);
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out,
        zantopackLibrary().toUtf8()
            + "\n"
              "  description:     TZantoquiller Component\n"
              "  version:         1.0.0\n"
              "  product version: 3.03\n"
              "  units:           engine, platform, settings, controls, dialogs\n"
              "  requires:        libQt6Core.so.6, libQt6Gui.so.6, "
              "libQt6Widgets.so.6, libQt6Sql.so.6\n"
              "Kelvard: TZantoquiller\n");
}

TEST(PaletteCommand, NamesTheTranslationTakenForTheLocale)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LANG"), QStringLiteral("de_DE.UTF-8"));
    environment.remove(QStringLiteral("LC_ALL"));
    environment.remove(QStringLiteral("LC_MESSAGES"));
    environment.remove(QStringLiteral("LANGUAGE"));
    const ProcessResult result = runZanto(
        {QStringLiteral("palette"), QStringLiteral("--info"), zantopackLibrary()}, {}, environment);
    EXPECT_EQ(result.exitCode, 0);
    const QByteArray translation = "  translation:     "
        + QFileInfo(zantopackLibrary()).absolutePath().toUtf8() + "/zantopack_de.qm\n";
    EXPECT_TRUE(result.out.contains(translation)) << result.out.toStdString();
}

TEST(PaletteCommand, ALibraryThatIsNotAPackageIsAComponentError)
{
    const QString file = fixtureLibrary(QStringLiteral("notapackage"));
    const ProcessResult result = runZanto({QStringLiteral("palette"), file});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err,
        "zanto palette: \"" + file.toUtf8()
            + "\" is not a package: it lacks the entry points "
              "GetPackageInfoTable, Initialize, Finalize\n");
}

TEST(PaletteCommand, WithoutALibraryItIsAUsageError)
{
    const ProcessResult result = runZanto({QStringLiteral("palette")});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_EQ(result.err, "zanto palette: no package library given\n");
}
