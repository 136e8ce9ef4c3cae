#pragma once

#include <cstdint>
#include <string>

namespace pell::net {

// The IPv4 address of a dotted address or a host name (the first one the resolver
// gives), in host byte order. Throws a socket TransportError when there is none.
std::uint32_t ResolveIPv4(const std::string& host);

// "a.b.c.d" of an address in host byte order.
std::string FormatIPv4(std::uint32_t address);

// The first non-loopback IPv4 address of the machine's interfaces, dotted;
// "127.0.0.1" when there is none.
std::string LocalIPv4Address();

} // namespace pell::net
