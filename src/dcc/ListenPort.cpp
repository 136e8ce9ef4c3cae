#include "dcc/ListenPort.h"

#include "dcc/DccNumbers.h"

#include <algorithm>
#include <exception>

namespace pell::dcc {

PortRange PortRangeOf(const std::string& first, const std::string& last)
{
    const auto from = ReadOfferPort(first);
    const auto to = ReadOfferPort(last);
    if (!from || !to || *to < *from)
        return {};
    return {*from, *to};
}

int& NextListenPort()
{
    static int next = FirstListenPort;
    return next;
}

std::optional<int> FindListenPort(const std::function<bool(int port)>& take, PortRange range)
{
    const int first = range.Set() ? range.First : FirstListenPort;
    const int last = range.Set() ? range.Last : LastListenPort;
    int port = std::max(NextListenPort(), first);
    if (port > last && !range.Set())
        return std::nullopt;
    if (port > last)
        port = first;
    const int count = range.Set() ? last - first + 1 : last - port + 1;
    for (int tried = 0; tried < count; ++tried) {
        if (take(port)) {
            NextListenPort() = port + 1;
            return port;
        }
        port = port == last ? first : port + 1;
    }
    return std::nullopt;
}

namespace {

// True when open() takes the port; a port in use or refused throws.
bool Opens(const std::function<void()>& open)
{
    try {
        open();
    } catch (const std::exception&) {
        return false;
    }
    return true;
}

} // namespace

std::optional<int> OpenListener(net::TcpServer& server, PortRange range)
{
    return FindListenPort(
        [&server](int port) {
            server.DefaultPort = port;
            return Opens([&server] { server.Start(); });
        },
        range);
}

std::optional<int> OpenListener(net::TcpListener& listener, PortRange range)
{
    return FindListenPort([&listener](int port) { return Opens([&] { listener.Listen(port); }); }, range);
}

std::string NextPassiveToken()
{
    static unsigned next = 0;
    return std::to_string(++next);
}

} // namespace pell::dcc
