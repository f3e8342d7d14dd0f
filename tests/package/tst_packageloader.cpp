#include "packagetestpaths.h"
#include "systemreason.h"
#include "tempdir.h"

#include <zantoquiller/package/packageloader.h>
#include <zantoquiller/package/palette.h>
#include <zantoquiller/platform/dynamiclibrary.h>

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QTranslator>

#include <cerrno>
#include <functional>

using namespace Zanto;
using namespace ZantoTest;

namespace {

// The dynamic loader's words for a library it cannot open, in the language
// of the current locale.
QString cannotOpenSharedObject()
{
    return libcMessage("cannot open shared object file");
}

// The loader installs translations into the application object.
class ApplicationEnvironment : public ::testing::Environment
{
public:
    void SetUp() override { m_app = std::make_unique<QCoreApplication>(m_argc, m_argv); }
    void TearDown() override { m_app.reset(); }

private:
    int m_argc = 1;
    char m_name[16] = "package_loader";
    char *m_argv[2] = {m_name, nullptr};
    std::unique_ptr<QCoreApplication> m_app;
};

const auto *environment = ::testing::AddGlobalTestEnvironment(new ApplicationEnvironment);

QString loadError(const QString &fileName)
{
    try {
        Package::load(fileName);
    } catch (const EPackageError &error) {
        return error.Message();
    }
    return QStringLiteral("loaded");
}

bool isLoaded(const QString &fileName)
{
    return Platform::DynamicLibrary::isLoaded(fileName.toStdString());
}

// A caption of the printer codes dialog, as the dialog asks for it.
QString codeDialogCaption()
{
    return QCoreApplication::translate("TCodeDlg", "Printer Control Codes");
}

class PackageLoader : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_log = m_dir.filePath(QStringLiteral("entries.log"));
        qputenv("ZANTO_FIXTURE_LOG", QFile::encodeName(m_log));
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    }
    void TearDown() override
    {
        qunsetenv("ZANTO_FIXTURE_LOG");
        qunsetenv("ZANTO_FIXTURE_FAIL_REGISTER");
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    }

    // The fixture package's entry points, in the order they ran.
    QStringList entries() const
    {
        QFile file(m_log);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QString::fromLatin1(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
    }

    TempDir m_dir;
    QString m_log;
};

} // namespace

TEST_F(PackageLoader, ZantopackPutsExactlyOneComponentOnKelvard)
{
    Palette palette;
    auto package = Package::load(zantopackLibrary());
    package->registerComponents(palette);

    ASSERT_EQ(palette.pages().size(), 1);
    EXPECT_EQ(palette.pages()[0].name, QStringLiteral("Kelvard"));
    ASSERT_EQ(palette.pages()[0].classes.size(), 1);
    EXPECT_STREQ(palette.pages()[0].classes[0]->className(), "Zanto::TZantoquiller");
    EXPECT_EQ(palette.listing(), QStringLiteral("Kelvard: TZantoquiller\n"));

    package.reset();
    EXPECT_TRUE(palette.pages().isEmpty());
}

TEST_F(PackageLoader, ZantopackDescribesItself)
{
    auto package = Package::load(zantopackLibrary());
    EXPECT_EQ(package->fileName(), zantopackLibrary());
    EXPECT_EQ(package->description(), QStringLiteral("TZantoquiller Component"));
    EXPECT_EQ(package->productVersion(), QStringLiteral("3.03"));
    EXPECT_EQ(package->version(), QStringLiteral("1.0.0"));
    EXPECT_EQ(package->units(),
        QStringList({QStringLiteral("engine"), QStringLiteral("platform"),
            QStringLiteral("settings"), QStringLiteral("controls"), QStringLiteral("dialogs")}));
    EXPECT_EQ(package->requiredLibraries(),
        QStringList({QStringLiteral("libQt6Core.so.6"), QStringLiteral("libQt6Gui.so.6"),
            QStringLiteral("libQt6Widgets.so.6"), QStringLiteral("libQt6Sql.so.6")}));
    EXPECT_EQ(QFileInfo(zantopackLibrary()).symLinkTarget(),
        QFileInfo(zantopackLibrary()).absolutePath() + QStringLiteral("/libzantopack.so.1"));
}

