// zanto profiles [list]: the profiles in force, each with the kind and line
// of the file it comes from.
// zanto profiles show NAME: the settings a print with -P NAME starts from,
// each with its origin: a profile file's line, or "built-in".
// zanto profiles save NAME [--from OTHER] [--merge] [print options]: writes
// the options, over those of profile OTHER, as section [NAME] of the user's
// own profile file in place of the section there (--merge: into it), keeping
// the rest of the file.
// zanto profiles delete NAME: takes section [NAME] out of the user's file.
// show and save learn zanto print's options from its own parser, so every
// option of the print command is a profile setting.
#include "commands.h"
#include "componentoptions.h"
#include "profiles.h"
#include "usageerror.h"

#include <zantoquiller/exceptions.h>
#include <zantoquiller/printers.h>
#include <zantoquiller/settingsfileio.h>
#include <zantoquiller/zantoquiller.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <cstdio>

namespace Zanto::Cli {

namespace {

const char *const Usage
    = "Usage: zanto profiles [list]\n"
      "       zanto profiles show NAME\n"
      "       zanto profiles save NAME [--from OTHER] [--merge] [print options]\n"
      "       zanto profiles delete NAME\n\n"
      "Lists the printer profiles, shows the settings of one, saves print options as a\n"
      "profile in %s, or deletes a profile from it.\n"
      "save replaces a profile of that name with the options given, over the settings of\n"
      "profile OTHER when given.\n\n"
      "Options of save:\n"
      "  --from, -P OTHER  Start from the settings of profile OTHER.\n"
      "  --merge           Change only the settings given, keeping the profile's others.\n\n"
      "A print takes the built-in settings, then those of [default], then those of the\n"
      "profile chosen with -P NAME or ZANTO_PROFILE, then the command line's options.\n";

bool isControl(QChar c)
{
    return c.category() == QChar::Other_Control || c == QChar::LineSeparator
        || c == QChar::ParagraphSeparator;
}

void printLine(const QString &line)
{
    std::printf("%s\n", line.toLocal8Bit().constData());
}

void listProfiles()
{
    const ProfileStore store = ProfileStore::load();
    for (const ProfileSection &section : store.sections())
        printLine(QStringLiteral("%1 %2 %3:%4")
                      .arg(section.name, -20)
                      .arg(store.kindOf(section), -8)
                      .arg(section.file)
                      .arg(section.line));
}

// The settings of a new component, as the options name them.
QList<std::pair<QString, QString>> builtInSettings()
{
    const TZantoquiller component;
    const QString port = enumName(component.Port(), NameCase::Upper);
    return {
        {QStringLiteral("port"), QStringLiteral("%1 (%2)").arg(port, devicePath(port))},
        {QStringLiteral("printer-type"), enumName(component.PrinterType(), NameCase::Lower)},
        {QStringLiteral("pitch"), enumName(component.Pitch(), NameCase::Upper)},
        {QStringLiteral("left-offset"), QString::number(component.LeftOffset())},
        {QStringLiteral("line-width"), QString::number(component.LineWidth())},
        {QStringLiteral("lines-per-page"), QString::number(component.LinesPerPage())},
        {QStringLiteral("line-spacing"), QString::number(component.LineSpacing())},
        {QStringLiteral("no-line-feed"),
            component.SendLineFeed() ? QStringLiteral("no") : QStringLiteral("yes")},
        {QStringLiteral("timeout"), QString::number(component.Timeout())},
    };
}

void showProfile(QCommandLineParser &parser, const QString &name)
{
    const QList<ResolvedValue> values = resolveProfile(parser, ProfileStore::load(), name);
    const auto given = [&](const QString &key) {
        return std::any_of(values.begin(), values.end(), [&](const ResolvedValue &value) {
            return value.key == key || (key == u"port" && isDestinationKey(value.key));
        });
    };
    for (const ResolvedValue &value : values)
        printLine(QStringLiteral("%1 %2 %3")
                      .arg(value.key, -16)
                      .arg(value.value, -24)
                      .arg(value.origin.text()));
    for (const auto &[key, value] : builtInSettings()) {
        if (!given(key))
            printLine(QStringLiteral("%1 %2 built-in").arg(key, -16).arg(value, -24));
    }
}

// value with its control characters shown as code points, for a message.
QString shownValue(const QString &value)
{
    QString shown;
    for (const QChar c : value) {
        if (isControl(c))
            shown += QStringLiteral("<U+%1>").arg(c.unicode(), 4, 16, QChar(u'0')).toUpper();
        else
            shown += c;
    }
    return shown;
}

// The options given, by their long names, with file names made absolute
// against the current folder. A value is one line of the file: one with a
// line break or other control character is refused. -P/--profile is the
// profile to start from, not a setting.
ProfileValues givenValues(const QCommandLineParser &parser)
{
    const QList<std::pair<QString, QString>> longNames {
        {QStringLiteral("d"), QStringLiteral("destination")},
        {QStringLiteral("o"), QStringLiteral("output")},
        {QStringLiteral("output-file"), QStringLiteral("output")},
        {QStringLiteral("P"), QStringLiteral("profile")}};
    ProfileValues values;
    QStringList done;
    for (const QString &name : parser.optionNames()) {
        QString key = name;
        for (const auto &[shortName, longName] : longNames) {
            if (name == shortName)
                key = longName;
        }
        if (done.contains(key))
            continue;
        done.append(key);
        if (key == u"profile") {
            if (parser.values(name).size() > 1)
                throw UsageError(QStringLiteral("save starts from one profile (--from OTHER)"));
            continue;
        }
        if (key == u"preview" || key == u"paper")
            throw UsageError(QStringLiteral("--%1 is not a profile setting").arg(key));
        const QStringList given = parser.values(name);
        if (given.isEmpty())
            values.append({key, QStringLiteral("yes")});
        for (const QString &value : given) {
            if (std::any_of(value.begin(), value.end(), isControl))
                throw UsageError(key, value,
                    QStringLiteral("'%1' holds a control character; a profile value is one line "
                                   "of text")
                        .arg(shownValue(value)));
            values.append({key, absoluteFileValue(key, value, QDir::currentPath())});
        }
    }
    if (!parser.positionalArguments().isEmpty())
        throw UsageError(QStringLiteral("unexpected argument '%1'")
                             .arg(parser.positionalArguments().constFirst()));
    return values;
}

// The values of profile from, less those that given replaces (a given
// destination replaces every destination setting), then given's.
ProfileValues startingFrom(
    QCommandLineParser &parser, const QString &from, const ProfileValues &given)
{
    const bool givenDestination = std::any_of(given.begin(), given.end(),
        [](const auto &value) { return isDestinationKey(value.first); });
    ProfileValues values;
    for (const ResolvedValue &value : sectionValues(parser, ProfileStore::load(), from)) {
        const bool replaced = (givenDestination && isDestinationKey(value.key))
            || std::any_of(given.begin(), given.end(),
                [&](const auto &mine) { return mine.first == value.key; });
        if (!replaced)
            values.append({value.key, value.value});
    }
    return values + given;
}

// The keys of section name in text, which holds no mistake.
QStringList sectionKeys(const QByteArray &text, const QString &path, const QString &name)
{
    QStringList keys;
    for (const ProfileSection &section : parseProfileText(text, path)) {
        if (section.name != name)
            continue;
        for (const ProfileEntry &entry : section.entries)
            keys.append(entry.key);
    }
    return keys;
}

// The own file under the exclusive lock of a save or delete, with its
// folder made; what is about to be done names the failure.
Platform::AdvisoryLock lockOwnFileFor(const QString &what)
{
    const QFileInfo file(ProfileStore::ownFile());
    if (!QDir().mkpath(file.absolutePath()))
        throw Exception(QStringLiteral("Cannot make the folder %1").arg(file.absolutePath()));
    // The file is read, changed and written under one lock, so that saves
    // at the same time each keep the others' sections. The lock file stays:
    // removing it would let a save lock a file that another has unlinked.
    try {
        return ProfileStore::lockOwnFile(Platform::AdvisoryLock::Sharing::Exclusive);
    } catch (const Exception &error) {
        throw Exception(QStringLiteral("%1: %2").arg(what, error.Message()));
    }
}

struct SaveRequest
{
    QString name;
    bool merge = false;
};

void saveProfile(QCommandLineParser &parser, const SaveRequest &request)
{
    const QString &name = request.name;
    ProfileValues values = givenValues(parser);
    const QString from = parser.value(QStringLiteral("profile"));
    // Read before the lock is taken: reading takes a shared one.
    if (parser.isSet(QStringLiteral("profile")))
        values = startingFrom(parser, from, values);
    else if (values.isEmpty())
        throw UsageError(QStringLiteral("save needs the print options to save"));
    QStringList replaced;
    for (const auto &[key, value] : values) {
        if (isDestinationKey(key))
            replaced = destinationKeys();
    }
    const QString path = ProfileStore::ownFile();
    const Platform::AdvisoryLock lock
        = lockOwnFileFor(QStringLiteral("profile %1 not saved").arg(name));
    QByteArray text;
    if (QFileInfo::exists(path)) {
        text = readSettingsFile(path, path);
        // A file with mistakes is not written over: they are told, by line,
        // to be mended first.
        if (!request.merge)
            replaced = sectionKeys(text, path, name);
        else
            parseProfileText(text, path);
    }
    writeSettingsFile(path, {withSectionValues(text, name, values, replaced)});
    printLine(QStringLiteral("profile %1 saved in %2").arg(name, path));
}

// Takes section name out of the own file. Its lines are found without
// reading the file as profiles, so that a section with a mistake can go.
int deleteProfile(const QString &name)
{
    const QString path = ProfileStore::ownFile();
    int count = 0;
    // Without the file there is nothing to lock nor to delete.
    if (QFileInfo::exists(path)) {
        const Platform::AdvisoryLock lock
            = lockOwnFileFor(QStringLiteral("profile %1 not deleted").arg(name));
        if (QFileInfo::exists(path)) {
            const QByteArray text = readSettingsFile(path, path);
            const QByteArray rest = withoutSection(text, name, count);
            if (count > 0)
                writeSettingsFile(path, {rest});
        }
    }
    if (count > 0) {
        printLine(QStringLiteral("profile %1 deleted from %2").arg(name, path));
        return 0;
    }
    const ProfileStore store = ProfileStore::load();
    const ProfileSection *section = store.find(name);
    if (!section)
        throw UsageError(
            QStringLiteral("no profile '%1' in %2 ('zanto profiles' lists them)").arg(name, path));
    throw Exception(QStringLiteral("profile %1 is a %2 profile of %3:%4; only those of %5 can be "
                                   "deleted (save one of that name to use in its place)")
                        .arg(name, store.kindOf(*section), section->file)
                        .arg(section->line)
                        .arg(path));
}

// arguments with --from OTHER as -P OTHER and --merge taken out into
// request, up to "--".
QStringList saveArguments(const QStringList &arguments, SaveRequest &request)
{
    QStringList rest;
    for (qsizetype index = 0; index < arguments.size(); ++index) {
        const QString &argument = arguments[index];
        if (argument == u"--") {
            rest.append(arguments.mid(index));
            break;
        }
        if (argument == u"--merge")
            request.merge = true;
        else if (argument == u"--from")
            rest.append(QStringLiteral("-P"));
        else if (argument.startsWith(QStringLiteral("--from=")))
            rest.append(QStringLiteral("--profile=") + argument.mid(7));
        else
            rest.append(argument);
    }
    return rest;
}

} // namespace

int runProfiles(const QStringList &arguments)
{
    const QString action = arguments.value(0, QStringLiteral("list"));
    if (action == u"-h" || action == u"--help") {
        std::printf(Usage, qPrintable(ProfileStore::ownFile()));
        return 0;
    }
    if (action == u"list") {
        if (arguments.size() > 1)
            throw UsageError(QStringLiteral("unexpected argument '%1'").arg(arguments[1]));
        listProfiles();
        return 0;
    }
    if (action != u"show" && action != u"save" && action != u"delete")
        throw UsageError(QStringLiteral("unexpected argument '%1' (list, show NAME, save NAME "
                                        "[options] or delete NAME)")
                             .arg(action));
    const QString name = arguments.value(1);
    static const QRegularExpression valid(QStringLiteral("^[^\\[\\]\\s#;=-][^\\[\\]\\s=]*$"));
    if (!valid.match(name).hasMatch())
        throw UsageError(name.isEmpty() || name.startsWith(u'-')
                ? QStringLiteral("%1 needs a profile NAME").arg(action)
                : QStringLiteral("'%1' cannot name a profile").arg(name));
    QStringList options = arguments.mid(2);
    if (action != u"save" && !options.isEmpty())
        throw UsageError(QStringLiteral("unexpected argument '%1'").arg(options.constFirst()));
    if (action == u"delete")
        return deleteProfile(name);
    SaveRequest request {name};
    if (action == u"show") {
        interceptProfileParse([&](QCommandLineParser &parser) { showProfile(parser, name); });
    } else {
        options = saveArguments(options, request);
        interceptProfileParse([](const QCommandLineParser &parser) { givenValues(parser); },
            [&](QCommandLineParser &parser) { saveProfile(parser, request); });
    }
    return runPrint(options);
}

} // namespace Zanto::Cli
