// Prints the two demonstration texts both ways - as characters through
// TZantoquiller, and as graphics the way the demonstration's second print
// button does - and reports the bytes each way produces and the time it takes.
#include "graphicsprint.h"
#include "invoicetranslation.h"

#include <zantoquiller/controls/memocontrols.h>
#include <zantoquiller/printers.h>
#include <zantoquiller/zantoquiller.h>

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QTextBlock>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <functional>

using namespace Zanto;

namespace {

struct Measurement
{
    qint64 bytes = 0;
    double milliseconds = 0;
};

struct Text
{
    QString name;
    QString path;
    bool invoice;
};

QString readText(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw EInOutError(QStringLiteral("Failed to read %1").arg(path), file.errorString());
    QString text = QString::fromLatin1(file.readAll());
    if (text.endsWith(u'\n'))
        text.chop(1);
    return text;
}

QStringList linesOf(const QPlainTextEdit &memo)
{
    QStringList lines;
    for (QTextBlock block = memo.document()->begin(); block.isValid(); block = block.next())
        lines.append(block.text());
    return lines;
}

// Runs print repeat times; the median time, and the bytes of the last run.
Measurement measure(
    int repeat, const std::function<void()> &print, const std::function<qint64()> &bytesSent)
{
    QList<double> times;
    for (int i = 0; i < repeat; ++i) {
        QElapsedTimer timer;
        timer.start();
        print();
        times.append(timer.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    return {bytesSent(), times[times.size() / 2]};
}

// A print queue whose jobs land as numbered files in a folder, complete files
// only (the private print server of the tests): a job is done when its file
// is there.
class CaptureFolder
{
public:
    explicit CaptureFolder(const QString &path) : m_dir(path) { }

    int jobCount() const { return int(files().size()); }

    // Waits until more than count jobs have landed; the size of the newest.
    qint64 waitForJob(int count) const
    {
        QStringList names;
        for (int i = 0; i < 600000 && (names = files()).size() <= count; ++i)
            QThread::usleep(100);
        if (names.size() <= count)
            throw EInOutError(QStringLiteral("No job arrived in %1").arg(m_dir.path()));
        return QFileInfo(m_dir.filePath(names.last())).size();
    }

private:
    QStringList files() const
    {
        return m_dir.entryList({QStringLiteral("*.prn")}, QDir::Files, QDir::Name);
    }

    QDir m_dir;
};

// The invoice goes out as the demonstration prints it: Epson codes for its
// markup. The introduction with an empty translation table.
void setUpComponent(TZantoquiller &z, const Text &text)
{
    z.SetPrinterType(ptEpson);
    if (text.invoice)
        setUpInvoiceTranslation(z);
    else
        clearTranslation(z);
}

void printRow(
    const QString &text, const char *target, const Measurement &raw, const Measurement &graphics)
{
    std::printf("%-6s %-8s %10lld %10.2f %10lld %10.2f %9.1fx %9.1fx\n", qPrintable(text), target,
        static_cast<long long>(raw.bytes), raw.milliseconds, static_cast<long long>(graphics.bytes),
        graphics.milliseconds, static_cast<double>(graphics.bytes) / std::max<qint64>(raw.bytes, 1),
        graphics.milliseconds / std::max(raw.milliseconds, 1e-6));
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    Controls::registerMemoControls();
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Raw character printing against graphics printing of the demonstration texts."));
    parser.addHelpOption();
    parser.addOption({QStringLiteral("texts"), QStringLiteral("Folder of memo1.txt and memo2.txt."),
        QStringLiteral("DIR"), QStringLiteral(ZANTO_DEMO_TEXTS)});
    parser.addOption({QStringLiteral("repeat"), QStringLiteral("Runs per measurement (median)."),
        QStringLiteral("N"), QStringLiteral("5")});
    parser.addOption({QStringLiteral("printer"),
        QStringLiteral("Also print to this queue, through the print server."),
        QStringLiteral("NAME")});
    parser.addOption({QStringLiteral("captures"),
        QStringLiteral("Folder where the queue's jobs land as files."), QStringLiteral("DIR")});
    parser.addPositionalArgument(QStringLiteral("OUTDIR"), QStringLiteral("Where files go."));
    parser.process(application);
    if (parser.positionalArguments().size() != 1)
        parser.showHelp(2);
    const QDir out(parser.positionalArguments().first());
    const int repeat = std::max(1, parser.value(QStringLiteral("repeat")).toInt());
    const QDir texts(parser.value(QStringLiteral("texts")));
    const QString queue = parser.value(QStringLiteral("printer"));
    const CaptureFolder captures(parser.value(QStringLiteral("captures")));
    if (!queue.isEmpty() && !parser.isSet(QStringLiteral("captures")))
        parser.showHelp(2);

    const QList<Text> textList
        = {{QStringLiteral("memo1"), texts.filePath(QStringLiteral("memo1.txt")), false},
            {QStringLiteral("memo2"), texts.filePath(QStringLiteral("memo2.txt")), true}};

    std::printf("%-6s %-8s %10s %10s %10s %10s %10s %10s\n", "text", "target", "raw bytes",
        "raw ms", "gfx bytes", "gfx ms", "bytes", "time");
    try {
        for (const Text &text : textList) {
            QPlainTextEdit memo;
            memo.setFont(QFont(QStringLiteral("Liberation Mono"), 10));
            memo.setLineWrapMode(QPlainTextEdit::NoWrap);
            memo.setPlainText(readText(text.path));

            TZantoquiller z;
            setUpComponent(z, text);
            const QString rawFile = out.filePath(text.name + QStringLiteral(".prn"));
            z.SetPort(poDisk);
            z.SetOutputFile(rawFile);
            const Measurement raw = measure(
                repeat, [&] { z.PrintMemo(&memo); }, [&] { return QFileInfo(rawFile).size(); });

            const QString pdfFile = out.filePath(text.name + QStringLiteral(".pdf"));
            const Measurement graphics = measure(
                repeat,
                [&] {
                    QPrinter printer(QPrinter::HighResolution);
                    printer.setOutputFormat(QPrinter::PdfFormat);
                    printer.setOutputFileName(pdfFile);
                    printLinesAsGraphics(printer, graphicsPrintFont(memo.font()), linesOf(memo));
                },
                [&] { return QFileInfo(pdfFile).size(); });
            printRow(text.name, "file", raw, graphics);

            if (queue.isEmpty())
                continue;
            // Through the print server, each measured until the job has left
            // the queue and reached the printer: the component as a raw
            // spooler job on the current printer, the graphics print as a
            // page description for the same queue.
            selectPrinter(queue);
            z.SetPort(poCurrent);
            z.SetUseSpooler(true);
            qint64 rawJob = 0;
            const Measurement rawSpooled = measure(
                repeat,
                [&] {
                    const int before = captures.jobCount();
                    z.PrintMemo(&memo);
                    rawJob = captures.waitForJob(before);
                },
                [&] { return rawJob; });
            qint64 graphicsJob = 0;
            const Measurement graphicsSpooled = measure(
                repeat,
                [&] {
                    const int before = captures.jobCount();
                    QPrinter printer(QPrinter::HighResolution);
                    printer.setPrinterName(queue);
                    printLinesAsGraphics(printer, graphicsPrintFont(memo.font()), linesOf(memo));
                    graphicsJob = captures.waitForJob(before);
                },
                [&] { return graphicsJob; });
            printRow(text.name, "cups", rawSpooled, graphicsSpooled);
        }
    } catch (const Exception &error) {
        std::fprintf(stderr, "%s\n", qPrintable(error.Message()));
        return 1;
    }
    return 0;
}
