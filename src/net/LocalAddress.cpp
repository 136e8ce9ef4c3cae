#include "net/LocalAddress.h"

#include "net/Resolver.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

namespace pell::net {

std::string LocalAddressOf(int ircSocket, bool throughProxy)
{
    if (!throughProxy && ircSocket >= 0) {
        sockaddr_in address{};
        socklen_t length = sizeof address;
        if (::getsockname(ircSocket, reinterpret_cast<sockaddr*>(&address), &length) == 0 &&
            address.sin_family == AF_INET && address.sin_addr.s_addr != htonl(INADDR_ANY))
            return FormatIPv4(ntohl(address.sin_addr.s_addr));
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
