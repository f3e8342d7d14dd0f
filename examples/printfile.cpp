// Prints a text file for an Epson printer into a file, with a translation
// table that turns the text's markup into printer codes:
//
//     printfile invoice.txt invoice-epson.CTT invoice.prn
//
// The same component prints to a port (SetPort(poLPT1)) or through the
// print spooler (SetUseSpooler(true)) by changing two properties.
#include <zantoquiller/streamtextsource.h>
#include <zantoquiller/textsource.h>
#include <zantoquiller/zantoquiller.h>

#include <QFile>
#include <QFileInfo>

#include <cstdio>

int main(int argc, char *argv[])
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: printfile TEXT TABLE.CTT OUTPUT\n");
        return 2;
    }
    //! [print]
    Zanto::TZantoquiller printer;
    printer.SetPrinterType(Zanto::ptEpson);
    printer.SetPort(Zanto::poDisk);
    printer.SetOutputFile(QFile::decodeName(argv[3]));

    QFile text(QFile::decodeName(argv[1]));
    if (!text.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "printfile: %s\n", qPrintable(text.errorString()));
        return 1;
    }
    try {
        // A name without a folder would be looked for beside the program.
        printer.LoadTranslationTable(QFileInfo(QFile::decodeName(argv[2])).absoluteFilePath());
        Zanto::StreamTextSource source(text, Zanto::StreamTextSource::Breaks::Lines);
        Zanto::PrintMemoText(printer, source);
    } catch (const Zanto::EInOutError &error) {
        std::fprintf(
            stderr, "printfile: %s %s\n", qPrintable(error.Message()), qPrintable(error.Reason()));
        return 1;
    } catch (const Zanto::Exception &error) {
        std::fprintf(stderr, "printfile: %s\n", qPrintable(error.Message()));
        return 1;
    }
    //! [print]
    return 0;
}
