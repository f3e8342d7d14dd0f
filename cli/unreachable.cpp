#include "unreachable.h"

#include <zantoquiller/exceptions.h>

#include <QString>

#include <cerrno>
#include <cstring>
#include <netdb.h>

namespace Zanto::Cli {

namespace {

// The reasons are "NAME: " + the system's text, in the same locale as ours.
bool endsWithSystemText(const QString &reason, const char *text)
{
    return reason.endsWith(QStringLiteral(": ") + QString::fromLocal8Bit(text));
}

bool deviceUnreachable(const EInOutError &error)
{
    if (error.Message() != u"Failed to open port")
        return false;
    const QString &reason = error.Reason();
    for (const int code :
        {ECONNREFUSED, EHOSTUNREACH, ENETUNREACH, EHOSTDOWN, ETIMEDOUT, ENODEV, ENXIO}) {
        if (endsWithSystemText(reason, std::strerror(code)))
            return true;
    }
    for (const int code : {EAI_NONAME, EAI_AGAIN, EAI_FAIL}) {
        if (endsWithSystemText(reason, ::gai_strerror(code)))
            return true;
    }
    // A device node that is not there; a missing folder of a disk file is
    // an ordinary failure.
    return reason.startsWith(u"/dev/") && endsWithSystemText(reason, std::strerror(ENOENT));
}

} // namespace

bool isUnreachable(const Exception &error)
{
    if (const auto *io = dynamic_cast<const EInOutError *>(&error))
        return deviceUnreachable(*io);
    if (dynamic_cast<const EPrinterUnreachable *>(&error))
        return true;
    if (!dynamic_cast<const EPrinter *>(&error))
        return false;
    const QString &message = error.Message();
    return message.startsWith(u"Cannot reach ")
        || (message.startsWith(u"The print server ")
            && message.contains(u" did not answer within "));
}

} // namespace Zanto::Cli
