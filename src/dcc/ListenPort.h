#pragma once

#include "net/TcpListener.h"
#include "net/TcpServer.h"

#include <functional>
#include <optional>
#include <string>

namespace pell::dcc {

// Listening ports start here: a lower one is a service port to firewalls and peers
// (irssi leaves an offer naming one pending), and needs privileges anyway.
inline constexpr int FirstListenPort = 1024;
inline constexpr int LastListenPort = 50000;

// The ports a user has forwarded on the router; none set means any from FirstListenPort.
struct PortRange {
    int First = 0;
    int Last = 0;
    bool Set() const { return First >= 1 && Last >= First && Last <= 65535; }
};

// The range of two typed port numbers; none set when either is no port from 1 to 65535
// or the last lies before the first.
PortRange PortRangeOf(const std::string& first, const std::string& last);

// The program-wide next port to try for a listening socket, shared by send windows and
// listening chat windows. GUI thread only.
int& NextListenPort();

// Tries ports with `take` until one works and moves the counter past it; nothing when
// none does. Without a range: from NextListenPort (never below FirstListenPort) up to
// LastListenPort. With one: every port of the range once, from NextListenPort when it
// lies inside, wrapping round to the first, so ports of closed windows are used again.
std::optional<int> FindListenPort(const std::function<bool(int port)>& take, PortRange range = {});

// The server or listener started on the port FindListenPort finds.
std::optional<int> OpenListener(net::TcpServer& server, PortRange range = {});
std::optional<int> OpenListener(net::TcpListener& listener, PortRange range = {});

// The program-wide next token for a passive offer (the receiver listens and names the
// token in its answer). GUI thread only.
std::string NextPassiveToken();

} // namespace pell::dcc
