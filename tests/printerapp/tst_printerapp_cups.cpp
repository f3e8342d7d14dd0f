// zanto-printer-app behind a real CUPS: the suite's private cupsd has an
// IPP Everywhere queue (lpadmin -m everywhere) on a printer of the
// application, whose device is a loopback printer in the test.
//
// CUPS 2.4 writes that queue's PPD with filters for JPEG, PNG and URF only,
// so `lp` of a text file goes texttopdf, pdftopdf, gstoraster, rastertopwg
// and reaches the application as URF: the printer gets the language's
// graphics. `lp -o raw` runs no filter; CUPS's ipp backend sends the file
// as application/octet-stream, which the application types as text and
// lays out as `zanto print -P PROFILE` does.
#include "cupsharness.h"
#include "loopbackprinter.h"
#include "printerappprocess.h"
#include "processrunner.h"
#include "tempdir.h"

#include <zantoquiller/graphics.h>
#include <zantoquiller/preview/byteinterpreter.h>
#include <zantoquiller/printerlanguage.h>

#include <cups/cups.h>

#include <QProcess>
#include <QRegularExpression>
#include <QThread>

#include <gtest/gtest.h>

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <mutex>

using namespace ZantoTest;

namespace {

// A printer on a loopback port that answers every status request
// (DLE EOT n) with "ready" and keeps what each other connection sent.
class ReadyPrinter
{
public:
    ReadyPrinter()
        : m_printer([this](int connection, const std::atomic<bool> &stopped) {
            serve(connection, stopped);
        })
    { }
    QString uri() const { return m_printer.uri(); }

    // The job of the count-th connection that carried one, waiting up to
    // a minute; empty when it does not come.
    QByteArray job(int count) const
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait_for(lock, std::chrono::seconds(60), [&] { return m_jobs.size() >= count; });
        return m_jobs.value(count - 1);
    }

private:
    void serve(int connection, const std::atomic<bool> &stopped)
    {
        QByteArray sent;
        qsizetype answered = 0;
        while (!stopped) {
            pollfd ready {connection, POLLIN, 0};
            if (::poll(&ready, 1, 50) <= 0)
                continue;
            char buffer[65536];
            const ssize_t count = ::read(connection, buffer, sizeof buffer);
            if (count <= 0)
                break;
            sent.append(buffer, count);
            // 0x12: on line, no cause, paper present.
            while (answered + 3 <= sent.size() && sent[answered] == '\x10'
                && sent[answered + 1] == '\x04') {
                if (::write(connection, "\x12", 1) != 1)
                    break;
                answered += 3;
            }
        }
        if (sent.isEmpty() || LoopbackPrinter::onlyStatusRequests(sent))
            return;
        const std::lock_guard lock(m_mutex);
        m_jobs << sent;
        m_changed.notify_all();
    }

    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    QByteArrayList m_jobs;
    LoopbackPrinter m_printer; // last: its threads end before the rest goes
};

// The application with one printer on a ReadyPrinter, and an IPP
// Everywhere queue of the private cupsd on it, removed at the end.
class AppBehindCups
{
public:
    explicit AppBehindCups(const QString &profile)
        : m_queue(QStringLiteral("app-%1-%2").arg(profile).arg(::getpid()))
    {
        m_app.start();
        m_app.addPrinter(QStringLiteral("matrix"), profile, m_printer.uri());
        Cups::runCupsCommand(QStringLiteral("lpadmin"),
            {QStringLiteral("-p"), m_queue, QStringLiteral("-E"), QStringLiteral("-v"),
                m_app.printerUri(QStringLiteral("matrix")), QStringLiteral("-m"),
                QStringLiteral("everywhere")});
        waitForDriver();
    }
    ~AppBehindCups()
    {
        try {
            Cups::runCupsCommand(QStringLiteral("lpadmin"), {QStringLiteral("-x"), m_queue});
        } catch (const std::exception &) { }
    }

