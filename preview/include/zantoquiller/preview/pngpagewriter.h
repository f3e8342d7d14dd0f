/// \file
/// Writes each sheet of a preview as a PNG picture: NAME-1.png, NAME-2.png
/// ... for an output name NAME.png. Each page is put in place whole (see
/// outputfile.h); at the end, pages of the same names left by an earlier,
/// longer preview are removed, so that the pages there are this preview's.
#pragma once

#include <zantoquiller/preview/pagepainter.h>
#include <zantoquiller/preview_export.h>

#include <memory>

namespace Zanto::Preview {

/// A PageSink that writes a PNG picture per sheet.
class ZANTOQUILLER_PREVIEW_EXPORT PngPageWriter : public PageSink
{
public:
    /// Pictures named after outputName, at dpi dots per inch.
    PngPageWriter(const QString &outputName, int dpi, Background background = Background::None);
    ~PngPageWriter() override;

    /// The file of a sheet.
    static QString fileName(const QString &outputName, int pageNumber);

    void addPage(const Page &page) override;
    /// Removes the pages past the last one of this preview.
    void finish() override;
    /// False once writing a page failed or a font was missing.
    bool ok() const;
    /// Why writing failed.
    QString errorString() const;

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace Zanto::Preview
