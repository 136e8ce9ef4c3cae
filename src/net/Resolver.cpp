#include "net/Resolver.h"

#include "net/TransportError.h"

#include <arpa/inet.h>
#include <cstring>
#include <ifaddrs.h>
#include <memory>
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

std::vector<SocketAddress> ResolveAll(const std::string& host, int port)
{
    const std::string name = WithoutBrackets(host);
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC; // both families, whatever the interfaces have
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV;
    addrinfo* found = nullptr;
    const std::string service = std::to_string(port);
    const int rc = getaddrinfo(name.c_str(), service.c_str(), &hints, &found);
    if (rc != 0 || !found)
        throw TransportError::socket(rc, gai_strerror(rc));
    const std::unique_ptr<addrinfo, void (*)(addrinfo*)> owner(found, freeaddrinfo);
    std::vector<SocketAddress> addresses;
    for (const addrinfo* entry = found; entry; entry = entry->ai_next) {
        if ((entry->ai_family != AF_INET && entry->ai_family != AF_INET6) || entry->ai_addrlen > sizeof(sockaddr_storage))
            continue;
        SocketAddress address;
        std::memcpy(&address.storage, entry->ai_addr, entry->ai_addrlen);
        address.length = entry->ai_addrlen;
        addresses.push_back(address);
    }
    if (addresses.empty())
        throw TransportError::socket(EAI_ADDRFAMILY, gai_strerror(EAI_ADDRFAMILY));
    return addresses;
}

std::string FormatAddress(const sockaddr* address)
{
    char text[INET6_ADDRSTRLEN] = {};
    if (address->sa_family == AF_INET) {
        const auto* v4 = reinterpret_cast<const sockaddr_in*>(address);
        return FormatIPv4(ntohl(v4->sin_addr.s_addr));
    }
    if (address->sa_family != AF_INET6)
        return {};
    const auto* v6 = reinterpret_cast<const sockaddr_in6*>(address);
    if (IN6_IS_ADDR_V4MAPPED(&v6->sin6_addr)) {
        std::uint32_t v4;
        std::memcpy(&v4, &v6->sin6_addr.s6_addr[12], 4);
        return FormatIPv4(ntohl(v4));
    }
    return inet_ntop(AF_INET6, &v6->sin6_addr, text, sizeof text) ? text : "";
}

std::string WithoutBrackets(std::string_view host)
{
    if (host.size() >= 2 && host.front() == '[' && host.back() == ']')
        host = host.substr(1, host.size() - 2);
    return std::string(host);
}

bool IsIPv6Address(std::string_view host)
{
    in6_addr parsed{};
    return inet_pton(AF_INET6, WithoutBrackets(host).c_str(), &parsed) == 1;
}

bool IsAddressLiteral(std::string_view host)
{
    in_addr parsed{};
    return IsIPv6Address(host) || inet_pton(AF_INET, std::string(host).c_str(), &parsed) == 1;
}

std::string PeerOf(int socket)
{
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    if (::getpeername(socket, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        return "?";
    const auto* any = reinterpret_cast<const sockaddr*>(&address);
    // Both families keep the port in the same place.
    const int port = ntohs(reinterpret_cast<const sockaddr_in*>(any)->sin_port);
    const std::string host = FormatAddress(any);
    if (host.empty())
        return "?";
    return (host.find(':') == std::string::npos ? host : "[" + host + "]") + ":" + std::to_string(port);
}

} // namespace pell::net
