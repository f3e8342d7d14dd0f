// zantopreview: the window of zanto preview --show. A program of its own,
// so that zanto needs no widgets: it takes the options of zanto preview and
// shows the sheets in a preview widget.
#include "componentoptions.h"
#include "exitcodes.h"
#include "failuremessage.h"
#include "inputfile.h"
#include "previewoptions.h"
#include "usageerror.h"
#include "warning.h"

#include <zantoquiller/exceptions.h>
#include <zantoquiller/preview/byteinterpreter.h>

#include <zantoquiller/preview/previewwidget.h>

#include <QApplication>
#include <QFile>

#include <cstdio>

using namespace Zanto;
using namespace Zanto::Cli;

int main(int argc, char *argv[])
{
    setCommandName("preview");
    // Started on its own too: Qt would abort without a display.
    if (const QString missing = missingDisplay(); !missing.isEmpty()) {
        report(missing);
        return ExitFailure;
    }
    QApplication app(argc, argv);
    QStringList arguments = QApplication::arguments();
    arguments.removeFirst();
    try {
        QCommandLineParser parser;
        parser.setApplicationDescription(
            QStringLiteral("Shows how a printer lays out the bytes of FILE in a window."));
        PreviewOptions options;
        options.addTo(parser);
        if (!parseCommandLine(parser, QStringLiteral("preview --show"), arguments))
            return 0;
        const QString name = options.inputName(parser);
        const PreviewRequest request = options.request(parser);
        InputFile input;
        input.openFile(name);

        Preview::PreviewWidget window(nullptr,
            Preview::backgroundByName(request.background).value_or(Preview::Background::None));
        Preview::ByteInterpreter interpreter(request.setup, window);
        interpreter.setSheetLimit(request.sheetLimit);
        // Past the sheet limit the rest of the job is not read.
        struct Stopped
        {
        };
        try {
            feedInput(input, [&](QByteArrayView bytes) {
                interpreter.feed(bytes);
                if (interpreter.stoppedAtSheetLimit())
                    throw Stopped {};
            });
        } catch (const Stopped &) { }
        interpreter.finish();
        reportUnknownSequences(interpreter);
        window.setWindowTitle(
            QStringLiteral("zanto preview - %1")
                .arg(name.isEmpty() || name == u"-" ? QStringLiteral("standard input") : name));
        window.resize(900, 1000);
        window.show();
        return app.exec();
    } catch (const UsageError &error) {
        report(QString::fromStdString(error.what()));
        return ExitUsage;
    } catch (const Exception &error) {
        report(failureMessage(error));
        return ExitFailure;
    } catch (const std::exception &error) {
        report(QString::fromStdString(error.what()));
        return ExitFailure;
    }
}
