// Writes each sheet of a preview as a PNG picture: NAME-1.png, NAME-2.png
// ... for an output name NAME.png.
#pragma once

#include <zantoquiller/preview/pagepainter.h>
#include <zantoquiller/preview_export.h>

#include <memory>

namespace Zanto::Preview {

class ZANTOQUILLER_PREVIEW_EXPORT PngPageWriter : public PageSink
{
public:
    PngPageWriter(const QString &outputName, int dpi, Background background = Background::None);
    ~PngPageWriter() override;

    // The file of a sheet.
    static QString fileName(const QString &outputName, int pageNumber);

    void addPage(const Page &page) override;
    bool ok() const;
    QString errorString() const;

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace Zanto::Preview
