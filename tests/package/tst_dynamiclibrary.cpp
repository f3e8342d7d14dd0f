#include "packagetestpaths.h"
#include "systemreason.h"

#include <zantoquiller/platform/dynamiclibrary.h>

#include <gtest/gtest.h>

#include <cerrno>

using Zanto::Platform::DynamicLibrary;
using namespace ZantoTest;

namespace {

std::string path(const QString &fileName)
{
    return fileName.toStdString();
}

} // namespace

TEST(DynamicLibrary, AMissingFileFailsWithTheSystemsReason)
{
    DynamicLibrary library;
    EXPECT_FALSE(library.open("/nonexistent/libnothing.so"));
    EXPECT_FALSE(library.isOpen());
    EXPECT_EQ(library.errorText(),
        "/nonexistent/libnothing.so: " + libcMessage("cannot open shared object file").toStdString()
            + ": " + osReasonText(ENOENT));
}

TEST(DynamicLibrary, SymbolsAreOnlyThoseTheLibraryDefinesItself)
{
    DynamicLibrary package;
    ASSERT_TRUE(package.open(path(fixtureLibrary(QStringLiteral("fixturepackage")))))
        << package.errorText();
    EXPECT_NE(package.symbol("GetPackageInfoTable"), nullptr);
    EXPECT_EQ(package.symbol("Nonexistent"), nullptr);
    // Defined by the library it depends on, which dlsym would also search.
    EXPECT_EQ(package.symbol("fixtureDependencyValue"), nullptr);

    DynamicLibrary dependency;
    ASSERT_TRUE(dependency.open(path(fixtureLibrary(QStringLiteral("fixturedependency")))));
    auto *value = reinterpret_cast<int (*)()>(dependency.symbol("fixtureDependencyValue"));
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(value(), 42);
}

TEST(DynamicLibrary, ClosingReleasesTheLibrary)
{
    const std::string file = path(fixtureLibrary(QStringLiteral("notapackage")));
    EXPECT_FALSE(DynamicLibrary::isLoaded(file));
    {
        DynamicLibrary library;
        ASSERT_TRUE(library.open(file));
        EXPECT_TRUE(DynamicLibrary::isLoaded(file));
        EXPECT_EQ(library.fileName(), file);

        DynamicLibrary moved(std::move(library));
        EXPECT_FALSE(library.isOpen());
        EXPECT_TRUE(moved.isOpen());
        moved.close();
        EXPECT_FALSE(moved.isOpen());
    }
    EXPECT_FALSE(DynamicLibrary::isLoaded(file));
}

TEST(DynamicLibrary, ReadsThePackagingMetadataNote)
{
    DynamicLibrary package;
    ASSERT_TRUE(package.open(path(zantopackLibrary()))) << package.errorText();
    EXPECT_EQ(package.packagingMetadata(),
        R"({"name":"zantopack","version":"1.0.0","description":"TZantoquiller Component",)"
        R"("productName":"Zantoquiller","productVersion":"3.03","fileVersion":"1.0.0.0"})");

    DynamicLibrary plain;
    ASSERT_TRUE(plain.open(path(fixtureLibrary(QStringLiteral("notapackage")))));
    EXPECT_EQ(plain.packagingMetadata(), "");
}
