// The channel side of one memo print: spooler decision, driver check, one
// SendLine per finished line, page breaks in spooler mode, job end. The job
// keeps its own state (first line, the direct output with its connection or
// append state) and only shows AppendToFile on the component.
#pragma once

#include <zantoquiller/textbuffer.h>

namespace Zanto {

class TZantoquiller;

// Where the memo printer delivers finished lines. PrintJob is the real one;
// benchmarks and tests may use an in-memory sink.
class LineSink
{
public:
    virtual ~LineSink() = default;

    // True when lines go to the spooler: page ends then carry no form feed
    // and are followed by newPage().
    virtual bool spoolerMode() const = 0;
    // Sends one finished line: Count bytes from Data position 1.
    virtual void sendLine(const TTextBuffer &line) = 0;
    // Ends the spooler page and starts the next one.
    virtual void newPage() = 0;
};

class PrintJob : public LineSink
{
public:
    // Job start: spooler mode if and only if wholeText, UseSpooler and Port is
    // not poDisk. In spooler mode runs the driver check (raising its
    // eZantoquillError before anything is sent) and starts the document.
    PrintJob(TZantoquiller &component, bool wholeText);
    // Ends the job if end() was not reached (an exception left the print):
    // what was sent is delivered, unless a signal interrupted the print,
    // which cancels the spooler document and drops a printer's connection.
    ~PrintJob() override;

    PrintJob(const PrintJob &) = delete;
    PrintJob &operator=(const PrintJob &) = delete;

    bool spoolerMode() const override;
    void sendLine(const TTextBuffer &line) override;
    // Sends count bytes as they are, as sendLine sends a line's: a ready
    // print file goes out in pieces of any size.
    void sendBytes(const char *data, qsizetype count);
    void newPage() override;
    // Job end: AppendToFile cleared; in spooler mode the document is ended,
    // in direct mode a TCP printer's stream (EInOutError when it fails).
    void end();

private:
    struct Private;
    Private *d;
};

} // namespace Zanto
