#include "dcc/DccNumbers.h"

#include "net/Resolver.h"

#include <arpa/inet.h>
#include <netinet/in.h>

namespace pell::dcc {

namespace {

bool allDigits(std::string_view text)
{
    if (text.empty())
        return false;
    for (char c : text)
        if (c < '0' || c > '9')
            return false;
    return true;
}

} // namespace

std::optional<int> ReadOfferPort(std::string_view text)
{
    if (!allDigits(text) || text.size() > 5)
        return std::nullopt;
    int port = 0;
    for (char c : text)
        port = port * 10 + (c - '0');
    if (port < 1 || port > 65535)
        return std::nullopt;
    return port;
}

std::optional<std::uint32_t> ReadOfferAddress(std::string_view text)
{
    const bool negative = !text.empty() && text.front() == '-';
    if (negative)
        text.remove_prefix(1);
    std::string_view fraction;
    if (const auto dot = text.find('.'); dot != std::string_view::npos) {
        fraction = text.substr(dot + 1);
        text = text.substr(0, dot);
        if (!fraction.empty() && !allDigits(fraction))
            return std::nullopt;
    }
    if (!allDigits(text))
        return std::nullopt;
    // Unsigned arithmetic wraps, which is the modulo wanted, however long the text.
    std::uint32_t value = 0;
    for (char c : text)
        value = value * 10u + static_cast<std::uint32_t>(c - '0');
    return negative ? 0u - value : value;
}

std::optional<std::string> DottedFromOffer(std::string_view text)
{
    const auto value = ReadOfferAddress(text);
    if (!value)
        return std::nullopt;
    return net::FormatIPv4(*value);
}

bool NamesNoPeer(std::string_view dotted)
{
    return dotted == "0.0.0.0" || dotted == "255.255.255.255" || dotted == "::";
}

std::optional<std::string> HostFromOffer(std::string_view text)
{
    if (text.find(':') == std::string_view::npos)
        return DottedFromOffer(text);
    in6_addr address{};
    if (text.size() >= INET6_ADDRSTRLEN || text.find('\0') != std::string_view::npos ||
        ::inet_pton(AF_INET6, std::string(text).c_str(), &address) != 1)
        return std::nullopt;
    char shortForm[INET6_ADDRSTRLEN];
    return std::string(::inet_ntop(AF_INET6, &address, shortForm, sizeof shortForm));
}

std::uint64_t ReadOfferSize(std::string_view text)
{
    if (!allDigits(text))
        return 0;
    std::uint64_t size = 0;
    for (char c : text) {
        const auto digit = static_cast<std::uint64_t>(c - '0');
        if (size > (UINT64_MAX - digit) / 10)
            return 0;
        size = size * 10 + digit;
    }
    return size;
}

std::array<unsigned char, 4> EncodeAck(std::uint64_t stored)
{
    const auto low = static_cast<std::uint32_t>(stored);
    return {static_cast<unsigned char>(low >> 24), static_cast<unsigned char>(low >> 16),
            static_cast<unsigned char>(low >> 8), static_cast<unsigned char>(low)};
}

std::uint32_t DecodeAck(const unsigned char* bytes)
{
    return (std::uint32_t(bytes[0]) << 24) | (std::uint32_t(bytes[1]) << 16) | (std::uint32_t(bytes[2]) << 8) |
           std::uint32_t(bytes[3]);
}

} // namespace pell::dcc
