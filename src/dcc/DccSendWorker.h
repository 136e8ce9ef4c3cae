#pragma once

#include "dcc/TransferReports.h"
#include "net/TcpConnection.h"

#include <cstdint>
#include <functional>
#include <string>

namespace pell::dcc {

// The protocol waits of the sending side; tests shorten them.
struct SendTiming {
    static constexpr int AckWait = 1000;  // ms to wait for acknowledgements after each block
    static constexpr int AckIdle = 60000; // ms without any acknowledgement before a receiver is dropped
    int AckWaitMs = AckWait;
    int AckIdleMs = AckIdle;
};

// Streams one file to one connected receiver: blocks of 8192 bytes without waiting for
// acknowledgements, reading those that came after each block. Exactly the size fixed
// when the file was offered goes out, once; the call then keeps reading
// acknowledgements until the receiver closes, and ends by the transport's error. A
// receiver that acknowledges nothing for AckIdle ms (one that connected and sits there,
// or stopped reading) is dropped, so it cannot hold a place meant for the real one.
// `startClock` runs once on the GUI thread; it and the reports return false once the
// owner has gone (the call then ends).
// `from` is where a resumed transfer starts (0 for the whole file).
void ServeFile(net::TcpConnection& connection, const std::string& path, std::uint64_t size, std::uint64_t from,
               SendTiming timing, TransferReports& reports, const std::function<bool()>& startClock);

} // namespace pell::dcc
