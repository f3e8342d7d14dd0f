// An IPP printer on the loopback interface that misbehaves as an attacker's
// or a broken print server would: it answers OPTIONS properly and then
// answers each IPP request with an endless chunked reply (slow or as fast
// as it goes), a header line that
// never ends, a reply that trickles in a byte at a time, or a well-formed
// reply whose texts hold terminal escape sequences and run long.
#pragma once

#include "loopbackprinter.h"

#include <QString>

#include <memory>

namespace ZantoTest::Cups {

class HostileIppServer
{
public:
    // Endless sends a few MiB a second; Flood as fast as it can.
    enum class Behaviour { Endless, Flood, HeaderLineForever, Trickle, Escapes };

    explicit HostileIppServer(Behaviour behaviour);

    // "ipp://127.0.0.1:PORT/ipp/print"
    QString uri() const;
    // "127.0.0.1:PORT", as messages name the server.
    QString serverName() const;

    // What the Escapes server puts in its texts.
    static const QByteArray StateMessage;
    static const QByteArray StateReason;
    static const QByteArray JobName;

private:
    std::unique_ptr<LoopbackPrinter> m_server;
};

} // namespace ZantoTest::Cups
