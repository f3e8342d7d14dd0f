#include <zantoquiller/package/palette.h>

#include <QObject>

#include <algorithm>

namespace Zanto {

void Palette::registerComponents(
    const QString &page, const TComponentClassList &classes, const void *module)
{
    if (page.isEmpty())
        throw EComponentError(QStringLiteral("Palette page name is empty"));
    for (TComponentClass componentClass : classes) {
        if (!componentClass)
            throw EComponentError(QStringLiteral("Cannot register a null component class"));
        if (!componentClass->inherits(&QObject::staticMetaObject))
            throw EComponentError(QStringLiteral("%1 is not a component class")
                                      .arg(QLatin1String(componentClass->className())));
    }

    for (TComponentClass componentClass : classes) {
        if (contains(componentClass))
            continue;
        auto target = std::find_if(m_pages.begin(), m_pages.end(),
            [&](const Page &existing) { return existing.name == page; });
        if (target == m_pages.end()) {
            m_pages.append(Page {page, {}});
            target = m_pages.end() - 1;
        }
        target->classes.append(componentClass);
        m_entries.append(Entry {componentClass, module});
    }
}

void Palette::unregisterModuleClasses(const void *module)
{
    for (auto entry = m_entries.begin(); entry != m_entries.end();) {
        if (entry->module != module) {
            ++entry;
            continue;
        }
        for (Page &page : m_pages)
            page.classes.removeOne(entry->componentClass);
        entry = m_entries.erase(entry);
    }
    m_pages.removeIf([](const Page &page) { return page.classes.isEmpty(); });
}

bool Palette::contains(TComponentClass componentClass) const
{
    // Compared by name: the same class reached through two copies of a
    // library is still one class.
    return std::any_of(m_entries.cbegin(), m_entries.cend(), [&](const Entry &entry) {
        return qstrcmp(entry.componentClass->className(), componentClass->className()) == 0;
    });
}

QString Palette::listing() const
{
    QString text;
    for (const Page &page : m_pages) {
        QStringList names;
        for (TComponentClass componentClass : page.classes)
            names.append(className(componentClass));
        text += page.name + QStringLiteral(": ") + names.join(QStringLiteral(", ")) + u'\n';
    }
    return text;
}

QString Palette::className(TComponentClass componentClass)
{
    const QString name = QLatin1String(componentClass->className());
    const qsizetype separator = name.lastIndexOf(QStringLiteral("::"));
    return separator < 0 ? name : name.mid(separator + 2);
}

} // namespace Zanto