    // Prints file with `lp -d QUEUE options FILE`, waits until CUPS's job
    // and the application's have ended as completed, and returns what the
    // printer got.
    QByteArray print(const QString &file, const QStringList &options = {})
    {
        QProcess lp;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
        environment.insert(QStringLiteral("LANGUAGE"), QStringLiteral("C"));
        lp.setProcessEnvironment(environment);
        lp.start(QStringLiteral("lp"),
            QStringList {QStringLiteral("-d"), m_queue} + options + QStringList {file});
        lp.waitForFinished(60000);
        const QString out = QString::fromLocal8Bit(lp.readAllStandardOutput());
        const QRegularExpressionMatch id = QRegularExpression(
            QStringLiteral("request id is %1-(\\d+)").arg(QRegularExpression::escape(m_queue)))
                                               .match(out);
        EXPECT_TRUE(id.hasMatch()) << out.toStdString() << lp.readAllStandardError().toStdString();
        if (!id.hasMatch())
            return {};
        EXPECT_EQ(
            Cups::waitForJob(id.captured(1).toInt(), std::chrono::seconds(60)), Cups::JobCompleted)
            << m_app.log().toStdString();
        // Each CUPS job is one job of the application, numbered in turn.
        const PrinterAppProcess::JobEnd end = m_app.waitForJob(QStringLiteral("matrix"), ++m_jobs);
        EXPECT_EQ(end.state, IPP_JSTATE_COMPLETED) << end.message.toStdString();
        return m_printer.job(m_jobs);
    }

    QString filePath(const QString &name) const { return m_app.filePath(name); }

private:
    // The scheduler makes the queue's PPD from the printer's attributes
    // after lpadmin has returned; a job that comes first goes to the
    // printer as it is. Ready once its make and model are the PPD's.
    void waitForDriver() const
    {
        QString model;
        for (int tries = 0; tries < 300; ++tries) {
            ipp_t *request = ippNewRequest(IPP_OP_GET_PRINTER_ATTRIBUTES);
            char uri[HTTP_MAX_URI];
            httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost",
                ippPort(), "/printers/%s", m_queue.toUtf8().constData());
            ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri);
            ipp_t *response = cupsDoRequest(CUPS_HTTP_DEFAULT, request, "/");
            model = QString::fromUtf8(ippGetString(
                ippFindAttribute(response, "printer-make-and-model", IPP_TAG_TEXT), 0, nullptr));
            ippDelete(response);
            if (model.contains(QLatin1String("IPP Everywhere")))
                return;
            QThread::msleep(100);
        }
        throw std::runtime_error("the queue has no IPP Everywhere driver: " + model.toStdString());
    }

    ReadyPrinter m_printer;
    PrinterAppProcess m_app;
    QString m_queue;
    int m_jobs = 0;
};

const Zanto::PrinterLanguage &language(const char *name)
{
    const Zanto::PrinterLanguage *found = Zanto::PrinterLanguage::find(QString::fromLatin1(name));
    if (!found)
        throw std::runtime_error(std::string("no language ") + name);
    return *found;
}

// What `zanto print -P profile -o FILE` writes for the file.
QByteArray zantoPrint(const QString &profile, const QString &file)
{
    TempDir dir;
    const ProcessResult result = runZanto({QStringLiteral("print"), QStringLiteral("-P"), profile,
        QStringLiteral("-o"), dir.filePath(QStringLiteral("out")), file});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    return dir.read(QStringLiteral("out"));
}

// A black-and-white picture: dots across and down, ink or not.
struct Bitmap
{
    int width = 0;
    int height = 0;
    std::vector<char> ink;

    Bitmap(int w, int h) : width(w), height(h), ink(std::size_t(w) * std::size_t(h), 0) { }
    bool at(int x, int y) const
    {
        return x >= 0 && y >= 0 && x < width && y < height
            && ink[std::size_t(y) * std::size_t(width) + std::size_t(x)];
    }
    void set(int x, int y) { ink[std::size_t(y) * std::size_t(width) + std::size_t(x)] = 1; }
    qsizetype count() const { return std::count(ink.begin(), ink.end(), 1); }

