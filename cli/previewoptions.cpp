#include "previewoptions.h"
#include "componentoptions.h"
#include "languageoption.h"
#include "usageerror.h"

#include <zantoquiller/codepage.h>
#include <zantoquiller/destination.h>
#include <zantoquiller/exceptions.h>
#include <zantoquiller/preview/background.h>
#include <zantoquiller/printerlanguage.h>
#include <zantoquiller/zantoquiller.h>

namespace Zanto::Cli {

namespace {

// The family zanto print sends for when none is chosen, so that a job
// printed and previewed with the same options reads the same.
TPrinterType defaultPrinterType()
{
    return TZantoquiller().PrinterType();
}

// Made when first asked for: the component is not made before main.
const QCommandLineOption &typeOption()
{
    static const QCommandLineOption option(QStringLiteral("printer-type"),
        QStringLiteral("Printer family: hppcl, epson, ibm, diablo, plain, user1, user2 "
                       "(default %1, as zanto print).")
            .arg(enumName(defaultPrinterType(), NameCase::Lower)),
        QStringLiteral("NAME"));
    return option;
}
const QCommandLineOption charsetOption(QStringLiteral("charset"),
    QStringLiteral("The printer's character set: %1 (default cp437).")
        .arg(AnsiCodePage::names().join(u", ")),
    QStringLiteral("NAME"));
const QCommandLineOption paperChoice(QStringLiteral("paper"),
    QStringLiteral("Paper: %1 (default fanfold, continuous 8.5 x 11 in).")
        .arg(Preview::paperNames().join(u", ")),
    QStringLiteral("NAME"));
const QCommandLineOption formatOption(QStringLiteral("format"),
    QStringLiteral("pdf, png or text (default: by the output's extension, else text)."),
    QStringLiteral("FORMAT"));
const QCommandLineOption outputOption(QStringList {QStringLiteral("o"), QStringLiteral("output")},
    QStringLiteral("Write to OUT (standard output when absent or -; PNG pages go to "
                   "OUT-1.png, OUT-2.png ...)."),
    QStringLiteral("OUT"));
const QCommandLineOption dpiOption(QStringLiteral("dpi"),
    QStringLiteral("Resolution of PNG pages, 10-1200 (default 100)."), QStringLiteral("N"));
const QCommandLineOption backgroundOption(QStringLiteral("background"),
    QStringLiteral("Under the print: none, tractor or greenbar (default none)."),
    QStringLiteral("KIND"));
const QCommandLineOption plainOption(QStringLiteral("no-attributes"),
    QStringLiteral("Text without terminal attributes and markers."));
const QCommandLineOption showOption(
    QStringLiteral("show"), QStringLiteral("Show the sheets in a window."));

} // namespace

void PreviewOptions::addTo(QCommandLineParser &parser)
{
    parser.addOptions({typeOption(), languageOption(), charsetOption, paperChoice, formatOption,
        outputOption, dpiOption, backgroundOption, plainOption, sheetLimitOption(), showOption});
    m_settings.addTo(parser, SettingsOptions::Codes);
    parser.addPositionalArgument(QStringLiteral("FILE"),
        QStringLiteral("the job's bytes, a path or file: URI; standard input when absent or -"),
        QStringLiteral("[FILE]"));
}

QString PreviewOptions::inputName(const QCommandLineParser &parser) const
{
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1)
        throw UsageError(QStringLiteral("unexpected argument '%1'").arg(files[1]));
    const QString name = files.value(0);
    // A job printed to a file: URI is read back from the same URI.
    if (!name.startsWith(QStringLiteral("file:"), Qt::CaseInsensitive))
        return name;
    try {
        const Destination destination = Destination::parse(name);
        return destination.kind() == Destination::Kind::File ? destination.path() : name;
    } catch (const EConvertError &error) {
        throw UsageError(error.Message());
    }
}

bool PreviewOptions::show(const QCommandLineParser &parser) const
{
    return parser.isSet(showOption);
}

PreviewRequest PreviewOptions::request(const QCommandLineParser &parser) const
{
    PreviewRequest request;
    request.setup.type = parser.isSet(typeOption())
        ? enumValue<TPrinterType>(
            QStringLiteral("printer-type"), parser.value(typeOption()), NameCase::Lower)
        : defaultPrinterType();
    request.setup.language = chosenLanguage(parser);
    if (request.setup.language) {
        // Without --printer-type, the codes read besides the language's
        // commands are those of its type (user1 for the receipt languages).
        if (!parser.isSet(typeOption()))
            request.setup.type = request.setup.language->model().printerType;
    }
    // A receipt language without --paper: the roll its printers take.
    if (parser.isSet(paperChoice) || !request.setup.language
        || !request.setup.language->model().defaultPaper)
        request.setup.paper = &paperOption(parser, paperChoice);
    if (parser.isSet(charsetOption)) {
        request.setup.codePage = AnsiCodePage::find(parser.value(charsetOption));
        if (!request.setup.codePage)
            throw UsageError(QStringLiteral("charset"), parser.value(charsetOption),
                QStringLiteral("unknown character set '%1' (one of: %2)")
                    .arg(parser.value(charsetOption), AnsiCodePage::names().join(u", ")));
    }
    request.output = parser.value(outputOption);
    if (parser.isSet(formatOption)) {
        const QString format = parser.value(formatOption).toLower();
        if (format == u"pdf")
            request.format = PreviewFormat::Pdf;
        else if (format == u"png")
            request.format = PreviewFormat::Png;
        else if (format == u"text")
            request.format = PreviewFormat::Text;
        else
            throw UsageError(QStringLiteral("format"), parser.value(formatOption),
                QStringLiteral("unknown format '%1' (one of: pdf, png, text)")
                    .arg(parser.value(formatOption)));
    } else {
        request.format = formatOfFile(request.output);
    }
    if (parser.isSet(dpiOption)) {
        request.dpi = integerValue<int>(parser, dpiOption);
        if (request.dpi < 10 || request.dpi > 1200)
            throw UsageError(QStringLiteral("dpi"), parser.value(dpiOption),
                QStringLiteral("%1 is not from 10 to 1200").arg(request.dpi));
    }
    request.background = parser.value(backgroundOption);
    if (parser.isSet(backgroundOption) && !Preview::backgroundByName(request.background))
        throw UsageError(QStringLiteral("background"), request.background,
            QStringLiteral("unknown value '%1' (one of: none, tractor, greenbar)")
                .arg(request.background));
    request.attributes = !parser.isSet(plainOption);
    request.sheetLimit = sheetLimit(parser);

    // The codes of the chosen type, as the component holds them after
    // --codes.
    TZantoquiller component;
    m_settings.applyTo(parser, component);
    request.setup.codes = component.CodeTable()[request.setup.type];
    if (request.setup.language)
        request.setup.codes = codesBesidesLanguage(*request.setup.language, request.setup.codes);
    return request;
}

} // namespace Zanto::Cli
