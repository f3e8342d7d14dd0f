/// \file
/// Loads component packages into the running program, the way a form
/// designer or an application built on run-time packages does.
#pragma once

#include <zantoquiller/exceptions.h>

#include <QString>
#include <QStringList>

#include <memory>

namespace Zanto {

class Palette;

/// A package could not be loaded or registered.
class EPackageError : public Exception
{
public:
    using Exception::Exception;
};

/// One loaded package library. Loading checks that the library is a package
/// and that its required libraries load, installs a translation of its texts
/// for the current locale that lies beside it, and runs its Initialize.
/// Destroying the object unloads the package: its classes leave the palette,
/// Finalize runs, the library is released and the translation removed.
class Package
{
public:
    /// Raises EPackageError with the reason; nothing stays loaded then.
    static std::unique_ptr<Package> load(const QString &fileName);
    ~Package();

    Package(const Package &) = delete;
    Package &operator=(const Package &) = delete;

    /// Runs the package's Register with this palette as the designer.
    /// Raises EPackageError when the package has no Register procedure.
    void registerComponents(Palette &palette);

    /// The file the system loaded.
    QString fileName() const;
    /// The units the package contains, in initialisation order.
    QStringList units() const;
    /// The libraries the package needs, by so-name.
    QStringList requiredLibraries() const;
    // From the library's packaging metadata; empty when it has none.
    /// The version, from the library's packaging metadata; empty when it has
    /// none.
    QString version() const;
    /// The description, from the packaging metadata; empty when it has none.
    QString description() const;
    /// The product version, from the packaging metadata; empty when it has
    /// none.
    QString productVersion() const;
    /// The translation installed for the package, empty when none.
    QString translationFile() const;

private:
    struct Private;
    explicit Package(std::unique_ptr<Private> d);
    std::unique_ptr<Private> d;
};

} // namespace Zanto
