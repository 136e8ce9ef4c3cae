#include "net/LocalAddress.h"

#include "net/Resolver.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

namespace pell::net {

bool IsLoopbackIPv4(std::uint32_t address)
{
    return (address >> 24) == 127;
}

std::string LocalAddressOf(int ircSocket, bool throughProxy)
{
    if (!throughProxy && ircSocket >= 0) {
        sockaddr_in address{};
        socklen_t length = sizeof address;
        if (::getsockname(ircSocket, reinterpret_cast<sockaddr*>(&address), &length) == 0 &&
            address.sin_family == AF_INET) {
            const std::uint32_t local = ntohl(address.sin_addr.s_addr);
            if (local != INADDR_ANY && !IsLoopbackIPv4(local))
                return FormatIPv4(local);
        }
    }
    return LocalIPv4Address();
}

std::optional<std::uint32_t> OfferNumberOf(const std::string& dotted)
{
    in_addr address{};
    if (::inet_pton(AF_INET, dotted.c_str(), &address) != 1)
        return std::nullopt;
    return ntohl(address.s_addr);
}

} // namespace pell::net
