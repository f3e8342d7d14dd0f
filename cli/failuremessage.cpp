#include "failuremessage.h"

#include <zantoquiller/exceptions.h>

namespace Zanto::Cli {

namespace {

const QString SocketScheme = QStringLiteral("socket://");

// The target of a port's reason "TARGET: system text", in the words of the
// command line.
QString targetName(const QString &name)
{
    if (name == u"/dev/stdout")
        return QStringLiteral("standard output");
    if (name.startsWith(SocketScheme))
        return name.mid(SocketScheme.size());
    return name;
}

QString portFailure(const EInOutError &error)
{
    const bool opening = error.portStep() == EInOutError::PortStep::Open;
    const QString &reason = error.Reason();
    const qsizetype colon = reason.indexOf(QStringLiteral(": "));
    if (colon <= 0)
        return {};
    const QString name = reason.left(colon);
    const QString why = reason.mid(colon + 2);
    const QString verb = !opening       ? QStringLiteral("cannot write to ")
        : name.startsWith(SocketScheme) ? QStringLiteral("cannot connect to ")
                                        : QStringLiteral("cannot open ");
    return verb + targetName(name) + QStringLiteral(": ") + why;
}

} // namespace

QString failureMessage(const Exception &error)
{
    if (const auto *io = dynamic_cast<const EInOutError *>(&error)) {
        if (io->portStep() != EInOutError::PortStep::None) {
            const QString message = portFailure(*io);
            if (!message.isEmpty())
                return message;
        }
        if (!io->Reason().isEmpty())
            return io->Message() + QStringLiteral(": ") + io->Reason();
    }
    return error.Message();
}

} // namespace Zanto::Cli
