// The options that frame a print as a job for its printer:
//   --init LIST     codes sent before the first line (a code list: 27,64)
//   --finish LIST   codes sent after the last line (a paper cut, a reset)
//   --eject         a form feed after the last line when the page is not
//                   complete
// They become the component's job codes (jobcodes.h), so a preview shows
// them as the printer gets them.
#pragma once

#include <QCommandLineParser>

namespace Zanto {
class TZantoquiller;
}

namespace Zanto::Cli {

class JobOptions
{
public:
    void addTo(QCommandLineParser &parser);
    // Gives component the job codes of the options; a code list that is not
    // one is a UsageError.
    void applyTo(const QCommandLineParser &parser, TZantoquiller &component) const;
};

} // namespace Zanto::Cli
