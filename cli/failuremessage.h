// How zanto words a failure of the component. A port that could not be
// opened or written to is named as the user wrote it, with the system's
// reason ("cannot open /dev/lp0: No such file or directory", "cannot connect
// to 192.0.2.7:9100: Connection refused"); every other failure is the
// component's own message, with its reason after a colon.
#pragma once

#include <QString>

namespace Zanto {
class Exception;
}

namespace Zanto::Cli {

QString failureMessage(const Exception &error);

} // namespace Zanto::Cli
