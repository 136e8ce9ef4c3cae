#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <sys/socket.h>

namespace pell::net {

// The IPv4 address of a dotted address or a host name (the first one the resolver
// gives), in host byte order. Throws a socket TransportError when there is none.
std::uint32_t ResolveIPv4(const std::string& host);

// "a.b.c.d" of an address in host byte order.
std::string FormatIPv4(std::uint32_t address);

// The first non-loopback IPv4 address of the machine's interfaces, dotted;
// "127.0.0.1" when there is none.
std::string LocalIPv4Address();

// One address of either family with its port, ready for connect or bind.
struct SocketAddress {
    sockaddr_storage storage{};
    socklen_t length = 0;

    int family() const { return storage.ss_family; }
    const sockaddr* get() const { return reinterpret_cast<const sockaddr*>(&storage); }
};

// Every address of a host name, dotted address or IPv6 address (brackets allowed), of
// both families, in the order the resolver prefers, each with the port. Throws a socket
// TransportError when there is none.
std::vector<SocketAddress> ResolveAll(const std::string& host, int port);

// Dotted text for IPv4 (also when mapped into IPv6), the short text form for IPv6;
// empty for anything else.
std::string FormatAddress(const sockaddr* address);
// The far end of a connected socket as "host:port" ("[v6]:port" for IPv6); "?" when
// the system cannot tell.
std::string PeerOf(int socket);

// "::1" of "[::1]"; any other text as it is.
std::string WithoutBrackets(std::string_view host);

// True for an IPv6 address in text form, with or without brackets.
bool IsIPv6Address(std::string_view host);
// True for a dotted IPv4 address or an IPv6 address: no name to look up or send as SNI.
bool IsAddressLiteral(std::string_view host);

} // namespace pell::net