TEST_F(PackageLoader, ADesignerCreatesTheComponentFromItsClass)
{
    Palette palette;
    auto package = Package::load(zantopackLibrary());
    package->registerComponents(palette);
    const QMetaObject *componentClass = palette.pages().value(0).classes.value(0);
    ASSERT_NE(componentClass, nullptr);

    QObject form;
    QObject *component = componentClass->newInstance(Q_ARG(QObject *, &form));
    ASSERT_NE(component, nullptr);
    EXPECT_EQ(component->parent(), &form);
    EXPECT_EQ(component->property("LineSpacing").toInt(), 1);
    EXPECT_EQ(component->property("Timeout").toInt(), 1000);
    EXPECT_TRUE(component->setProperty("LineWidth", 80));
    EXPECT_EQ(component->property("LineWidth").toInt(), 80);
    // The form frees its components before the package goes.
    delete component;
}

TEST_F(PackageLoader, LoadsUnloadsAndLoadsAgain)
{
    Palette palette;
    for (int round = 0; round < 3; ++round) {
        auto zantopack = Package::load(zantopackLibrary());
        auto fixture = Package::load(fixtureLibrary(QStringLiteral("fixturepackage")));
        zantopack->registerComponents(palette);
        fixture->registerComponents(palette);
        EXPECT_EQ(palette.listing(), QStringLiteral("Kelvard: TZantoquiller\nFixtures: QTimer\n"));
        zantopack.reset();
        EXPECT_EQ(palette.listing(), QStringLiteral("Fixtures: QTimer\n"));
        fixture.reset();
        EXPECT_TRUE(palette.pages().isEmpty());
        EXPECT_FALSE(isLoaded(fixtureLibrary(QStringLiteral("fixturepackage"))));
    }
    const QStringList once
        = {QStringLiteral("Initialize"), QStringLiteral("Register"), QStringLiteral("Finalize")};
    EXPECT_EQ(entries(), once + once + once);
}

TEST_F(PackageLoader, APackageLoadsOnceAtATime)
{
    const QString file = fixtureLibrary(QStringLiteral("fixturepackage"));
    auto package = Package::load(file);
    EXPECT_EQ(loadError(file), QStringLiteral("Package \"%1\" is already loaded").arg(file));
    // Through a symbolic link it is still the same package.
    const QString link = m_dir.filePath(QStringLiteral("libfixturelink.so"));
    ASSERT_TRUE(QFile::link(file, link));
    EXPECT_EQ(loadError(link), QStringLiteral("Package \"%1\" is already loaded").arg(link));

    Palette palette;
    package->registerComponents(palette);
    EXPECT_EQ(palette.listing(), QStringLiteral("Fixtures: QTimer\n"));
    package.reset();
    EXPECT_EQ(entries(),
        QStringList({QStringLiteral("Initialize"), QStringLiteral("Register"),
            QStringLiteral("Finalize")}));
    EXPECT_FALSE(isLoaded(file));
}

TEST_F(PackageLoader, ALibraryThatIsNotAPackageLoadsNothing)
{
    const QString file = fixtureLibrary(QStringLiteral("notapackage"));
    EXPECT_EQ(loadError(file),
        QStringLiteral("\"%1\" is not a package: it lacks the entry points "
                       "GetPackageInfoTable, Initialize, Finalize")
            .arg(file));
    EXPECT_FALSE(isLoaded(file));

    const QString incomplete = fixtureLibrary(QStringLiteral("fixtureincomplete"));
    EXPECT_EQ(loadError(incomplete),
        QStringLiteral("\"%1\" is not a package: it lacks the entry point Finalize")
            .arg(incomplete));
    EXPECT_FALSE(isLoaded(incomplete));
    EXPECT_TRUE(entries().isEmpty());
}

TEST_F(PackageLoader, AMissingRequiredLibraryLoadsNothing)
{
    const QString file = fixtureLibrary(QStringLiteral("fixturemissingrequired"));
    EXPECT_EQ(loadError(file),
        QStringLiteral("Package \"%1\" requires libzantomissing.so.1, which cannot be loaded: "
                       "libzantomissing.so.1: %2: %3")
            .arg(file, cannotOpenSharedObject(), osReason(ENOENT)));
    EXPECT_FALSE(isLoaded(file));
    EXPECT_TRUE(entries().isEmpty());
}

TEST_F(PackageLoader, AMissingLinkedLibraryLoadsNothing)
{
    // A copy away from the library it was linked against.
    const QString copy = m_dir.filePath(QStringLiteral("libfixturepackage.so"));
    ASSERT_TRUE(QFile::copy(fixtureLibrary(QStringLiteral("fixturepackage")), copy));
    EXPECT_EQ(loadError(copy),
        QStringLiteral("Cannot load package \"%1\": libfixturedependency.so: %2: %3")
            .arg(copy, cannotOpenSharedObject(), osReason(ENOENT)));
    EXPECT_FALSE(isLoaded(copy));
    EXPECT_TRUE(entries().isEmpty());
}

