#include <zantoquiller/preview/pngpagewriter.h>

#include <QFileInfo>
#include <QImageWriter>

namespace Zanto::Preview {

PngPageWriter::PngPageWriter(const QString &outputName, int dpi, Background background)
    : m_outputName(outputName), m_dpi(dpi), m_painter(background)
{ }

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
    QImage image = m_painter.paint(page, m_dpi);
    if (image.isNull()) {
        m_error = m_painter.errorString();
        return;
    }
    const QString name = fileName(m_outputName, page.number);
    // A sheet without colours is written in grey: a quarter of the bytes.
    if (m_painter.background() == Background::None && page.markers.empty())
        image.convertTo(QImage::Format_Grayscale8);
    QImageWriter writer(name, "png");
    // Sheets are mostly white: the lightest compression is small enough,
    // and much faster.
    writer.setQuality(80);
    if (!writer.write(image))
        m_error = QStringLiteral("%1: %2").arg(name, writer.errorString());
}

} // namespace Zanto::Preview
