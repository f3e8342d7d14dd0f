// zanto profiles [list]: the profiles in force, each with the kind and line
// of the file it comes from.
// zanto profiles show NAME: the settings a print with -P NAME starts from,
// each with its origin: a profile file's line, or "built-in".
// zanto profiles save NAME [print options]: writes the options into section
// [NAME] of the user's own profile file, keeping the rest of the file.
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
      "       zanto profiles save NAME [print options]\n\n"
      "Lists the printer profiles, shows the settings of one, or saves print options as a\n"
      "profile in %s.\n"
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
        printLine(
            QStringLiteral("%1 %2 %3").arg(value.key, -16).arg(value.value, -24).arg(value.origin));
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
// line break or other control character is refused.
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
        if (key == u"profile" || key == u"preview" || key == u"paper")
            throw UsageError(QStringLiteral("--%1 is not a profile setting").arg(key));
        const QStringList given = parser.values(name);
        if (given.isEmpty())
            values.append({key, QStringLiteral("yes")});
        for (const QString &value : given) {
            if (std::any_of(value.begin(), value.end(), isControl))
                throw UsageError(QStringLiteral("--%1: '%2' holds a control character; a "
                                                "profile value is one line of text")
                                     .arg(key, shownValue(value)));
            values.append({key, absoluteFileValue(key, value, QDir::currentPath())});
        }
    }
    if (!parser.positionalArguments().isEmpty())
        throw UsageError(QStringLiteral("unexpected argument '%1'")
                             .arg(parser.positionalArguments().constFirst()));
    return values;
}

void saveProfile(const QCommandLineParser &parser, const QString &name)
{
    const ProfileValues values = givenValues(parser);
    if (values.isEmpty())
        throw UsageError(QStringLiteral("save needs the print options to save"));
    QStringList replaced;
    for (const auto &[key, value] : values) {
        if (isDestinationKey(key))
            replaced = destinationKeys();
    }
    const QString path = ProfileStore::ownFile();
    const QFileInfo file(path);
    if (!QDir().mkpath(file.absolutePath()))
        throw Exception(QStringLiteral("Cannot make the folder %1").arg(file.absolutePath()));
    // The file is read, changed and written under one lock, so that saves
    // at the same time each keep the others' sections. The lock file stays:
    // removing it would let a save lock a file that another has unlinked.
    Platform::AdvisoryLock lock;
    try {
        lock = ProfileStore::lockOwnFile(Platform::AdvisoryLock::Sharing::Exclusive);
    } catch (const Exception &error) {
        throw Exception(QStringLiteral("profile %1 not saved: %2").arg(name, error.Message()));
    }
    QByteArray text;
    if (QFileInfo::exists(path)) {
        text = readSettingsFile(path, path);
        // A file with mistakes is not written over: they are told, by line,
        // to be mended first.
        parseProfileText(text, path);
    }
    writeSettingsFile(path, {withSectionValues(text, name, values, replaced)});
    printLine(QStringLiteral("profile %1 saved in %2").arg(name, path));
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
    if (action != u"show" && action != u"save")
        throw UsageError(
            QStringLiteral("unexpected argument '%1' (list, show NAME or save NAME [options])")
                .arg(action));
    const QString name = arguments.value(1);
    static const QRegularExpression valid(QStringLiteral("^[^\\[\\]\\s#;=-][^\\[\\]\\s=]*$"));
    if (!valid.match(name).hasMatch())
        throw UsageError(name.isEmpty() || name.startsWith(u'-')
                ? QStringLiteral("%1 needs a profile NAME").arg(action)
                : QStringLiteral("'%1' cannot name a profile").arg(name));
    const QStringList options = arguments.mid(2);
    if (action == u"show" && !options.isEmpty())
        throw UsageError(QStringLiteral("unexpected argument '%1'").arg(options.constFirst()));
    if (action == u"show")
        interceptProfileParse([&](QCommandLineParser &parser) { showProfile(parser, name); });
    else
        interceptProfileParse([](const QCommandLineParser &parser) { givenValues(parser); },
            [&](const QCommandLineParser &parser) { saveProfile(parser, name); });
    return runPrint(options);
}

} // namespace Zanto::Cli
