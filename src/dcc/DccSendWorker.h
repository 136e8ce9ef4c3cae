#pragma once

#include "net/TcpConnection.h"

#include <cstdint>
#include <functional>
#include <string>

namespace pell::dcc {

// Streams one file to one connected receiver: blocks of 8192 bytes without waiting for
// acknowledgements, reading those that came after each block. Exactly the size fixed
// when the file was offered goes out, once; the call then keeps reading
// acknowledgements until the receiver closes, and ends by the transport's error.
// The callbacks return false once the owner has gone (the call then ends).
struct SendReports {
    std::function<bool()> StartClock;
    std::function<bool(std::uint64_t)> Progress;
    std::function<bool(const std::string&)> Status;
};

void ServeFile(net::TcpConnection& connection, const std::string& path, std::uint64_t size, int ackWaitMs,
               const SendReports& reports);

} // namespace pell::dcc
