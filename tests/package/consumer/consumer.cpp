// Prints one line with the installed library: consumer FILE.
#include <zantoquiller/zantoquiller.h>

#include <cstdio>

int main(int argc, char *argv[])
{
    if (argc != 2) {
        std::fputs("usage: consumer FILE\n", stderr);
        return 2;
    }
    Zanto::TZantoquiller printer;
    printer.SetPort(Zanto::poDisk);
    printer.SetOutputFile(QString::fromLocal8Bit(argv[1]));
    try {
        static const char line[] = "Consumer \x1b"
                                   "E\0\xff line\r\n";
        printer.PrintString(QByteArrayView(line, sizeof line - 1));
    } catch (const Zanto::Exception &error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    return 0;
}
