// The form designer's component palette: pages of component classes, filled
// by the packages' registration procedures.
#pragma once

#include <zantoquiller/package/registration.h>

#include <QList>
#include <QString>

namespace Zanto {

class Palette
{
public:
    struct Page
    {
        QString name;
        TComponentClassList classes;
    };

    // Adds the classes to the page, creating the page after the existing
    // ones. A class already on the palette stays where it is. module names
    // the registering package, so that unloading it can take its classes
    // back. Raises EComponentError for a null or non-QObject class or an
    // empty page name, before anything is added.
    void registerComponents(
        const QString &page, const TComponentClassList &classes, const void *module = nullptr);
    // Removes every class that module registered; pages left empty go too.
    void unregisterModuleClasses(const void *module);

    const QList<Page> &pages() const { return m_pages; }
    bool contains(TComponentClass componentClass) const;
    // One line per page: "Page: Class1, Class2".
    QString listing() const;

    // The class name without its namespace, as a palette button shows it.
    static QString className(TComponentClass componentClass);

private:
    struct Entry
    {
        TComponentClass componentClass;
        const void *module;
    };

    QList<Page> m_pages;
    QList<Entry> m_entries;
};

} // namespace Zanto
