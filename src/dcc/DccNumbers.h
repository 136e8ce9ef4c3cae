#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace pell::dcc {

// The numbers of a DCC offer, read strictly: they come from a peer.

// A port of 1 to 65535 in plain decimal; anything else is not a port.
std::optional<int> ReadOfferPort(std::string_view text);

// The address number: an optional "-" and decimal digits, a fraction after "." dropped,
// taken modulo 2^32 (so negative numbers give the same 32 bits). "inf", "1e5", hex and
// the like are not numbers.
std::optional<std::uint32_t> ReadOfferAddress(std::string_view text);

// The dotted form a.b.c.d of an offer's address number; nothing when it is not one.
std::optional<std::string> DottedFromOffer(std::string_view text);

// True for an address that names no peer to connect to (0.0.0.0 or "::", which mean
// "this host" to some systems and nothing to others, and the broadcast address).
bool NamesNoPeer(std::string_view dotted);

// The host to connect to for an offer's address word: the dotted form of an address
// number, or an IPv6 address given as text (offers from IPv6 connections carry it so),
// in its short form; nothing for anything else.
std::optional<std::string> HostFromOffer(std::string_view text);

// The announced size: unsigned decimal; a text that is not one, or does not fit in
// 64 bits, reads as 0.
std::uint64_t ReadOfferSize(std::string_view text);

// The 4-byte acknowledgement of a stored byte count: its low 32 bits, most
// significant byte first.
std::array<unsigned char, 4> EncodeAck(std::uint64_t stored);
std::uint32_t DecodeAck(const unsigned char* bytes);

} // namespace pell::dcc
