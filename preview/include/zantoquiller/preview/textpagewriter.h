/// \file
/// The text form of a preview, for terminals: each sheet as rows of
/// characters in their columns, bold, italic and underline as terminal
/// attributes, and a line between sheets. A character that the printer's
/// character set maps to a control character is shown as its byte, <150>.
#pragma once

#include <zantoquiller/preview/page.h>
#include <zantoquiller/preview_export.h>

#include <memory>

class QIODevice;

namespace Zanto::Preview {

/// A PageSink that writes sheets as text.
class ZANTOQUILLER_PREVIEW_EXPORT TextPageWriter : public PageSink
{
public:
    /// The line that goes before every sheet after the first.
    static QByteArray separator(int pageNumber);

    /// With attributes, styles are written as terminal attributes and the
    /// unknown sequences of a row follow it in reverse video.
    TextPageWriter(QIODevice &out, bool attributes);
    ~TextPageWriter() override;

    void addPage(const Page &page) override;

    /// False once a write has failed; out's errorString() says why.
    bool ok() const;

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace Zanto::Preview
