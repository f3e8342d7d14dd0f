// Profile files: INI text of "[section]" lines, "key = value" lines, comment
// lines starting with '#' or ';', and blank lines. Read with the line of
// every entry, so that a mistake can be told as "FILE:LINE: problem"
// (QSettings keeps no lines), and edited line by line, so that saving one
// section keeps the rest of the file, comments included, as it was.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <utility>

namespace Zanto::Cli {

struct ProfileEntry
{
    QString key;
    QString value;
    int line = 0;
};

struct ProfileSection
{
    QString name;
    QString file;
    int line = 0;
    QList<ProfileEntry> entries;
};

// The sections of text, which was read from file. A line that is none of the
// forms above, an entry outside a section or a section given twice is a
// ProfileError.
QList<ProfileSection> parseProfileText(const QByteArray &text, const QString &file);

// The sections of the file at path; none when there is no such file. A file
// that cannot be read is a ProfileError as well.
QList<ProfileSection> readProfileFile(const QString &path);

using ProfileValues = QList<std::pair<QString, QString>>;

// text with section's entries of the keys in values replaced by values
// (in place of the first old line of each key; new keys go after the
// section's last entry) and the entries of removedKeys taken out. A new
// section goes at the end. Every other line stays as it was.
QByteArray withSectionValues(const QByteArray &text, const QString &section,
    const ProfileValues &values, const QStringList &removedKeys);

// text without every section named section: from the comments right above
// its [section] line up to the next section's line, less the comments that
// lead up to that next section (they are about it). Malformed lines inside
// go with the section, so that deleting a section mends a file whose mistake is in
// it. count is set to the number of sections taken out.
QByteArray withoutSection(const QByteArray &text, const QString &section, int &count);

} // namespace Zanto::Cli
