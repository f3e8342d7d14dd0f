// Checked standard output and standard error. stdio reports a failed write
// only through the stream's error flag or when the buffer is flushed, so the
// commands write as usual and the checks happen here: once at the end of
// the program, and wherever a command wants to stop writing early.
#pragma once

#include <cstddef>

namespace Zanto::Cli {

// Writes size bytes to standard output. On failure tells "zanto: write
// error: REASON" on standard error (once per program) and returns false.
bool writeStandardOutput(const char *data, std::size_t size);

// Whether standard output is a pipe whose reader has gone: writing to it
// can only fail.
bool standardOutputReaderGone();

// Ends the program as a write to a pipe without reader ends cat: killed by
// SIGPIPE (status 141 in the shell), nothing said. Standard error is
// flushed first.
[[noreturn]] void endByBrokenPipe();

// Ends the program's use of both streams: flushes and closes standard
// output and flushes standard error. Returns status, or 1 in its place when
// it was 0 and a write to either stream failed; a failed standard output is
// told as writeStandardOutput() tells it.
int finishStandardStreams(int status);

} // namespace Zanto::Cli
