#include "printjob.h"

#include <zantoquiller/sendbytes.h>

namespace Zanto {

void SendBytes(TZantoquiller &component, const std::function<QByteArrayView()> &next)
{
    PrintJob job(component, true);
    bool sent = false;
    for (QByteArrayView piece = next(); !piece.isEmpty(); piece = next()) {
        job.sendBytes(piece.data(), piece.size());
        sent = true;
    }
    // Opens the device, and empties a file, as any print does.
    if (!sent)
        job.sendBytes("", 0);
    job.end();
}

} // namespace Zanto
