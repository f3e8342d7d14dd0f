// The options that load settings files into a component, shared by the
// commands that print and the settings commands:
//   --codes FILE         LoadPrinterCodes
//   --translation FILE   LoadTranslationTable
//   --translate C=LIST   one more translation entry: C the character's
//                        decimal code, LIST a code list (may be empty);
//                        repeatable, applied in order after --translation
// FILE is relative to the current folder, as in any other program: it is
// passed to the component as an absolute path, so that the component's rule
// for a name without a folder (the program's folder) does not apply. The
// default extension still does.
#pragma once

#include <QCommandLineParser>
#include <QString>

#include <functional>
#include <optional>

namespace Zanto {
class TZantoquiller;
}

namespace Zanto::Cli {

// A settings file name from the command line, made absolute against the
// current folder; an empty name stays empty.
QString commandLineFileName(const QString &name);

class SettingsOptions
{
public:
    enum Group { Codes = 1, Translation = 2, All = Codes | Translation };

    // Adds the options of the groups to parser.
    void addTo(QCommandLineParser &parser, int groups = All);

    // Applies the options of the added groups: loads the files first, then
    // appends the --translate entries. A malformed --translate is a
    // UsageError; the component's file errors pass on as they are.
    void applyTo(const QCommandLineParser &parser, TZantoquiller &component) const;

    // applyTo() then checks the --translate entries but loads no file.
    void leaveFilesUnloaded() { m_loadFiles = false; }
    // A file that cannot be loaded is told at the place that named it,
    // "PLACE: KEY: problem", when origin gives a place for its option's
    // name (a profile's "FILE:LINE").
    void tellOriginsBy(std::function<std::optional<QString>(const QString &)> origin)
    {
        m_origin = std::move(origin);
    }

private:
    void loadFile(const QString &key, const std::function<void()> &load) const;

    int m_groups = 0;
    bool m_loadFiles = true;
    std::function<std::optional<QString>(const QString &)> m_origin;
};

} // namespace Zanto::Cli
