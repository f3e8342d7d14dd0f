// Raster pages as a character printer's graphics: one-bit lines gathered
// into bands of the height the language's image command takes, each band
// sent with Zanto::bitmapBytes, white bands passed over with a paper feed
// and pages ended with the language's eject or cut. Knows nothing of PAPPL,
// so that a test can feed it lines and read back what it wrote.
#pragma once

#include <zantoquiller/graphics.h>

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <functional>

namespace Zanto {
class PrinterLanguage;
}

namespace ZantoApp {

class RasterBands
{
public:
    /// Takes the bytes for the printer; false when they could not be
    /// written, which fails the job.
    using Writer = std::function<bool(QByteArrayView bytes)>;

    RasterBands(const Zanto::PrinterLanguage &language, Writer writer);

    /// Dots down one band: the pins of a column image (8 for 9-pin, 24
    /// for 24-pin ESC/P), the rows of a receipt printer's raster command
    /// or of a page printer's raster block.
    static int bandHeight(const Zanto::PrinterLanguage &language);

    /// The printer reset for a job; false for a language without pictures
    /// (error() says so) or when the write failed.
    bool startJob();
    /// A page of pageWidth dots across begins; the first leftSkip dots of
    /// each line lie left of what the head reaches and are not printed,
    /// nor what lies past the language's graphics line width.
    bool startPage(int pageWidth, int leftSkip);
    /// The next line of the page: (pageWidth + 7) / 8 bytes, the leftmost
    /// dot in the highest bit, a set bit black.
    bool addLine(const unsigned char *bits);
    /// The page's last band, then the language's eject (form feed) or cut.
    /// White at the foot of the page is not fed.
    bool endPage();
    /// What ends a job (a page printer's reset).
    bool endJob();

    /// Whether a write failed or the language takes no pictures; nothing
    /// more is written then.
    bool failed() const { return !m_error.isEmpty(); }
    /// Why, for the job's log.
    QString error() const { return m_error; }

private:
    enum class Family { EscPos, Escp9, Escp24, Pcl, None };

    bool write(QByteArrayView bytes);
    bool flushBand();
    bool feed(int dots);
    QByteArray feedBytes(int dots) const;

    const Zanto::PrinterLanguage &m_language;
    Writer m_writer;
    Family m_family = Family::None;
    int m_bandHeight = 8;
    int m_lineWidth = 0; // dots the head reaches
    int m_pageWidth = 0;
    int m_leftSkip = 0;
    Zanto::MonoBitmap m_band;
    int m_rows = 0; // rows of m_band filled
    bool m_bandBlack = false;
    int m_pendingFeed = 0; // white dots passed over and not yet fed
    QString m_error;
};

} // namespace ZantoApp
