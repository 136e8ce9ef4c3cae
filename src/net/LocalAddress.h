#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace pell::net {

// The address a peer can reach us at, for an offer: the local end of our own IRC
// connection, IPv4 or IPv6 (the host name often resolves to 127.0.1.1, which reaches
// nobody); the machine's first non-loopback IPv4 address when that connection runs
// through a proxy, is not open, or is itself on loopback (a local bouncer, stunnel or an
// SSH forward); "127.0.0.1" when there is none.
std::string LocalAddressOf(int ircSocket, bool throughProxy);

// 127.0.0.0/8, in host byte order.
bool IsLoopbackIPv4(std::uint32_t address);

// The offer number of a dotted address (a·2^24 + b·2^16 + c·2^8 + d).
std::optional<std::uint32_t> OfferNumberOf(const std::string& dotted);

// The address word of a DCC offer: the offer number of a dotted address, an IPv6
// address as its text (as peers that connect over IPv6 read it), 127.0.0.1's number
// for anything else.
std::string OfferAddressOf(const std::string& address);

} // namespace pell::net
