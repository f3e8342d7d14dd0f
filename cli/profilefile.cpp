#include "profilefile.h"
#include "usageerror.h"

#include <zantoquiller/exceptions.h>
#include <zantoquiller/settingsfileio.h>

#include <QFileInfo>
#include <QHash>
#include <QStringList>

#include <algorithm>

namespace Zanto::Cli {

namespace {

enum class LineKind { Blank, Section, Entry, Malformed };

struct ParsedLine
{
    LineKind kind = LineKind::Blank;
    QString name; // the section's name or the entry's key
    QString value;
};

ParsedLine parseLine(const QString &text)
{
    const QString line = text.trimmed();
    if (line.isEmpty() || line.startsWith(u'#') || line.startsWith(u';'))
        return {};
    if (line.startsWith(u'[')) {
        const QString name = line.mid(1, line.size() - 2).trimmed();
        if (!line.endsWith(u']') || name.isEmpty() || name.contains(u']'))
            return {LineKind::Malformed, {}, {}};
        return {LineKind::Section, name, {}};
    }
    const qsizetype equals = line.indexOf(u'=');
    if (equals <= 0)
        return {LineKind::Malformed, {}, {}};
    return {LineKind::Entry, line.left(equals).trimmed(), line.mid(equals + 1).trimmed()};
}

QStringList linesOf(const QByteArray &text)
{
    if (text.isEmpty())
        return {};
    QStringList lines = QString::fromUtf8(text).split(u'\n');
    if (text.endsWith('\n'))
        lines.removeLast();
    for (QString &line : lines) {
        if (line.endsWith(u'\r'))
            line.chop(1);
    }
    return lines;
}

} // namespace

QList<ProfileSection> parseProfileText(const QByteArray &text, const QString &file)
{
    QList<ProfileSection> sections;
    // The line of each section's name, so that a file of many sections is
    // read in one pass.
    QHash<QString, int> sectionLines;
    const QStringList lines = linesOf(text);
    for (qsizetype index = 0; index < lines.size(); ++index) {
        const int number = int(index + 1);
        const ParsedLine line = parseLine(lines[index]);
        switch (line.kind) {
        case LineKind::Blank:
            break;
        case LineKind::Malformed:
            throw ProfileError(file, number,
                QStringLiteral("expected [NAME], KEY = VALUE, a comment or a blank line"));
        case LineKind::Section: {
            const auto earlier = sectionLines.constFind(line.name);
            if (earlier != sectionLines.cend())
                throw ProfileError(file, number,
                    QStringLiteral("section [%1] is given twice (first on line %2)")
                        .arg(line.name)
                        .arg(*earlier));
            sectionLines.insert(line.name, number);
            sections.append({line.name, file, number, {}});
            break;
        }
        case LineKind::Entry:
            if (sections.isEmpty())
                throw ProfileError(
                    file, number, QStringLiteral("'%1' is outside a [section]").arg(line.name));
            sections.last().entries.append({line.name, line.value, number});
            break;
        }
    }
    return sections;
}

QList<ProfileSection> readProfileFile(const QString &path)
{
    if (!QFileInfo::exists(path))
        return {};
    try {
        return parseProfileText(readSettingsFile(path, path), path);
    } catch (const EInOutError &error) {
        throw UsageError(error.Reason().isEmpty() ? error.Message() : error.Reason());
    }
}

QByteArray withSectionValues(const QByteArray &text, const QString &section,
    const ProfileValues &values, const QStringList &removedKeys)
{
    QStringList lines = linesOf(text);
    qsizetype start = -1;
    qsizetype end = lines.size();
    for (qsizetype index = 0; index < lines.size(); ++index) {
        const ParsedLine line = parseLine(lines[index]);
        if (line.kind != LineKind::Section)
            continue;
        if (start >= 0) {
            end = index;
            break;
        }
        if (line.name == section)
            start = index;
    }
    if (start < 0) {
        if (!lines.isEmpty() && !lines.constLast().trimmed().isEmpty())
            lines.append(QString());
        lines.append(u'[' + section + u']');
        start = lines.size() - 1;
        end = lines.size();
    }

    // Each key's new lines take the place of its first old line, or follow
    // the section's last line that is not blank; its other old lines go.
    QList<std::pair<QString, QStringList>> groups;
    for (const auto &[key, value] : values) {
        const QString line = key + QStringLiteral(" = ") + value;
        auto group = std::find_if(
            groups.begin(), groups.end(), [&](const auto &g) { return g.first == key; });
        if (group == groups.end())
            groups.append({key, {line}});
        else
            group->second.append(line);
    }
    QStringList body;
    QStringList placed;
    for (qsizetype index = start + 1; index < end; ++index) {
        const ParsedLine line = parseLine(lines[index]);
        const bool changed = line.kind == LineKind::Entry
            && (removedKeys.contains(line.name)
                || std::any_of(groups.begin(), groups.end(),
                    [&](const auto &g) { return g.first == line.name; }));
        if (!changed) {
            body.append(lines[index]);
            continue;
        }
        for (const auto &[key, newLines] : groups) {
            if (key == line.name && !placed.contains(key)) {
                body.append(newLines);
                placed.append(key);
            }
        }
    }
    qsizetype tail = body.size();
    while (tail > 0 && body[tail - 1].trimmed().isEmpty())
        --tail;
    for (const auto &[key, newLines] : groups) {
        if (placed.contains(key))
            continue;
        for (const QString &line : newLines)
            body.insert(tail++, line);
    }
    const QStringList result = lines.mid(0, start + 1) + body + lines.mid(end);
    return (result.join(u'\n') + u'\n').toUtf8();
}

QByteArray withoutSection(const QByteArray &text, const QString &section, int &count)
{
    const QStringList lines = linesOf(text);
    QStringList kept;
    count = 0;
    qsizetype index = 0;
    while (index < lines.size()) {
        const ParsedLine line = parseLine(lines[index]);
        if (line.kind != LineKind::Section || line.name != section) {
            kept.append(lines[index++]);
            continue;
        }
        ++count;
        // The comments right above its line are about it, and the blank
        // lines before them go too.
        while (!kept.isEmpty() && parseLine(kept.constLast()).kind == LineKind::Blank
            && !kept.constLast().trimmed().isEmpty())
            kept.removeLast();
        while (!kept.isEmpty() && kept.constLast().trimmed().isEmpty())
            kept.removeLast();
        qsizetype end = index + 1;
        while (end < lines.size() && parseLine(lines[end]).kind != LineKind::Section)
            ++end;
        // The comments just before the next section are about that one and
        // stay, a blank line apart from what is kept before them; at the
        // end of the file they go with the section.
        qsizetype keepFrom = end;
        while (keepFrom > index + 1 && parseLine(lines[keepFrom - 1]).kind == LineKind::Blank)
            --keepFrom;
        while (keepFrom < end && lines[keepFrom].trimmed().isEmpty())
            ++keepFrom;
        if (end < lines.size()) {
            if (!kept.isEmpty())
                kept.append(QString());
            kept.append(lines.mid(keepFrom, end - keepFrom));
        }
        index = end;
    }
    return kept.isEmpty() ? QByteArray() : (kept.join(u'\n') + u'\n').toUtf8();
}

} // namespace Zanto::Cli
