// The text form of a preview, for terminals: each sheet as rows of
// characters in their columns, bold, italic and underline as terminal
// attributes, and a line between sheets.
#pragma once

#include <zantoquiller/preview/page.h>

class QIODevice;

namespace Zanto::Preview {

class TextPageWriter : public PageSink
{
public:
    // The line that goes before every sheet after the first.
    static QByteArray separator(int pageNumber);

    // With attributes, styles are written as terminal attributes and the
    // unknown sequences of a row follow it in reverse video.
    TextPageWriter(QIODevice &out, bool attributes);

    void addPage(const Page &page) override;

    // False once a write has failed; out's errorString() says why.
    bool ok() const { return m_ok; }

private:
    void write(const QByteArray &bytes);

    QIODevice &m_out;
    bool m_attributes;
    bool m_ok = true;
};

} // namespace Zanto::Preview
