#include "collectedpages.h"

#include <zantoquiller/codepage.h>

#include <algorithm>

namespace PreviewTest {

using namespace Zanto::Preview;

CollectedPages interpret(const PrinterSetup &setup, const QByteArray &bytes, int chunk)
{
    CollectedPages pages;
    ByteInterpreter interpreter(setup, pages);
    if (chunk <= 0) {
        interpreter.feed(bytes);
    } else {
        for (qsizetype at = 0; at < bytes.size(); at += chunk)
            interpreter.feed(
                QByteArrayView(bytes).sliced(at, std::min<qsizetype>(chunk, bytes.size() - at)));
    }
    interpreter.finish();
    return pages;
}

QString lineText(const Page &page, const Line &line)
{
    QString text;
    for (const Glyph &glyph : line.glyphs)
        text += QChar(page.codePage->toUnicode(glyph.byte));
    return text;
}

QByteArray styleText(const Line &line)
{
    QByteArray text;
    for (const Glyph &glyph : line.glyphs) {
        const quint8 s = glyph.style;
        text += s & Bold      ? 'B'
            : s & Italic      ? 'I'
            : s & Underline   ? 'U'
            : s & Superscript ? '^'
            : s & Subscript   ? '_'
                              : '.';
    }
    return text;
}

} // namespace PreviewTest
