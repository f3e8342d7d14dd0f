/// \file
/// The form designer's component palette: pages of component classes, filled
/// by the packages' registration procedures.
#pragma once

#include <zantoquiller/package/registration.h>

#include <QList>
#include <QString>

#include <memory>

namespace Zanto {

/// A component palette: named pages of component classes.
class Palette
{
public:
    Palette() = default;
    Palette(const Palette &) = delete;
    Palette &operator=(const Palette &) = delete;

    /// A page of the palette.
    struct Page
    {
        QString name; ///< as its tab shows it
        TComponentClassList classes; ///< in the order they were registered
    };

    /// Adds the classes to the page, creating the page after the existing
    /// ones. A class already on the palette stays where it is. module names
    /// the registering package, so that unloading it can take its classes
    /// back. Raises EComponentError for a null or non-QObject class or an
    /// empty page name, before anything is added.
    void registerComponents(
        const QString &page, const TComponentClassList &classes, const void *module = nullptr);
    /// Removes every class that module registered; pages left empty go too.
    void unregisterModuleClasses(const void *module);

    /// The pages, in the order they were created.
    const QList<Page> &pages() const { return m_pages; }
    /// The class is on some page.
    bool contains(TComponentClass componentClass) const;
    /// One line per page: "Page: Class1, Class2".
    QString listing() const;

    /// The class name without its namespace, as a palette button shows it.
    static QString className(TComponentClass componentClass);

    /// Expires when the palette is destroyed: lets a package that outlives
    /// the palette know that there is nothing left to take back.
    std::weak_ptr<Palette *> lifetime() const { return m_lifetime; }

private:
    struct Entry
    {
        TComponentClass componentClass;
        const void *module;
    };

    QList<Page> m_pages;
    QList<Entry> m_entries;
    std::shared_ptr<Palette *> m_lifetime = std::make_shared<Palette *>(this);
};

} // namespace Zanto
