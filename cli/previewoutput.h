// The preview side of zanto: the options that choose the paper and the
// output, and the run that feeds a job's bytes to the printer's
// interpreter and writes the sheets.
#pragma once

#include <zantoquiller/preview/byteinterpreter.h>

#include <QCommandLineParser>
#include <QIODevice>

#include <functional>
#include <memory>

class QCoreApplication;
class QFile;

namespace Zanto {
class PrinterLanguage;
class TextSource;
class TZantoquiller;
} // namespace Zanto

namespace Zanto::Cli {

// The application object of zanto. PNG pages are drawn with Qt's fonts,
// which need a GUI application: a preview or print that may write them gets
// one on the offscreen platform, which needs no display; the rest a core
// one.
std::unique_ptr<QCoreApplication> makeApplication(int &argc, char **argv);

// Why a window cannot be shown: no platform chosen (QT_QPA_PLATFORM) and
// no display to show it on (DISPLAY, WAYLAND_DISPLAY); empty when one can
// be tried. Qt would end the program at its start (abort) instead.
QString missingDisplay();

enum class PreviewFormat { Text, Pdf, Png };

struct PreviewRequest
{
    Preview::PrinterSetup setup;
    PreviewFormat format = PreviewFormat::Text;
    QString output; // empty or "-": standard output (not for PNG)
    int dpi = 100;
    bool attributes = true;
    QString background; // none, tractor or greenbar
    int sheetLimit = Preview::ByteInterpreter::DefaultSheetLimit;
};

// --max-sheets N: the most sheets a preview makes (usage: "raises").
const QCommandLineOption &sheetLimitOption();
// The limit that --max-sheets sets, or the default; a UsageError for a
// value below 1.
int sheetLimit(const QCommandLineParser &parser);

// The paper named by --paper, or the default; a UsageError for an unknown one.
const Preview::Paper &paperOption(
    const QCommandLineParser &parser, const QCommandLineOption &option);

// The format of an output file name by its extension: .pdf, .png, else text.
PreviewFormat formatOfFile(const QString &name);

// Lists the unknown and clamped sequences of a job on standard error, with
// offsets, and the known commands it did not draw, then what the sheets
// could not hold and whether the job was stopped at the sheet limit. Returns the exit status that
// follows: a failure when the job was stopped.
int reportUnknownSequences(const Preview::ByteInterpreter &interpreter);

// Feeds the job's bytes (produce calls the function it is given with each
// piece), writes the sheets and lists the unknown sequences on standard
// error. Returns the exit status.
int renderPreview(const PreviewRequest &request,
    const std::function<void(const std::function<void(QByteArrayView)> &)> &produce);

// Hands every byte of input to feed, piece by piece; a read failure raises
// EInOutError.
void feedInput(QIODevice &input, const std::function<void(QByteArrayView)> &feed);

// zanto print --preview OUT [--paper NAME]: the text laid out with every
// print option, rendered into OUT (by its extension: .pdf, .png, else text;
// - for text on standard output) instead of being sent.
class PrintPreviewOptions
{
public:
    void addTo(QCommandLineParser &parser);
    bool isSet(const QCommandLineParser &parser) const;
    // Lines FromLine to ToLine when range, else the whole text; the printer's
    // character set is the code page in force when converting, else CP437.
    // language, when given, reads the bytes; without --paper its printers'
    // own paper is the sheet.
    int run(const QCommandLineParser &parser, TZantoquiller &component,
        const PrinterLanguage *language, TextSource &text, bool converted, bool range,
        qint32 fromLine, qint32 toLine) const;
};

} // namespace Zanto::Cli
