#include "dcc/ListenPort.h"

#include <exception>

namespace pell::dcc {

int& NextListenPort()
{
    static int next = 59;
    return next;
}

std::optional<int> OpenListener(net::TcpServer& server)
{
    for (int port = NextListenPort(); !server.Active() && port <= 50000; ++port) {
        server.DefaultPort = port;
        try {
            server.Start();
        } catch (const std::exception&) {
            continue;
        }
        NextListenPort() = port + 1;
        return port;
    }
    return std::nullopt;
}

} // namespace pell::dcc
