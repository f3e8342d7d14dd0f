/// \file
/// Writes a preview as a PDF document, one PDF page per sheet, as the sheets
/// come: selectable text in Liberation Mono's four faces (embedded, only
/// those used), underline, superscript and subscript, the places of unknown
/// sequences in red, and optionally tractor strips or green bars.
#pragma once

#include <zantoquiller/preview/background.h>
#include <zantoquiller/preview/page.h>
#include <zantoquiller/preview_export.h>

#include <QString>

#include <memory>

class QIODevice;

namespace Zanto::Preview {

/// A PageSink that writes a PDF document.
class ZANTOQUILLER_PREVIEW_EXPORT PdfPageWriter : public PageSink
{
public:
    /// Writes to out, which is open for writing and outlives the writer.
    PdfPageWriter(QIODevice &out, Background background = Background::None);
    ~PdfPageWriter() override;

    void addPage(const Page &page) override;
    /// Writes the fonts and the document's closing parts.
    void finish() override;

    /// False once writing failed or a font was missing; errorString() says
    /// which.
    bool ok() const;
    /// Why writing failed.
    QString errorString() const;

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace Zanto::Preview