    struct Box
    {
        int left, top, right, bottom; // right and bottom past the last dot
    };
    // The smallest box around the ink.
    Box inkBox() const
    {
        Box box {width, height, 0, 0};
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                if (at(x, y))
                    box = {std::min(box.left, x), std::min(box.top, y), std::max(box.right, x + 1),
                        std::max(box.bottom, y + 1)};
        return box;
    }
};

struct Preview
{
    std::vector<Zanto::Preview::Page> pages;
    int unknownSequences = 0;
};

Preview preview(const Zanto::PrinterLanguage &lang, const QByteArray &bytes)
{
    struct Sink : Zanto::Preview::PageSink
    {
        void addPage(const Zanto::Preview::Page &page) override { pages.push_back(page); }
        void finish() override { }
        std::vector<Zanto::Preview::Page> pages;
    } sink;
    Zanto::Preview::PrinterSetup setup;
    setup.type = lang.model().printerType;
    setup.language = &lang;
    Zanto::Preview::ByteInterpreter interpreter(setup, sink);
    interpreter.feed(bytes);
    interpreter.finish();
    return {sink.pages, int(interpreter.unknownSequenceCount())};
}

// The dots of the first sheet's images, at the language's resolution.
Bitmap firstSheet(const Zanto::PrinterLanguage &lang, const Preview &shown)
{
    const double dpi = Zanto::graphicsDotsPerInch(lang);
    std::vector<std::pair<int, int>> dots;
    int width = 1;
    int height = 1;
    for (const Zanto::Preview::DotImage &image : shown.pages.at(0).images) {
        EXPECT_EQ(image.dotsPerInchX, dpi);
        EXPECT_EQ(image.dotsPerInchY, dpi);
        const int left = int(std::lround(image.x * dpi / Zanto::Preview::UnitsPerInch));
        const int top = int(std::lround(image.y * dpi / Zanto::Preview::UnitsPerInch));
        for (int row = 0; row < image.rows; ++row)
            for (int column = 0; column < image.columns; ++column)
                if (image.dot(column, row)) {
                    dots.emplace_back(left + column, top + row);
                    width = std::max(width, left + column + 1);
                    height = std::max(height, top + row + 1);
                }
    }
    Bitmap sheet(width, height);
    for (const auto &[x, y] : dots)
        sheet.set(x, y);
    return sheet;
}

