#include "net/Resolver.h"

#include "net/TransportError.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netdb.h>
#include <netinet/in.h>

namespace pell::net {

std::uint32_t ResolveIPv4(const std::string& host)
{
    in_addr parsed{};
    if (inet_pton(AF_INET, host.c_str(), &parsed) == 1)
        return ntohl(parsed.s_addr);

    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const int rc = getaddrinfo(host.c_str(), nullptr, &hints, &found);
    if (rc != 0 || !found)
        throw TransportError::socket(rc, gai_strerror(rc));
    const auto* address = reinterpret_cast<const sockaddr_in*>(found->ai_addr);
    const std::uint32_t result = ntohl(address->sin_addr.s_addr);
    freeaddrinfo(found);
    return result;
}

std::string FormatIPv4(std::uint32_t address)
{
    return std::to_string((address >> 24) & 0xFF) + "." + std::to_string((address >> 16) & 0xFF) + "."
         + std::to_string((address >> 8) & 0xFF) + "." + std::to_string(address & 0xFF);
}

std::string LocalIPv4Address()
{
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0)
        return "127.0.0.1";
    std::string result = "127.0.0.1";
    for (ifaddrs* entry = list; entry; entry = entry->ifa_next) {
        if (!entry->ifa_addr || entry->ifa_addr->sa_family != AF_INET)
            continue;
        if (entry->ifa_flags & IFF_LOOPBACK)
            continue;
        const auto* address = reinterpret_cast<const sockaddr_in*>(entry->ifa_addr);
        result = FormatIPv4(ntohl(address->sin_addr.s_addr));
        break;
    }
    freeifaddrs(list);
    return result;
}

} // namespace pell::net
