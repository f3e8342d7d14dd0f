// The options that set up a dot-matrix printer's form with the commands of
// its language, sent at the start of the job (condensed print after the
// pitch code):
//   --condensed         condensed print (ESC/P and Proprinter SI, PCL &k2S)
//   --lpi N             N lines per inch
//   --form-length LINES the form is LINES lines long (ESC C n, ESC FF n,
//                       PCL &l#P), at the line spacing then in force
// A language without the command refuses the option with the reason.
#pragma once

#include <QByteArray>
#include <QCommandLineParser>

namespace Zanto {
class PrinterLanguage;
class TZantoquiller;
} // namespace Zanto

namespace Zanto::Cli {

class FormOptions
{
public:
    void addTo(QCommandLineParser &parser);
    // The commands of the start of the job in language: line spacing, then
    // form length (a form length in lines counts the new spacing). An
    // option without language, one the language has no command for, or a
    // value out of range is a UsageError.
    QByteArray commands(const QCommandLineParser &parser, const PrinterLanguage *language) const;
    // The language's condensed print command when --condensed is given.
    QByteArray condensedCommand(
        const QCommandLineParser &parser, const PrinterLanguage *language) const;
    // Adds commands() after the component's job start codes, and the
    // condensed command after its pitch code, which would otherwise end it.
    void applyTo(const QCommandLineParser &parser, const PrinterLanguage *language,
        TZantoquiller &component) const;
};

} // namespace Zanto::Cli
