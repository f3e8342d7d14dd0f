#include <zantoquiller/platform/failure.h>

#include <cerrno>
#include <cstring>

namespace Zanto {

ErrorKind errorKindOf(int systemError) noexcept
{
    switch (systemError) {
    case ENOENT:
    case ENOTDIR:
        return ErrorKind::NotFound;
    case EACCES:
    case EPERM:
    case EROFS:
        return ErrorKind::Permission;
    case ECONNREFUSED:
    case EHOSTUNREACH:
    case EHOSTDOWN:
    case ENETUNREACH:
    case ENETDOWN:
    case EADDRNOTAVAIL:
    // A device node with no device behind it.
    case ENXIO:
    case ENODEV:
        return ErrorKind::Unreachable;
    case ETIMEDOUT:
        return ErrorKind::TimedOut;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return ErrorKind::NoSpace;
    case EPROTO:
    case EBADMSG:
        return ErrorKind::Protocol;
    case EILSEQ:
        return ErrorKind::Format;
    case EINTR:
        return ErrorKind::Interrupted;
    case EBUSY:
    case EWOULDBLOCK:
    case ETXTBSY:
        return ErrorKind::Busy;
    case ECONNRESET:
    case ECONNABORTED:
    case ENETRESET:
    case ENOTCONN:
    case EPIPE:
        return ErrorKind::ConnectionLost;
    default:
        return ErrorKind::Other;
    }
}

namespace Platform {

std::string systemText(int error)
{
    // The GNU strerror_r: it returns the text, which need not be in buffer.
    char buffer[256];
    return ::strerror_r(error, buffer, sizeof buffer);
}

Failure systemFailure(const std::string &name, int error)
{
    return {errorKindOf(error), error, name + ": " + systemText(error)};
}

} // namespace Platform

} // namespace Zanto
