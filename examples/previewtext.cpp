// Shows how a text file would come out of an Epson printer: the text is
// laid out as a print would send it, the bytes are read back as an Epson
// printer reads them, and the sheets are written as text to the standard
// output, or as PNG pictures when a picture name is given:
//
//     previewtext invoice.txt invoice-epson.CTT [invoice.png]
#include <zantoquiller/preview/byteinterpreter.h>
#include <zantoquiller/preview/pngpagewriter.h>
#include <zantoquiller/preview/textpagewriter.h>
#include <zantoquiller/printedbytes.h>
#include <zantoquiller/streamtextsource.h>
#include <zantoquiller/zantoquiller.h>

#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>

#include <cstdio>
#include <memory>

int main(int argc, char *argv[])
{
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: previewtext TEXT TABLE.CTT [PICTURE.png]\n");
        return 2;
    }
    // Pictures are drawn with Qt's fonts, which need an application; no
    // screen is needed for them.
    std::unique_ptr<QGuiApplication> application;
    if (argc == 4) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        application = std::make_unique<QGuiApplication>(argc, argv);
    }

    QFile text(QFile::decodeName(argv[1]));
    if (!text.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "previewtext: %s\n", qPrintable(text.errorString()));
        return 1;
    }
    QFile out;
    if (!out.open(stdout, QIODevice::WriteOnly))
        return 1;
    try {
        //! [preview]
        Zanto::TZantoquiller printer;
        printer.SetPrinterType(Zanto::ptEpson);
        printer.LoadTranslationTable(QFileInfo(QFile::decodeName(argv[2])).absoluteFilePath());

        Zanto::Preview::PrinterSetup setup;
        setup.type = printer.PrinterType();
        setup.codes = printer.CodeTable()[printer.PrinterType()];
        std::unique_ptr<Zanto::Preview::PageSink> sheets;
        if (argc == 4)
            sheets
                = std::make_unique<Zanto::Preview::PngPageWriter>(QFile::decodeName(argv[3]), 72);
        else
            sheets = std::make_unique<Zanto::Preview::TextPageWriter>(out, false);
        Zanto::Preview::ByteInterpreter interpreter(setup, *sheets);

        // The bytes a print would send go straight to the interpreter.
        Zanto::StreamTextSource source(text, Zanto::StreamTextSource::Breaks::Lines);
        Zanto::LayOutMemoText(
            printer, source, [&](QByteArrayView bytes) { interpreter.feed(bytes); });
        interpreter.finish();
        //! [preview]
        const auto *pictures = dynamic_cast<Zanto::Preview::PngPageWriter *>(sheets.get());
        if (pictures && !pictures->ok()) {
            std::fprintf(stderr, "previewtext: %s\n", qPrintable(pictures->errorString()));
            return 1;
        }
        out.flush();
        std::fprintf(stderr, "%d sheet(s), %lld unknown sequence(s)\n", interpreter.pageCount(),
            static_cast<long long>(interpreter.unknownSequenceCount()));
    } catch (const Zanto::Exception &error) {
        std::fprintf(stderr, "previewtext: %s\n", qPrintable(error.Message()));
        return 1;
    }
    return 0;
}
