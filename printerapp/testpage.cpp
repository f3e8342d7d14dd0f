#include "testpage.h"

#include <zantoquiller/printerlanguage.h>

#include <QString>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace ZantoApp {

namespace {

QByteArray &testPageFolder()
{
    static QByteArray folder;
    return folder;
}

} // namespace

void setTestPageFolder(const QByteArray &spoolFolder)
{
    testPageFolder() = spoolFolder;
}

QByteArray testPageText(const char *name, const PrinterSetup &setup)
{
    QByteArray page;
    page += "Zantoquiller Printer Application test page\n\n";
    page += "Printer:  " + QByteArray(name) + '\n';
    page += "Profile:  " + setup.profile.toUtf8() + '\n';
    page += "Language: " + setup.language->displayName().toUtf8() + '\n';
    page += "Line:     " + QByteArray::number(setup.columns) + " columns at "
        + QByteArray::number(setup.pitch) + " characters per inch\n\n";
    // A ruler as long as the profile's line: its last digit stands in the
    // last column.
    QByteArray ruler;
    for (int column = 1; column <= setup.columns; ++column)
        ruler += char('0' + column % 10);
    page += ruler + '\n';
    page += "ABCDEFGHIJKLMNOPQRSTUVWXYZ abcdefghijklmnopqrstuvwxyz 0123456789\n";
    return page;
}

const char *writeTestPage(pappl_printer_t *printer, char *buffer, size_t size)
{
    const PrinterSetup *setup = printerSetup(printer);
    if (!setup || testPageFolder().isEmpty())
        return nullptr;
    if (std::snprintf(buffer, size, "%s/testpage-%d-XXXXXX.txt", testPageFolder().constData(),
            papplPrinterGetID(printer))
        >= int(size))
        return nullptr;
    const int fd = mkstemps(buffer, 4);
    if (fd < 0)
        return nullptr;
    const QByteArray page = testPageText(papplPrinterGetName(printer), *setup);
    const bool written = write(fd, page.constData(), size_t(page.size())) == page.size();
    if (close(fd) != 0 || !written) {
        unlink(buffer);
        return nullptr;
    }
    return buffer;
}

} // namespace ZantoApp