TEST_F(PackageLoader, AMissingFileIsReported)
{
    const QString file = m_dir.filePath(QStringLiteral("libnothing.so"));
    EXPECT_EQ(loadError(file),
        QStringLiteral("Cannot load package \"%1\": %1: %2: %3")
            .arg(file, cannotOpenSharedObject(), osReason(ENOENT)));
}

TEST_F(PackageLoader, RegisteringARunTimePackageIsAnError)
{
    const QString file = fixtureLibrary(QStringLiteral("fixtureruntimeonly"));
    auto package = Package::load(file);
    Palette palette;
    try {
        package->registerComponents(palette);
        FAIL() << "registered";
    } catch (const EPackageError &error) {
        EXPECT_EQ(
            error.Message(), QStringLiteral("Package \"%1\" has no Register procedure").arg(file));
    }
    EXPECT_TRUE(palette.pages().isEmpty());
}

TEST_F(PackageLoader, AFailedRegistrationTakesBackItsClasses)
{
    const QString file = fixtureLibrary(QStringLiteral("fixturepackage"));
    auto package = Package::load(file);
    Palette palette;
    qputenv("ZANTO_FIXTURE_FAIL_REGISTER", "1");
    try {
        package->registerComponents(palette);
        FAIL() << "registered";
    } catch (const EComponentError &error) {
        EXPECT_EQ(error.Message(), QStringLiteral("Cannot register a null component class"));
    }
    EXPECT_TRUE(palette.pages().isEmpty());

    // The package's hook is reset: outside a designer's Register call the
    // package cannot reach the palette.
    Platform::DynamicLibrary library;
    ASSERT_TRUE(library.open(file.toStdString()));
    auto *hook = static_cast<TRegisterComponentsProc *>(library.symbol("RegisterComponentsProc"));
    ASSERT_NE(hook, nullptr);
    EXPECT_EQ(*hook, nullptr);

    qunsetenv("ZANTO_FIXTURE_FAIL_REGISTER");
    package->registerComponents(palette);
    EXPECT_EQ(palette.listing(), QStringLiteral("Fixtures: QTimer\n"));
    EXPECT_EQ(*hook, nullptr);
}

TEST_F(PackageLoader, APackageMayOutliveThePalette)
{
    auto package = Package::load(zantopackLibrary());
    {
        Palette palette;
        package->registerComponents(palette);
        EXPECT_EQ(palette.listing(), QStringLiteral("Kelvard: TZantoquiller\n"));
    }
    Palette next;
    package->registerComponents(next);
    EXPECT_EQ(next.listing(), QStringLiteral("Kelvard: TZantoquiller\n"));
    package.reset();
    EXPECT_TRUE(next.pages().isEmpty());
}

TEST_F(PackageLoader, TheTranslationForTheLocaleIsTakenAndReleased)
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    ASSERT_EQ(codeDialogCaption(), QStringLiteral("Printer Control Codes"));

    auto package = Package::load(zantopackLibrary());
    EXPECT_EQ(package->translationFile(),
        QFileInfo(zantopackLibrary()).absolutePath() + QStringLiteral("/zantopack_de.qm"));
    EXPECT_EQ(codeDialogCaption(), QStringLiteral("Druckersteuercodes"));

    package.reset();
    EXPECT_EQ(codeDialogCaption(), QStringLiteral("Printer Control Codes"));

    // And again.
    package = Package::load(zantopackLibrary());
    EXPECT_EQ(codeDialogCaption(), QStringLiteral("Druckersteuercodes"));
    package.reset();
    EXPECT_EQ(codeDialogCaption(), QStringLiteral("Printer Control Codes"));
}

TEST_F(PackageLoader, WithoutATranslationForTheLocaleNothingIsInstalled)
{
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    auto package = Package::load(zantopackLibrary());
    EXPECT_EQ(package->translationFile(), QString());
    EXPECT_EQ(codeDialogCaption(), QStringLiteral("Printer Control Codes"));
}

TEST_F(PackageLoader, UnloadingLeavesTheApplicationsOwnTranslations)
{
    const QString qmFile
        = QFileInfo(zantopackLibrary()).absolutePath() + QStringLiteral("/zantopack_de.qm");
    QTranslator own;
    ASSERT_TRUE(own.load(qmFile));
    ASSERT_TRUE(QCoreApplication::installTranslator(&own));

    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    auto package = Package::load(zantopackLibrary());
    EXPECT_FALSE(package->translationFile().isEmpty());
    package.reset();
    EXPECT_EQ(codeDialogCaption(), QStringLiteral("Druckersteuercodes"));

    QCoreApplication::removeTranslator(&own);
    EXPECT_EQ(codeDialogCaption(), QStringLiteral("Printer Control Codes"));
}
