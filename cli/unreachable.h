// Whether a failure means that the printer, its device or the print server
// could not be reached (zanto's exit status 3), rather than that it was
// reached and refused or failed (status 1).
#pragma once

namespace Zanto {
class Exception;
}

namespace Zanto::Cli {

// Told by the component's own texts: a port that could not be opened for a
// connection refused or timed out, an unreachable host or network, a host
// name that does not resolve, a missing device; a print server that could
// not be reached or did not answer in time.
bool isUnreachable(const Exception &error);

} // namespace Zanto::Cli
