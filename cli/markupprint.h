// zanto print --markup: text with lines of markup that print barcodes, QR
// codes and pictures in the command's printer language (--language, the
// profile's, else the printer type's), all in one job with the text:
//   {barcode TYPE DATA}  a barcode (ean13, upca, code39, code128, itf, codabar)
//   {qr DATA}            a QR code
//   {image FILE}         a picture (PNG and the other formats Qt reads)
//   {left} {center} {right}  where the ones after stand
//   {{...                a text line that starts with "{"
// --logo FILE prints a picture, centred, before the text.
#pragma once

#include <QByteArray>
#include <QCommandLineOption>
#include <QCommandLineParser>

namespace Zanto {
class PrinterLanguage;
class TZantoquiller;
} // namespace Zanto

namespace Zanto::Cli {

class MarkupOptions
{
public:
    void addTo(QCommandLineParser &parser);
    bool isSet(const QCommandLineParser &parser) const;
    // Reads the whole input, lays its text out by component's settings,
    // and sends text, symbols and pictures in language as one job. Markup that cannot
    // be printed is a usage error naming its line, found before anything
    // is sent.
    void print(const QCommandLineParser &parser, TZantoquiller &component,
        const PrinterLanguage &language, QIODevice &input) const;

private:
    QCommandLineOption m_markup {QStringLiteral("markup"),
        QStringLiteral("Read lines {barcode TYPE DATA}, {qr DATA}, {image FILE}, {left}, {center} "
                       "and {right} as markup, printed in the printer's language (--language, "
                       "else the printer type's; see the manual).")};
    QCommandLineOption m_logo {QStringLiteral("logo"),
        QStringLiteral("With --markup: print the picture FILE, centred, before the text."),
        QStringLiteral("FILE")};
};

} // namespace Zanto::Cli
