// Asks a printer whether it is ready, as the print would find it:
//
//     printerstatus /dev/usb/lp0
//     printerstatus socket://192.0.2.7:9100
//     printerstatus QUEUE
//
// and prints one line, "DESTINATION: STATE", then the reasons, one a line.
// The exit status is 0 when the printer is ready, 1 otherwise.
#include <zantoquiller/exceptions.h>
#include <zantoquiller/printerstatus.h>

#include <QFile>

#include <cstdio>

int main(int argc, char *argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: printerstatus DESTINATION\n");
        return 2;
    }
    //! [status]
    const int timeoutMs = 2000;
    Zanto::PrinterStatus status;
    try {
        status = Zanto::printerStatus(QFile::decodeName(argv[1]), timeoutMs);
    } catch (const Zanto::EPrinter &error) {
        std::fprintf(stderr, "printerstatus: %s\n", qPrintable(error.Message()));
        return 1;
    }
    std::printf("%s: %s%s\n", qPrintable(status.destination),
        qPrintable(Zanto::printerStateName(status.state)), status.absent ? " (absent)" : "");
    for (const QString &reason : status.reasons)
        std::printf("  %s\n", qPrintable(reason));
    //! [status]
    return status.state == Zanto::PrinterState::Ready ? 0 : 1;
}
