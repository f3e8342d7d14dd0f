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

private:
    int m_groups = 0;
};

} // namespace Zanto::Cli
