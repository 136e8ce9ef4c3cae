#include "app/LinkPolicy.h"

#include "session/WebLinks.h"

#include <algorithm>
#include <cctype>

namespace pell::app {

namespace {

bool startsWithNoCase(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size()
        && std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
           });
}

bool hasControlOrBlank(std::string_view text)
{
    return std::any_of(text.begin(), text.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte <= 0x20 || byte == 0x7f;
    });
}

} // namespace

std::optional<std::string> openableUrl(std::string_view address)
{
    if (hasControlOrBlank(address))
        return std::nullopt;
    for (const auto& marker : session::LinkMarkers)
        if (startsWithNoCase(address, marker.Text) && address.size() > marker.Text.size())
            return marker.NeedsHttp ? "http://" + std::string(address) : std::string(address);
    return std::nullopt;
}

} // namespace pell::app
