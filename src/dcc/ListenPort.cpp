#include "dcc/ListenPort.h"

#include <algorithm>
#include <exception>

namespace pell::dcc {

int& NextListenPort()
{
    static int next = FirstListenPort;
    return next;
}

std::optional<int> OpenListener(net::TcpServer& server)
{
    for (int port = std::max(NextListenPort(), FirstListenPort); !server.Active() && port <= 50000; ++port) {
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
