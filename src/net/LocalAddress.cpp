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
        sockaddr_storage address{};
        socklen_t length = sizeof address;
        if (::getsockname(ircSocket, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
            const std::string text = FormatAddress(reinterpret_cast<const sockaddr*>(&address));
            const bool loopback = address.ss_family == AF_INET
                                      ? IsLoopbackIPv4(ntohl(reinterpret_cast<const sockaddr_in*>(&address)->sin_addr.s_addr))
                                      : text == "::1";
            if (!text.empty() && text != "0.0.0.0" && text != "::" && !loopback)
                return text;
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

std::string OfferAddressOf(const std::string& address)
{
    if (IsIPv6Address(address))
        return WithoutBrackets(address);
    return std::to_string(OfferNumberOf(address).value_or(0x7f000001u));
}

} // namespace pell::net
