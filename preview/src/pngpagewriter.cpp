#include <zantoquiller/preview/outputfile.h>
#include <zantoquiller/preview/pngpagewriter.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <png.h>

namespace Zanto::Preview {

struct Q_DECL_HIDDEN PngPageWriter::Private
{
    Private(const QString &outputName_, int dpi_, Background background)
        : outputName(outputName_), dpi(dpi_), painter(background)
    { }

    QString outputName;
    int dpi;
    PagePainter painter;
    QString error;
    QByteArray encoded; // kept from sheet to sheet: most are the same size
    int lastPage = 0;
};

PngPageWriter::PngPageWriter(const QString &outputName, int dpi, Background background)
    : d(std::make_unique<Private>(outputName, dpi, background))
{ }

PngPageWriter::~PngPageWriter() = default;

bool PngPageWriter::ok() const
{
    return d->error.isEmpty();
}

QString PngPageWriter::errorString() const
{
    return d->error;
}

QString PngPageWriter::fileName(const QString &outputName, int pageNumber)
{
    QString base = outputName;
    if (base.endsWith(u".png", Qt::CaseInsensitive))
        base.chop(4);
    return base + u'-' + QString::number(pageNumber) + QStringLiteral(".png");
}

void PngPageWriter::addPage(const Page &page)
{
    if (!ok())
        return;
    QImage image = d->painter.paint(page, d->dpi);
    if (image.isNull()) {
        d->error = d->painter.errorString();
        return;
    }
    const QString name = fileName(d->outputName, page.number);
    if (image.format() != QImage::Format_Grayscale8)
        image.convertTo(QImage::Format_RGB888);
    // libpng's fast setting: no row filters and light compression. Sheets
    // are mostly paper, which that packs well enough, at a fraction of the
    // time the default search for the best filter takes.
    png_image png {};
    png.version = PNG_IMAGE_VERSION;
    png.width = static_cast<png_uint_32>(image.width());
    png.height = static_cast<png_uint_32>(image.height());
    png.format = image.format() == QImage::Format_Grayscale8 ? PNG_FORMAT_GRAY : PNG_FORMAT_RGB;
    png.flags = PNG_IMAGE_FLAG_FAST;
    const auto stride = static_cast<png_int_32>(image.bytesPerLine());
    png_alloc_size_t size = PNG_IMAGE_PNG_SIZE_MAX(png);
    if (d->encoded.size() < static_cast<qsizetype>(size))
        d->encoded.resize(static_cast<qsizetype>(size));
    if (!png_image_write_to_memory(
            &png, d->encoded.data(), &size, 0, image.constBits(), stride, nullptr)) {
        d->error = QStringLiteral("%1: %2").arg(name, QString::fromLatin1(png.message));
        png_image_free(&png);
        return;
    }
    OutputFile file(name);
    if (!file.open()
        || file.device().write(d->encoded.constData(), static_cast<qint64>(size))
            != static_cast<qint64>(size)
        || !file.commit()) {
        d->error = QStringLiteral("%1: %2").arg(name, file.errorString());
        return;
    }
    d->lastPage = std::max(d->lastPage, page.number);
}

void PngPageWriter::finish()
{
    if (!ok())
        return;
    // NAME-N.png as fileName() makes it, N past the last page.
    const QFileInfo first(fileName(d->outputName, 1));
    const QString prefix = first.fileName().chopped(5);
    QDir folder = first.dir();
    const QStringList names
        = folder.entryList(QDir::Files | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QString &name : names) {
        if (!name.startsWith(prefix) || !name.endsWith(u".png"))
            continue;
        const QStringView number = QStringView(name).sliced(prefix.size()).chopped(4);
        bool isNumber = !number.isEmpty() && number.front() != u'0';
        for (const QChar c : number)
            isNumber = isNumber && c >= u'0' && c <= u'9';
        if (!isNumber || (number.size() < 11 && number.toLongLong() <= d->lastPage))
            continue;
        // Removing a link removes the link, not what it leads to.
        if (!folder.remove(name)) {
            d->error = QStringLiteral("%1: cannot remove this page of an earlier preview")
                           .arg(folder.filePath(name));
            return;
        }
    }
}

} // namespace Zanto::Preview
