#include "session/WebLinks.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace pell::session {

namespace {

bool startsWithNoCase(std::string_view text, std::size_t at, std::string_view word)
{
    if (text.size() - at < word.size())
        return false;
    for (std::size_t i = 0; i < word.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[at + i])) != word[i])
            return false;
    return true;
}

// A marker glued to a word or to another scheme ("xhttp://", "file://www.",
// "javascript:http://") is not the start of an address. A colon after anything but a
// scheme name is fine: lines read "<nick>:http://...".
bool mayStartHere(std::string_view text, std::size_t at)
{
    if (at == 0)
        return true;
    const auto before = static_cast<unsigned char>(text[at - 1]);
    if (std::isalnum(before) || before >= 0x80)
        return false;
    if (before == ':') {
        const std::size_t colon = at - 1;
        std::size_t word = colon;
        while (word > 0 && (std::isalnum(static_cast<unsigned char>(text[word - 1]))
                            || std::string_view("+.-").find(text[word - 1]) != std::string_view::npos))
            --word;
        return word == colon;
    }
    return std::string_view("/.@-_+%~\\").find(static_cast<char>(before)) == std::string_view::npos;
}

bool endsAddress(unsigned char c)
{
    return c <= ' ' || c == 0x7F || c == '"' || c == '\'' || c == '<' || c == '>' || c == '`';
}

// Drops what a sentence puts after an address: "see http://a.org." or "(http://a.org)".
std::size_t trimTail(std::string_view address)
{
    std::size_t end = address.size();
    while (end > 0) {
        const char last = address[end - 1];
        if (std::string_view(".,;:!?").find(last) != std::string_view::npos) {
            --end;
            continue;
        }
        if (last == ')') {
            const auto body = address.substr(0, end);
            const auto opens = std::count(body.begin(), body.end(), '(');
            const auto closes = std::count(body.begin(), body.end(), ')');
            if (closes > opens) {
                --end;
                continue;
            }
        }
        break;
    }
    return end;
}

} // namespace

std::vector<WebLink> FindWebLinks(std::string_view text)
{
    std::vector<WebLink> links;
    std::size_t at = 0;
    while (at < text.size()) {
        const LinkMarker* found = nullptr;
        if (mayStartHere(text, at))
            for (const auto& marker : LinkMarkers)
                if (startsWithNoCase(text, at, marker.Text)) {
                    found = &marker;
                    break;
                }
        if (!found) {
            ++at;
            continue;
        }
        std::size_t end = at + found->Text.size();
        while (end < text.size() && !endsAddress(static_cast<unsigned char>(text[end])))
            ++end;
        const std::size_t length = trimTail(text.substr(at, end - at));
        // A marker with nothing usable after it is just a word.
        if (length <= found->Text.size()) {
            at += found->Text.size();
            continue;
        }
        std::string address(text.substr(at, length));
        links.push_back({at, length, found->NeedsHttp ? "http://" + address : address});
        at += length;
    }
    return links;
}

} // namespace pell::session
