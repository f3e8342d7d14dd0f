// zanto print --markup: the input split into text and markup lines; text
// laid out by the component as a memo print would, symbols and pictures
// made by the library, and the whole sent as one job.
#include "markupprint.h"

#include "usageerror.h"

#include <zantoquiller/graphics.h>
#include <zantoquiller/jobcodes.h>
#include <zantoquiller/preview/imagedots.h>
#include <zantoquiller/printedbytes.h>
#include <zantoquiller/printerlanguage.h>
#include <zantoquiller/sendbytes.h>
#include <zantoquiller/streamtextsource.h>

#include <QBuffer>
#include <QImageReader>

namespace Zanto::Cli {

namespace {

// Restores a component's job codes when the markup print ends.
class JobCodesAside
{
public:
    explicit JobCodesAside(TZantoquiller &component)
        : m_component(component), m_codes(jobCodes(component))
    {
        setJobCodes(component, {});
    }
    ~JobCodesAside() { setJobCodes(m_component, m_codes); }
    const JobCodes &codes() const { return m_codes; }

private:
    TZantoquiller &m_component;
    JobCodes m_codes;
};

QString lineError(qint64 line, const QString &problem)
{
    return QStringLiteral("--markup: line %1: %2").arg(line).arg(problem);
}

GraphicsBytes pictureBytes(
    const PrinterLanguage &language, const QString &file, GraphicsAlignment alignment)
{
    QImageReader reader(file);
    const QImage image = reader.read();
    if (image.isNull())
        return {{},
            GraphicsError {QStringLiteral("cannot read the picture '%1': %2")
                               .arg(file, reader.errorString())}};
    return Preview::imageBytes(language, image, alignment);
}

// What one markup line (without its braces) sends.
GraphicsBytes markupBytes(
    const PrinterLanguage &language, QByteArrayView markup, GraphicsAlignment &alignment)
{
    const qsizetype space = markup.indexOf(' ');
    const QByteArrayView word = space < 0 ? markup : markup.first(space);
    const QByteArrayView rest = space < 0 ? QByteArrayView() : markup.sliced(space + 1);
    static const std::pair<const char *, GraphicsAlignment> alignments[]
        = {{"left", GraphicsAlignment::Left}, {"center", GraphicsAlignment::Center},
            {"centre", GraphicsAlignment::Center}, {"right", GraphicsAlignment::Right}};
    for (const auto &[name, value] : alignments) {
        if (word == name && rest.isEmpty()) {
            alignment = value;
            return {alignmentBytes(language, value), std::nullopt};
        }
    }
    if (word == "qr")
        return qrCodeBytes(language, rest, {}, alignment);
    if (word == "image") {
        if (rest.isEmpty())
            return {{}, GraphicsError {QStringLiteral("{image FILE} names no file")}};
        return pictureBytes(language, QString::fromLocal8Bit(rest), alignment);
    }
    if (word == "barcode") {
        const qsizetype gap = rest.indexOf(' ');
        const std::optional<BarcodeType> type
            = barcodeTypeFromName(QString::fromLatin1(gap < 0 ? rest : rest.first(gap)));
        if (!type)
            return {{},
                GraphicsError {QStringLiteral("unknown barcode type '%1' (one of: ean13, upca, "
                                              "code39, code128, itf, codabar)")
                                   .arg(QString::fromLatin1(gap < 0 ? rest : rest.first(gap)))}};
        return barcodeBytes(
            language, *type, gap < 0 ? QByteArrayView() : rest.sliced(gap + 1), {}, alignment);
    }
    return {{},
        GraphicsError {QStringLiteral("unknown markup '{%1}'").arg(QString::fromLatin1(markup))}};
}

// The bytes a memo print of text sends, job codes left out.
QByteArray laidOut(TZantoquiller &component, const QByteArray &text)
{
    QByteArray copy = text;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    StreamTextSource source(buffer, StreamTextSource::Breaks::Lines);
    QByteArray bytes;
    LayOutMemoText(component, source, [&](QByteArrayView piece) { bytes += piece; });
    return bytes;
}

} // namespace

void MarkupOptions::addTo(QCommandLineParser &parser)
{
    parser.addOptions({m_markup, m_logo});
}

bool MarkupOptions::isSet(const QCommandLineParser &parser) const
{
    if (parser.isSet(m_logo) && !parser.isSet(m_markup))
        throw UsageError(QStringLiteral("--logo is given without --markup"));
    return parser.isSet(m_markup);
}

void MarkupOptions::print(const QCommandLineParser &parser, TZantoquiller &component,
    const PrinterLanguage &printerLanguage, QIODevice &input) const
{
    const PrinterLanguage *language = &printerLanguage;

    const JobCodesAside aside(component);
    QByteArray job = aside.codes().start;
    GraphicsAlignment alignment = GraphicsAlignment::Left;
    if (parser.isSet(m_logo)) {
        const GraphicsBytes logo
            = pictureBytes(*language, parser.value(m_logo), GraphicsAlignment::Center);
        if (logo.error)
            throw UsageError(QStringLiteral("logo"), parser.value(m_logo), logo.error->message);
        job += logo.bytes + alignmentBytes(*language, GraphicsAlignment::Left);
    }
    QByteArray text;
    bool anyText = false;
    const auto flushText = [&] {
        if (anyText)
            job += laidOut(component, text);
        text.clear();
        anyText = false;
    };
    // Read whole: markup is checked before anything is sent.
    QByteArray all = input.readAll();
    if (all.endsWith('\n'))
        all.chop(1);
    const QList<QByteArray> lines = all.isEmpty() ? QList<QByteArray>() : all.split('\n');
    qint64 number = 0;
    for (const QByteArray &line : lines) {
        ++number;
        const QByteArray content = line.endsWith('\r') ? line.chopped(1) : line;
        if (!content.startsWith('{') || content.startsWith("{{")) {
            text += content.startsWith('{') ? content.sliced(1) : content;
            text += '\n';
            anyText = true;
            continue;
        }
        if (!content.endsWith('}'))
            throw UsageError(lineError(number,
                QStringLiteral("markup '%1' lacks its closing '}' (a text line "
                               "that starts with '{' is written '{{')")
                    .arg(QString::fromLatin1(content))));
        const GraphicsBytes bytes
            = markupBytes(*language, QByteArrayView(content).sliced(1).chopped(1), alignment);
        if (bytes.error)
            throw UsageError(lineError(number, bytes.error->message));
        flushText();
        job += bytes.bytes;
    }
    flushText();
    // A page printer's page is ejected, as a memo print's would be.
    if (aside.codes().ejectPage)
        job += '\f';
    job += aside.codes().end;

    bool sent = false;
    SendBytes(component, [&]() -> QByteArrayView {
        if (sent)
            return {};
        sent = true;
        return job;
    });
}

} // namespace Zanto::Cli
