#include "profiles.h"
#include "componentoptions.h"
#include "usageerror.h"

#include <zantoquiller/exceptions.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QRegularExpression>

#include <algorithm>
#include <chrono>

namespace Zanto::Cli {

namespace {

const QString ProfileFolder = QStringLiteral("/zantoquiller/profiles");
const QString ConfigFile = QStringLiteral("/zantoquiller/zanto.conf");
// How long a save or a reading of the own file waits for the other.
constexpr std::chrono::milliseconds OwnFileLockTimeout {10000};

// The settings that choose where a print goes: a profile or the command line
// that names one of them replaces all of them.
const QStringList destinationSettings {QStringLiteral("destination"), QStringLiteral("output"),
    QStringLiteral("output-file"), QStringLiteral("to"), QStringLiteral("port"),
    QStringLiteral("printer"), QStringLiteral("device"), QStringLiteral("spooler")};
// Of these, one at most in a section.
const QStringList exclusiveDestinationKeys {
    QStringLiteral("destination"), QStringLiteral("output"), QStringLiteral("to")};
// Settings whose value is a file name, relative to its profile file's folder.
const QStringList fileKeys {QStringLiteral("codes"), QStringLiteral("translation"),
    QStringLiteral("output"), QStringLiteral("output-file"), QStringLiteral("to")};
// Options that are no settings.
const QStringList nonSettings {
    QStringLiteral("help"), QStringLiteral("profile"), QStringLiteral("preview")};

struct Origin
{
    ResolvedValue value;
    bool onCommandLine = false;
};
QList<Origin> usedOrigins;
QStringList usedArguments;
QString printerFile;

// The profile line that gave value of key; the command line when it gave
// the value in force.
OptionOrigin valueOrigin(const QString &key, const QString &value)
{
    const Origin *found = nullptr;
    for (const Origin &origin : std::as_const(usedOrigins)) {
        if (origin.value.key != key)
            continue;
        // Of several values, the one in question.
        if (origin.value.value == value)
            return origin.value.origin;
        if (!found && !origin.onCommandLine)
            found = &origin;
    }
    return found ? found->value.origin : OptionOrigin {};
}

std::function<void(QCommandLineParser &)> pendingRequest;
std::function<void(QCommandLineParser &)> checkedRequest;

QStringList environmentFolders(const char *variable, const QString &fallback)
{
    QStringList folders;
    for (const QString &folder : qEnvironmentVariable(variable).split(u':', Qt::SkipEmptyParts))
        folders.append(folder);
    return folders.isEmpty() ? fallback.split(u':') : folders;
}

QString configHome()
{
    const QString home = qEnvironmentVariable("XDG_CONFIG_HOME");
    return home.isEmpty() ? QDir::homePath() + QStringLiteral("/.config") : home;
}

enum class OptionKind { Unknown, Flag, Value };

// What parser makes of --key alone. Leaves parser's results spoilt.
OptionKind probe(QCommandLineParser &parser, const QString &key)
{
    static const QRegularExpression name(QStringLiteral("^[a-z0-9][a-z0-9-]+$"));
    if (!name.match(key).hasMatch() || nonSettings.contains(key))
        return OptionKind::Unknown;
    if (parser.parse({QStringLiteral("zanto"), QStringLiteral("--") + key}))
        return OptionKind::Flag;
    return parser.unknownOptionNames().contains(key) ? OptionKind::Unknown : OptionKind::Value;
}

std::optional<bool> flagValue(const QString &text)
{
    const QString value = text.toLower();
    if (value == u"yes" || value == u"true" || value == u"1" || value == u"on")
        return true;
    if (value == u"no" || value == u"false" || value == u"0" || value == u"off")
        return false;
    return std::nullopt;
}

// A file name of section's file made absolute against the file's folder.
QString fileValue(const QString &key, const QString &value, const ProfileSection &section)
{
    return absoluteFileValue(key, value, QFileInfo(section.file).absolutePath());
}

QList<ResolvedValue> checkedValues(
    QCommandLineParser &parser, const ProfileSection &section, ProfileKeys keys)
{
    QList<ResolvedValue> values;
    QString destination;
    for (ProfileEntry entry : section.entries) {
        const OptionOrigin origin {section.file, entry.line};
        if (keys == ProfileKeys::Preview) {
            // The code page a print converts to is the printer's character
            // set that a preview reads the bytes in.
            if (entry.key == u"codepage")
                entry.key = QStringLiteral("charset");
            if (destinationSettings.contains(entry.key))
                continue;
        }
        const OptionKind kind = probe(parser, entry.key);
        if (kind == OptionKind::Unknown && keys != ProfileKeys::All)
            continue;
        if (kind == OptionKind::Unknown)
            throw ProfileError(section.file, entry.line,
                QStringLiteral("'%1' is not a setting of zanto print").arg(entry.key), entry.key);
        if (exclusiveDestinationKeys.contains(entry.key)) {
            if (!destination.isEmpty() && destination != entry.key)
                throw ProfileError(section.file, entry.line,
                    QStringLiteral("%1 and %2 are both given: a print has one destination")
                        .arg(destination, entry.key),
                    entry.key);
            destination = entry.key;
        }
        ResolvedValue value {entry.key, fileValue(entry.key, entry.value, section), origin};
        if (kind == OptionKind::Flag) {
            const std::optional<bool> flag = flagValue(entry.value);
            if (!flag)
                throw ProfileError(section.file, entry.line,
                    QStringLiteral("%1: '%2' is not yes or no").arg(entry.key, entry.value),
                    entry.key);
            value.flag = true;
            value.value = *flag ? QStringLiteral("yes") : QStringLiteral("no");
        }
        values.append(value);
    }
    return values;
}

bool anyDestination(const QList<ResolvedValue> &values)
{
    return std::any_of(values.begin(), values.end(),
        [](const ResolvedValue &value) { return destinationSettings.contains(value.key); });
}

} // namespace

bool isDestinationKey(const QString &key)
{
    return destinationSettings.contains(key);
}

const QStringList &destinationKeys()
{
    return destinationSettings;
}

QString absoluteFileValue(const QString &key, const QString &value, const QString &folder)
{
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*:"));
    if (!fileKeys.contains(key) || value.isEmpty() || value == u"-" || QDir::isAbsolutePath(value)
        || (key == u"to" && scheme.match(value).hasMatch()))
        return value;
    return QDir(folder).absoluteFilePath(value);
}

QList<ProfileSource> ProfileStore::sources()
{
    QList<ProfileSource> sources;
    QStringList seen;
    const auto add = [&](const QString &path, const QString &kind) {
        const QFileInfo file(path);
        if (!file.isFile() || seen.contains(file.canonicalFilePath()))
            return;
        seen.append(file.canonicalFilePath());
        sources.append({file.absoluteFilePath(), kind});
    };
    const QString shipped = QStringLiteral("shipped");
    // Later files replace earlier ones' sections. The program's own folder
    // comes last, so that a build tree's zanto uses its own profiles, not
    // an installed package's; an installed zanto's is one of the data
    // folders and keeps that place.
    QStringList folders;
    QStringList dataFolders
        = environmentFolders("XDG_DATA_DIRS", QStringLiteral("/usr/local/share:/usr/share"));
    std::reverse(dataFolders.begin(), dataFolders.end());
    for (const QString &folder : dataFolders)
        folders.append(folder + ProfileFolder);
    folders.append(
        QCoreApplication::applicationDirPath() + QStringLiteral("/../share/zantoquiller/profiles"));
    for (const QString &folder : folders) {
        const QDir dir(folder);
        for (const QString &name :
            dir.entryList({QStringLiteral("*.conf")}, QDir::Files, QDir::Name))
            add(dir.filePath(name), shipped);
    }
    QStringList configFolders = environmentFolders("XDG_CONFIG_DIRS", QStringLiteral("/etc/xdg"));
    std::reverse(configFolders.begin(), configFolders.end());
    for (const QString &folder : configFolders)
        add(folder + ConfigFile, QStringLiteral("system"));
    add(ownFile(), QStringLiteral("own"));
    if (!printerFile.isEmpty())
        add(printerFile, QStringLiteral("printer"));
    return sources;
}

void ProfileStore::setPrinterFile(const QString &path)
{
    printerFile = path;
}

QString ProfileStore::ownFile()
{
    return configHome() + ConfigFile;
}

Platform::AdvisoryLock ProfileStore::lockOwnFile(Platform::AdvisoryLock::Sharing sharing)
{
    const QFileInfo file(ownFile());
    const QString path
        = file.absolutePath() + QStringLiteral("/.") + file.fileName() + QStringLiteral(".lock");
    const bool reading = sharing == Platform::AdvisoryLock::Sharing::Shared;
    if (reading && !QFileInfo::exists(path))
        return {};
    Platform::AdvisoryLock lock = Platform::AdvisoryLock::onLockFile(
        QFile::encodeName(path).toStdString(), OwnFileLockTimeout, sharing);
    // Reading goes on without a lock file it may not open; only a save
    // that keeps the file too long stops it.
    if (!lock.isHeld() && (!reading || lock.busy()))
        throw Exception(QFile::decodeName(QByteArray::fromStdString(lock.error())));
    return lock;
}

ProfileStore ProfileStore::load()
{
    const Platform::AdvisoryLock lock = lockOwnFile(Platform::AdvisoryLock::Sharing::Shared);
    QMap<QString, std::pair<ProfileSection, QString>> byName;
    for (const ProfileSource &source : sources()) {
        for (const ProfileSection &section : readProfileFile(source.path))
            byName.insert(section.name, {section, source.kind});
    }
    ProfileStore store;
    for (const auto &[section, kind] : std::as_const(byName)) {
        store.m_sections.append(section);
        store.m_kinds.append(kind);
    }
    return store;
}

const ProfileSection *ProfileStore::find(const QString &name) const
{
    for (const ProfileSection &section : m_sections) {
        if (section.name == name)
            return &section;
    }
    return nullptr;
}

QString ProfileStore::kindOf(const ProfileSection &section) const
{
    return m_kinds.value(&section - m_sections.constData());
}

QList<ResolvedValue> resolveProfile(
    QCommandLineParser &parser, const ProfileStore &store, const QString &profile, ProfileKeys keys)
{
    const QString defaultName = QStringLiteral("default");
    const ProfileSection *chosen = nullptr;
    if (!profile.isEmpty() && profile != defaultName) {
        chosen = store.find(profile);
        if (!chosen)
            throw UsageError(
                QStringLiteral("no profile '%1' ('zanto profiles' lists them)").arg(profile));
    }
    QList<ResolvedValue> values;
    if (const ProfileSection *defaults = store.find(defaultName))
        values = checkedValues(parser, *defaults, keys);
    if (chosen) {
        const QList<ResolvedValue> own = checkedValues(parser, *chosen, keys);
        const bool ownDestination = anyDestination(own);
        values.removeIf([&](const ResolvedValue &value) {
            return (ownDestination && destinationSettings.contains(value.key))
                || std::any_of(own.begin(), own.end(),
                    [&](const ResolvedValue &mine) { return mine.key == value.key; });
        });
        values.append(own);
    }
    return values;
}

QList<ResolvedValue> sectionValues(
    QCommandLineParser &parser, const ProfileStore &store, const QString &name)
{
    const ProfileSection *section = store.find(name);
    if (!section)
        throw UsageError(QStringLiteral("no profile '%1' ('zanto profiles' lists them)").arg(name));
    return checkedValues(parser, *section, ProfileKeys::All);
}

const QStringList &profileArgumentsUsed()
{
    return usedArguments;
}

void interceptProfileParse(std::function<void(QCommandLineParser &)> request,
    std::function<void(QCommandLineParser &)> afterChecks)
{
    pendingRequest = std::move(request);
    checkedRequest = std::move(afterChecks);
}

bool profileRequestPending()
{
    return bool(checkedRequest);
}

bool runCheckedProfileRequest(QCommandLineParser &parser)
{
    if (!checkedRequest)
        return false;
    const auto request = std::move(checkedRequest);
    checkedRequest = nullptr;
    request(parser);
    return true;
}

bool parseWithProfile(
    QCommandLineParser &parser, const QString &command, QStringList arguments, ProfileKeys keys)
{
    const QCommandLineOption helpOption(QStringList {QStringLiteral("h"), QStringLiteral("help")},
        QStringLiteral("Show this help."));
    const QCommandLineOption profileOption(
        QStringList {QStringLiteral("P"), QStringLiteral("profile")},
        QStringLiteral("Take the settings of profile NAME (default: $ZANTO_PROFILE); "
                       "'zanto profiles' lists them."),
        QStringLiteral("NAME"));
    parser.addOptions({helpOption, profileOption});
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    arguments.prepend(QStringLiteral("zanto ") + command);
    const auto parseCommandLine = [&] {
        if (!parser.parse(arguments))
            throw UsageError(parser.errorText());
    };
    parseCommandLine();
    if (parser.isSet(helpOption)) {
        printCommandHelp(parser, command);
        return false;
    }
    if (pendingRequest) {
        const auto request = std::move(pendingRequest);
        pendingRequest = nullptr;
        request(parser);
        return profileRequestPending();
    }

    const QString profile = parser.isSet(profileOption) ? parser.value(profileOption)
                                                        : qEnvironmentVariable("ZANTO_PROFILE");
    const auto given = [&](const QString &key) { return parser.isSet(key); };
    // A preview takes the command line's destination, which it leaves
    // unopened, so that the same command line can be previewed and printed;
    // a profile's is not even looked up.
    // Looked up by name: not every command that takes profiles has --preview.
    const bool preview = parser.optionNames().contains(QStringLiteral("preview"));
    // A preview of a job's bytes goes nowhere and has no such options.
    const bool ownDestination = preview || keys == ProfileKeys::Preview
        || std::any_of(destinationSettings.begin(), destinationSettings.end(), given);
    const ProfileStore store = ProfileStore::load();
    QList<ResolvedValue> values;
    try {
        values = resolveProfile(parser, store, profile, keys);
    } catch (const ProfileError &) {
        throw;
    } catch (const UsageError &error) {
        // An unknown profile named by the environment says so.
        if (parser.isSet(profileOption))
            throw;
        throw UsageError(QStringLiteral("ZANTO_PROFILE: ") + QString::fromStdString(error.what()));
    }
    if (ownDestination)
        values.removeIf(
            [](const ResolvedValue &value) { return destinationSettings.contains(value.key); });

    parseCommandLine();
    QStringList profileArguments;
    usedOrigins.clear();
    for (const ResolvedValue &value : std::as_const(values)) {
        usedOrigins.append({value, parser.isSet(value.key)});
        if (!value.flag)
            profileArguments.append(QStringLiteral("--%1=%2").arg(value.key, value.value));
        else if (value.value == u"yes")
            profileArguments.append(QStringLiteral("--") + value.key);
    }
    usedArguments = profileArguments;
    setOptionOriginLookup(valueOrigin);
    arguments = arguments.mid(0, 1) + profileArguments + arguments.mid(1);
    parseCommandLine();
    return true;
}

std::optional<QString> profileOrigin(const QString &key)
{
    std::optional<QString> origin;
    for (const Origin &used : std::as_const(usedOrigins)) {
        if (used.value.key != key)
            continue;
        if (used.onCommandLine)
            return std::nullopt;
        // The chosen profile's value follows and outweighs [default]'s.
        origin = used.value.origin.text();
    }
    return origin;
}

} // namespace Zanto::Cli
