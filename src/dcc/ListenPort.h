#pragma once

#include "net/TcpServer.h"

#include <optional>

namespace pell::dcc {

// The program-wide next port to try for a listening socket, shared by send windows and
// listening chat windows. GUI thread only.
int& NextListenPort();

// Starts the server on the first port from NextListenPort up to 50000 that it can take
// (a port in use, or below 1024 for an ordinary user, is skipped) and moves the counter
// past it. Nothing when no port works.
std::optional<int> OpenListener(net::TcpServer& server);

} // namespace pell::dcc