// A page of width x height points drawn in black: a frame, a filled disc,
// a diagonal, a bar and a line of Courier.
QByteArray drawingPdf(int width, int height)
{
    const double r = std::min(width, height) * 0.18;
    const double cx = width * 0.3;
    const double cy = height * 0.55;
    const double k = 0.5523 * r;
    QByteArray page;
    const auto point = [](double x, double y) {
        return QByteArray::number(x, 'f', 2) + ' ' + QByteArray::number(y, 'f', 2) + ' ';
    };
    page += "2 w 18 18 " + QByteArray::number(width - 36) + ' ' + QByteArray::number(height - 36)
        + " re S\n";
    page += point(cx + r, cy) + "m\n";
    page += point(cx + r, cy + k) + point(cx + k, cy + r) + point(cx, cy + r) + "c\n";
    page += point(cx - k, cy + r) + point(cx - r, cy + k) + point(cx - r, cy) + "c\n";
    page += point(cx - r, cy - k) + point(cx - k, cy - r) + point(cx, cy - r) + "c\n";
    page += point(cx + k, cy - r) + point(cx + r, cy - k) + point(cx + r, cy) + "c f\n";
    page += "18 18 m " + point(width - 18, height - 18) + "l S\n";
    page += point(width * 0.55, height * 0.62) + point(width * 0.3, 10) + "re f\n";
    page += "BT /F1 14 Tf " + point(width * 0.45, 30) + "Td (ZANTO 1234) Tj ET\n";

    const QByteArrayList objects {
        "<< /Type /Catalog /Pages 2 0 R >>",
        "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 " + QByteArray::number(width) + ' '
            + QByteArray::number(height)
            + "] /Contents 4 0 R /Resources << /Font << /F1 5 0 R >> >> >>",
        "<< /Length " + QByteArray::number(page.size()) + " >>\nstream\n" + page + "endstream",
        "<< /Type /Font /Subtype /Type1 /BaseFont /Courier >>",
    };
    QByteArray pdf = "%PDF-1.4\n";
    QList<qsizetype> offsets;
    for (qsizetype i = 0; i < objects.size(); ++i) {
        offsets << pdf.size();
        pdf += QByteArray::number(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    const qsizetype xref = pdf.size();
    pdf += "xref\n0 " + QByteArray::number(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (const qsizetype offset : offsets)
        pdf += QByteArray::number(offset).rightJustified(10, '0') + " 00000 n \n";
    pdf += "trailer\n<< /Size " + QByteArray::number(objects.size() + 1)
        + " /Root 1 0 R >>\nstartxref\n" + QByteArray::number(xref) + "\n%%EOF\n";
    return pdf;
}

// The PDF's page as poppler draws it at dpi, without smoothing, gray
// below half as ink.
Bitmap rendered(const QString &pdf, int dpi, const TempDir &dir)
{
    const QString base = dir.filePath(QStringLiteral("rendered"));
    QProcess pdftoppm;
    pdftoppm.start(QStringLiteral("pdftoppm"),
        {QStringLiteral("-gray"), QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-aa"),
            QStringLiteral("no"), QStringLiteral("-aaVector"), QStringLiteral("no"),
            QStringLiteral("-singlefile"), pdf, base});
    EXPECT_TRUE(pdftoppm.waitForFinished(60000) && pdftoppm.exitCode() == 0)
        << pdftoppm.readAllStandardError().toStdString();
    const QByteArray pgm = readFile(base + QStringLiteral(".pgm"));
    // P5 WIDTH HEIGHT 255, then one byte a dot.
    const QList<QByteArray> header = pgm.left(64).simplified().split(' ');
    if (header.size() < 4 || header[0] != "P5")
        throw std::runtime_error("pdftoppm wrote no PGM");
    const int width = header[1].toInt();
    const int height = header[2].toInt();
    Bitmap bitmap(width, height);
    const qsizetype start = pgm.size() - qsizetype(width) * height;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (uchar(pgm[start + qsizetype(y) * width + x]) < 128)
                bitmap.set(x, y);
    return bitmap;
}

// How far printed, laid over expected by their ink's top left corners,
// agrees with it, block by block of Block x Block dots.
struct Agreement
{
    int widthDifference = 0;
    int heightDifference = 0;
    int blocks = 0; // blocks with ink in either
    int agreeing = 0; // of those, blocks whose share of ink differs by MaxInkDifference at most
};

constexpr int Block = 8;
constexpr double MaxInkDifference = 0.25;

Agreement compare(const Bitmap &printed, const Bitmap &expected)
{
    const Bitmap::Box p = printed.inkBox();
    const Bitmap::Box e = expected.inkBox();
    Agreement agreement;
    agreement.widthDifference = std::abs((p.right - p.left) - (e.right - e.left));
    agreement.heightDifference = std::abs((p.bottom - p.top) - (e.bottom - e.top));
    const int width = std::max(p.right - p.left, e.right - e.left);
    const int height = std::max(p.bottom - p.top, e.bottom - e.top);
    for (int by = 0; by < height; by += Block) {
        for (int bx = 0; bx < width; bx += Block) {
            int inkP = 0;
            int inkE = 0;
            for (int y = by; y < by + Block; ++y)
                for (int x = bx; x < bx + Block; ++x) {
                    inkP += printed.at(p.left + x, p.top + y);
                    inkE += expected.at(e.left + x, e.top + y);
                }
            if (inkP == 0 && inkE == 0)
                continue;
            ++agreement.blocks;
            if (std::abs(inkP - inkE) <= MaxInkDifference * Block * Block)
                ++agreement.agreeing;
        }
    }
    return agreement;
}

struct Printer
{
    const char *profile;
    const char *language;
};
const Printer printers[] {{"epson-24pin", "escp-24pin"}, {"escpos-80mm", "escpos"}};

// A page and a half of text with tabs and letters outside ASCII.
QByteArray sampleText()
{
    QByteArray text;
    for (int line = 1; line <= 90; ++line)
        text += "Line " + QByteArray::number(line) + "\tK\xc3\xb6ln " + QByteArray(line % 7, 'x')
            + '\n';
    return text;
}

} // namespace

// `lp -o raw` of a text: the printer gets zanto print's bytes. `lp` of the
// same text: CUPS draws it, and the printer gets the language's graphics
// (images on the sheet, no characters, nothing the preview does not know).
TEST(PrinterAppCups, TextRawAsZantoPrintElseAsGraphics)
{
    ASSERT_TRUE(Cups::available());
    for (const Printer &printer : printers) {
        SCOPED_TRACE(printer.profile);
        AppBehindCups app(QString::fromLatin1(printer.profile));
        const QString text = app.filePath(QStringLiteral("text.txt"));
        writeFile(text, sampleText());
        const QByteArray expected = zantoPrint(QString::fromLatin1(printer.profile), text);
        ASSERT_FALSE(expected.isEmpty());
        EXPECT_EQ(app.print(text, {QStringLiteral("-o"), QStringLiteral("raw")}), expected);

        const QByteArray drawn = app.print(text);
        ASSERT_FALSE(drawn.isEmpty());
        EXPECT_NE(drawn, expected);
        const Preview shown = preview(language(printer.language), drawn);
        EXPECT_EQ(shown.unknownSequences, 0);
        ASSERT_FALSE(shown.pages.empty());
        EXPECT_GT(firstSheet(language(printer.language), shown).count(), 1000);
        for (const Zanto::Preview::Page &page : shown.pages)
            for (const Zanto::Preview::Line &line : page.lines)
                EXPECT_TRUE(line.glyphs.empty()) << "characters on sheet " << page.number;
    }
}

// A PDF through CUPS comes out as the language's graphics, and the preview
// of those bytes shows the page as poppler draws it at the language's
// resolution. The two are laid over each other by their ink's corners
// (CUPS places the page on the sheet) and compared in blocks of 8 x 8
// dots: dithering the edges CUPS smooths and a dot of rounding move a
// stroke's edge by a dot or two, less than a quarter of a block's dots,
// while a picture shifted, scaled, cut or mirrored differs in most blocks
// of its strokes.
TEST(PrinterAppCups, PdfComesOutAsThePage)
{
    ASSERT_TRUE(Cups::available());
    for (const Printer &printer : printers) {
        SCOPED_TRACE(printer.profile);
        AppBehindCups app(QString::fromLatin1(printer.profile));
        const Zanto::PrinterLanguage &lang = language(printer.language);
        // Narrower than the head reaches: CUPS does not scale it.
        const int widthPoints = std::min(
            288, int(Zanto::graphicsLineWidth(lang) * 72 / Zanto::graphicsDotsPerInch(lang)) - 36);
        const QString pdf = app.filePath(QStringLiteral("page.pdf"));
        writeFile(pdf, drawingPdf(widthPoints, widthPoints + 72));
        const QByteArray bytes = app.print(pdf);
        const Preview shown = preview(lang, bytes);
        const Bitmap printed = firstSheet(lang, shown);
        TempDir dir;
        const Bitmap expected = rendered(pdf, Zanto::graphicsDotsPerInch(lang), dir);
        const Agreement agreement = compare(printed, expected);
        EXPECT_LE(agreement.widthDifference, 3);
        EXPECT_LE(agreement.heightDifference, 3);
        EXPECT_GT(agreement.blocks, 200);
        EXPECT_GE(agreement.agreeing, agreement.blocks * 97 / 100)
            << agreement.agreeing << " of " << agreement.blocks << " blocks agree";
        const double inkRatio = double(printed.count()) / double(expected.count());
        EXPECT_NEAR(inkRatio, 1.0, 0.1);
    }
}
