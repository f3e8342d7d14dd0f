// Writes each sheet of a preview as a PNG picture: NAME-1.png, NAME-2.png
// ... for an output name NAME.png.
#pragma once

#include <zantoquiller/preview/pagepainter.h>

namespace Zanto::Preview {

class PngPageWriter : public PageSink
{
public:
    PngPageWriter(const QString &outputName, int dpi, Background background = Background::None);

    // The file of a sheet.
    static QString fileName(const QString &outputName, int pageNumber);

    void addPage(const Page &page) override;
    bool ok() const { return m_error.isEmpty(); }
    QString errorString() const { return m_error; }

private:
    QString m_outputName;
    int m_dpi;
    PagePainter m_painter;
    QString m_error;
};

} // namespace Zanto::Preview
