#pragma once

#include "net/TcpServer.h"

#include <optional>

namespace pell::dcc {

// Listening ports start here: a lower one is a service port to firewalls and peers
// (irssi leaves an offer naming one pending), and needs privileges anyway.
inline constexpr int FirstListenPort = 1024;

// The program-wide next port to try for a listening socket, shared by send windows and
// listening chat windows. GUI thread only.
int& NextListenPort();

// Starts the server on the first port from NextListenPort (never below FirstListenPort)
// up to 50000 that it can take (a port in use is skipped) and moves the counter past
// it. Nothing when no port works.
std::optional<int> OpenListener(net::TcpServer& server);

} // namespace pell::dcc
