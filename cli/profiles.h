// zanto's printer profiles: named sets of zanto print's settings in INI
// files (profilefile.h), whose keys are the long names of the print
// options. The places, lowest precedence first:
//   shipped   <dir of zanto>/../share/zantoquiller/profiles/*.conf, then
//             $XDG_DATA_DIRS (default /usr/local/share:/usr/share), each
//             + /zantoquiller/profiles/*.conf, the first folder weighing most
//   system    $XDG_CONFIG_DIRS (default /etc/xdg) + /zantoquiller/zanto.conf
//   own       $XDG_CONFIG_HOME (default ~/.config) + /zantoquiller/zanto.conf
// A section of a later file replaces the same-named section of an earlier
// one as a whole. The values of a print: built-in < [default] < the profile
// chosen with -P/--profile or ZANTO_PROFILE < the command line.
#pragma once

#include "profilefile.h"
#include "usageerror.h"

#include <zantoquiller/platform/advisorylock.h>

#include <QCommandLineParser>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace Zanto::Cli {

struct ProfileSource
{
    QString path;
    QString kind; // "shipped", "system" or "own"
};

class ProfileStore
{
public:
    // Every profile file that exists, lowest precedence first.
    static QList<ProfileSource> sources();
    // The file that `zanto profiles save` writes.
    static QString ownFile();
    // A profile file read after every other (kind "printer"), whose sections
    // replace those of the same names: the printer application lays out a
    // printer's jobs with the printer's own copy of its profile. Empty (the
    // default): none. It is the process's, as the rest of a print's state
    // is: a program that prints from several threads sets it and prints
    // under one lock.
    static void setPrinterFile(const QString &path);

    // The lock that a save of the own file holds (Exclusive) while it reads,
    // changes and writes it, and that reading it takes (Shared): saves at
    // the same time each keep the others' sections, and a print never
    // meets the file half-replaced. Waits up to 10 s for the other side,
    // then raises Exception. A file that was never saved has no lock file:
    // reading it takes none, nor where the lock file may not be opened.
    static Platform::AdvisoryLock lockOwnFile(Platform::AdvisoryLock::Sharing sharing);

    // Reads every source; a malformed file is a ProfileError.
    static ProfileStore load();

    // The sections in force, each from the last file that has it, in the
    // order of their names.
    const QList<ProfileSection> &sections() const { return m_sections; }
    const ProfileSection *find(const QString &name) const;
    // The kind of source that section came from.
    QString kindOf(const ProfileSection &section) const;

private:
    QList<ProfileSection> m_sections;
    QStringList m_kinds; // of each section
};

// The keys of a profile that a command takes: all of them, each one of its
// options (zanto print), or those that are options of the command, the
// others being zanto print's alone (zanto send takes where to send), or
// those of a preview of a job's bytes: the command's own but for where a
// print goes, with codepage as the printer's --charset.
enum class ProfileKeys { All, CommandsOwn, Preview };

// A profile value with the place it comes from.
struct ResolvedValue
{
    QString key;
    QString value;
    OptionOrigin origin; // the profile file and line
    bool flag = false; // an option without a value; value is "yes" or "no"
};

// Parses a print command line: -P/--profile and -h/--help are added to
// parser; the values of [default] and of the chosen profile are placed
// before the command line's arguments, so that every option of the command,
// whichever code adds it, takes them as it takes its own, and a value given
// on the command line wins. Returns false when the command should stop with
// status 0 (help shown, or a `zanto profiles` request done).
bool parseWithProfile(QCommandLineParser &parser, const QString &command, QStringList arguments,
    ProfileKeys keys = ProfileKeys::All);

// Runs request with the parser of the next parseWithProfile(), in place of
// the command: `zanto profiles` learns the print options this way. With
// afterChecks, parseWithProfile() returns true without taking any profile's
// values, and the command goes on to check the command line's values as for
// a print (printers left unselected, nothing opened), then hands them to
// runCheckedProfileRequest().
void interceptProfileParse(std::function<void(QCommandLineParser &)> request,
    std::function<void(QCommandLineParser &)> afterChecks = {});
// Whether a request waits for the checks of the command's values.
bool profileRequestPending();
// Runs the request that waits for the checks; false when there is none.
bool runCheckedProfileRequest(QCommandLineParser &parser);

// The values that [default] and profile give, checked against parser's
// options, each file name made absolute against its file's folder; profile
// empty for [default] alone.
QList<ResolvedValue> resolveProfile(QCommandLineParser &parser, const ProfileStore &store,
    const QString &profile, ProfileKeys keys = ProfileKeys::All);

// The values that section name alone gives (not [default]), checked as
// resolveProfile() checks them; an unknown name is a UsageError.
QList<ResolvedValue> sectionValues(
    QCommandLineParser &parser, const ProfileStore &store, const QString &name);

// The options that the last parseWithProfile() placed before the command
// line's, from [default] and the chosen profile.
const QStringList &profileArgumentsUsed();

// Whether key is one of the settings that choose where a print goes (of
// which a profile or a command line that gives one replaces all).
bool isDestinationKey(const QString &key);
const QStringList &destinationKeys();
// A file name value of key made absolute against folder; other values, "-"
// and device URIs stay as they are.
QString absoluteFileValue(const QString &key, const QString &value, const QString &folder);

// The profile line ("FILE:LINE") that gave the value of key in force, or
// nothing when the command line gives it or no profile does.
std::optional<QString> profileOrigin(const QString &key);

} // namespace Zanto::Cli
