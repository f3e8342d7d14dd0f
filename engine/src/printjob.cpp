#include "printjob.h"
#include "platformerrors.h"

#include <zantoquiller/platform/printer.h>
#include <zantoquiller/zantoquiller.h>

#include <QCoreApplication>

#include <chrono>

namespace Zanto {

namespace {

const QString DriverRefusesRawData = QStringLiteral(
    "The selected printer driver does not allow direct communications. Please use the "
    "Generic/Text only driver for this printer");

std::string jobTitle()
{
    const QString application = QCoreApplication::applicationName();
    return application.isEmpty() ? std::string("Zantoquiller") : application.toStdString();
}

} // namespace

struct PrintJob::Private
{
    TZantoquiller &component;
    bool spooler = false;
    bool firstLine = true;
    bool ended = false;
};

PrintJob::PrintJob(TZantoquiller &component, bool wholeText) : d(new Private {component})
{
    try {
        d->spooler = wholeText && component.m_useSpooler && component.m_port != poDisk;
        if (d->spooler && !component.DriverCompatible()) {
            d->spooler = false;
            throw eZantoquillError(DriverRefusesRawData);
        }
        d->firstLine = true;
        if (d->spooler)
            onPrinter([&] {
                Platform::printer().beginDoc(
                    jobTitle(), std::chrono::milliseconds(component.m_timeout));
            });
    } catch (...) {
        delete d;
        throw;
    }
}

PrintJob::~PrintJob()
{
    if (!d->ended) {
        d->component.AppendToFile = false;
        if (d->spooler) {
            // What was sent is printed; a job that cannot be ended is dropped.
            try {
                Platform::printer().endDoc();
            } catch (...) {
                Platform::printer().abortDoc();
            }
        }
    }
    delete d;
}

bool PrintJob::spoolerMode() const
{
    return d->spooler;
}

void PrintJob::sendLine(const TTextBuffer &line)
{
    d->component.AppendToFile = !d->firstLine;
    d->firstLine = false;
    const int count = line.Count;
    if (count > TTextBuffer::Capacity)
        throw eZantoquillError(QStringLiteral("Line too long for buffer!  Printing Aborted"));
    if (d->spooler)
        onPrinter([&] { Platform::printer().write(line.Data, std::size_t(count)); });
    else
        d->component.PrintBuffer(line.Data, count);
}

void PrintJob::newPage()
{
    if (d->spooler)
        onPrinter([] { Platform::printer().newPage(); });
}

void PrintJob::end()
{
    d->ended = true;
    d->component.AppendToFile = false;
    if (d->spooler)
        onPrinter([] { Platform::printer().endDoc(); });
}

} // namespace Zanto
