// zantoscreenshots OUTPUT_DIR: renders the program's windows offscreen, as a
// user sees them, and saves each as a PNG picture for the documentation.
// To add a picture, add an entry to shots() below.

#include <zantoquiller/application.h>
#include <zantoquiller/codelist.h>
#include <zantoquiller/preview/byteinterpreter.h>
#include <zantoquiller/printedbytes.h>
#include <zantoquiller/streamtextsource.h>
#include <zantoquiller/zantoquiller.h>

#include "mainform.h"
#include <zantoquiller/preview/previewwidget.h>

#include <QDir>
#include <QFile>
#include <QTabWidget>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <functional>
#include <vector>

using namespace Zanto;

namespace {

struct Shot
{
    QString fileName;
    // Saves the picture to the given path; false when it could not.
    std::function<bool(const QString &path)> take;
};

bool save(QWidget *window, const QString &path)
{
    QCoreApplication::processEvents();
    return window->grab().save(path, "PNG");
}

// Runs open(), which shows a modal dialog and waits for it; the dialog is
// saved as soon as it is up and then cancelled. Gives up after ten seconds.
bool grabModal(const QString &path, const std::function<void()> &open)
{
    bool saved = false;
    bool seen = false;
    QTimer poll;
    poll.setInterval(20);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget *dialog = QApplication::activeModalWidget();
        if (!dialog || !dialog->isVisible() || !dialog->isActiveWindow())
            return;
        poll.stop();
        seen = true;
        saved = save(dialog, path);
        QMetaObject::invokeMethod(dialog, "reject", Qt::QueuedConnection);
    });
    QTimer giveUp;
    giveUp.setSingleShot(true);
    QObject::connect(&giveUp, &QTimer::timeout, [] {
        if (QWidget *dialog = QApplication::activeModalWidget())
            QMetaObject::invokeMethod(dialog, "reject", Qt::QueuedConnection);
    });
    poll.start();
    giveUp.start(10000);
    open();
    return seen && saved;
}

// A component with the invoice's markup translations for HP PCL printers.
void fillInvoiceTable(TZantoquiller &component)
{
    const TPrinterCodes &hp = component.CodeTable()[ptHPPCL];
    const std::pair<char, QByteArray> entries[] = {
        {'~', hp.BoldOn.toByteArray()},
        {'^', hp.BoldOff.toByteArray()},
        {'!', hp.UnderOn.toByteArray()},
        {'|', hp.UnderOff.toByteArray()},
    };
    for (const auto &[character, replacement] : entries) {
        component.TransIn().append(QByteArray(1, character));
        component.TransOut().append(replacement);
    }
}

// The demonstration window as it starts, with one page chosen.
Shot demoPage(int index, const QString &fileName)
{
    return {
        fileName, [index](const QString &path) {
            TMainForm window;
            window.show();
            window.findChild<QTabWidget *>(QStringLiteral("PageControl1"))->setCurrentIndex(index);
            return save(&window, path);
        }};
}

// The sample invoice as an Epson printer lays it out, with its bold and
// underline, on continuous stationery.
bool invoicePreview(const QString &path)
{
    const QString examples = QStringLiteral(ZANTO_SOURCE_DIR "/examples/");
    TZantoquiller component;
    component.SetPrinterType(ptEpson);
    component.LoadTranslationTable(examples + QStringLiteral("invoice-epson.CTT"));
    QFile file(examples + QStringLiteral("invoice.txt"));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    StreamTextSource text(file, StreamTextSource::Breaks::Lines);
    Preview::PreviewWidget window(nullptr, Preview::Background::Tractor);
    Preview::PrinterSetup setup;
    setup.type = ptEpson;
    setup.codes = component.CodeTable()[ptEpson];
    Preview::ByteInterpreter interpreter(setup, window);
    LayOutMemoText(component, text, [&](QByteArrayView bytes) { interpreter.feed(bytes); });
    interpreter.finish();
    window.resize(860, 900);
    window.show();
    return save(&window, path);
}

std::vector<Shot> shots()
{
    return {
        {QStringLiteral("preview-invoice.png"), invoicePreview},
        demoPage(TMainForm::MemoPage, QStringLiteral("demo-memo-page.png")),
        demoPage(TMainForm::InvoicePage, QStringLiteral("demo-invoice-page.png")),
        demoPage(TMainForm::SingleLinePage, QStringLiteral("demo-single-line-page.png")),
        demoPage(TMainForm::SetupPage, QStringLiteral("demo-setup-page.png")),
        demoPage(TMainForm::AboutPage, QStringLiteral("demo-about-page.png")),
        {QStringLiteral("printer-codes-dialog.png"),
            [](const QString &path) {
                TZantoquiller component;
                return grabModal(path, [&] { component.EditPrinterCodes(); });
            }},
        {QStringLiteral("translation-table-dialog.png"),
            [](const QString &path) {
                TZantoquiller component;
                fillInvoiceTable(component);
                return grabModal(path, [&] { component.EditTranslationTable(); });
            }},
    };
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    TApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: zantoscreenshots OUTPUT_DIR\n");
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!QDir().mkpath(folder.path())) {
        std::fprintf(stderr, "cannot create %s\n", argv[1]);
        return 1;
    }
    int failures = 0;
    for (const Shot &shot : shots()) {
        const QString path = folder.filePath(shot.fileName);
        bool ok = false;
        try {
            ok = shot.take(path);
        } catch (const Exception &error) {
            std::fprintf(stderr, "%s\n", qPrintable(error.Message()));
        }
        std::printf("%s %s\n", ok ? "wrote" : "FAILED", qPrintable(path));
        failures += ok ? 0 : 1;
    }
    return failures == 0 ? 0 : 1;
}
