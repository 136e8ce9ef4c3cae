#include "settings/TemplateStore.h"

#include <algorithm>
#include <clocale>
#include <locale.h>
#include <wctype.h>

namespace pell::settings {

namespace {

// The length of the valid UTF-8 sequence at `at`, or 0 when the byte starts none.
std::size_t sequenceAt(std::string_view text, std::size_t at, char32_t& code)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    const std::size_t length = lead >= 0xF0 && lead <= 0xF4 ? 4
                               : lead >= 0xE0 && lead < 0xF0 ? 3
                               : lead >= 0xC2 && lead < 0xE0 ? 2
                                                             : 0;
    if (length == 0 || at + length > text.size())
        return 0;
    code = lead & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (byte(at + i) & 0x3F);
    }
    const bool overlong = (length == 3 && code < 0x800) || (length == 4 && code < 0x10000);
    const bool outside = code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF);
    return overlong || outside ? 0 : length;
}

// A name as a sequence to compare: each character in lower case (C.UTF-8's mapping),
// each byte that is no part of UTF-8 as a value of its own above every character.
std::u32string folded(std::string_view name)
{
    static const locale_t utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
    std::u32string out;
    for (std::size_t at = 0; at < name.size();) {
        char32_t code = 0;
        const std::size_t length = sequenceAt(name, at, code);
        if (length == 0) {
            const auto byte = static_cast<unsigned char>(name[at++]);
            out += byte < 0x80 ? static_cast<char32_t>(byte >= 'A' && byte <= 'Z' ? byte + 32 : byte)
                               : static_cast<char32_t>(0x110000 + byte);
            continue;
        }
        out += utf8 ? static_cast<char32_t>(towlower_l(static_cast<wint_t>(code), utf8)) : code;
        at += length;
    }
    return out;
}

} // namespace

bool TemplateStore::SameName(std::string_view a, std::string_view b)
{
    return folded(a) == folded(b);
}

std::vector<std::string> TemplateStore::names() const
{
    std::vector<std::string> result;
    for (std::size_t i = 1; i < lines_.size(); ++i)
        if (lines_[i - 1] == Marker)
            result.push_back(lines_[i]);
    return result;
}

std::vector<std::string> TemplateStore::sortedNames() const
{
    const auto all = names();
    std::vector<std::pair<std::u32string, std::size_t>> keys;
    keys.reserve(all.size());
    for (std::size_t i = 0; i < all.size(); ++i)
        keys.emplace_back(folded(all[i]), i);
    std::stable_sort(keys.begin(), keys.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<std::string> result;
    result.reserve(all.size());
    for (const auto& key : keys)
        result.push_back(all[key.second]);
    return result;
}

std::optional<std::size_t> TemplateStore::find(const std::string& name) const
{
    for (std::size_t i = 1; i < lines_.size(); ++i)
        if (lines_[i - 1] == Marker && lines_[i] == name)
            return i;
    return std::nullopt;
}

std::size_t TemplateStore::bodyEnd(std::size_t nameLine) const
{
    std::size_t end = nameLine + 1;
    while (end < lines_.size() && lines_[end] != Marker)
        ++end;
    return end;
}

std::optional<Lines> TemplateStore::body(const std::string& name) const
{
    const auto nameLine = find(name);
    if (!nameLine)
        return std::nullopt;
    const auto first = lines_.begin() + static_cast<std::ptrdiff_t>(*nameLine + 1);
    const auto last = lines_.begin() + static_cast<std::ptrdiff_t>(bodyEnd(*nameLine));
    return Lines(first, last);
}

void TemplateStore::append(const std::string& name, const Lines& body)
{
    lines_.push_back(Marker);
    lines_.push_back(name);
    lines_.insert(lines_.end(), body.begin(), body.end());
}

bool TemplateStore::remove(const std::string& name)
{
    const auto nameLine = find(name);
    if (!nameLine)
        return false;
    // The marker before the name, the name and the body.
    const auto first = lines_.begin() + static_cast<std::ptrdiff_t>(*nameLine - 1);
    const auto last = lines_.begin() + static_cast<std::ptrdiff_t>(bodyEnd(*nameLine));
    lines_.erase(first, last);
    return true;
}

bool TemplateStore::load(const SettingsFolder& folder)
{
    auto lines = folder.read(SettingsFile::Template);
    if (lines)
        lines_ = std::move(*lines);
    return lines.has_value();
}

void TemplateStore::save(const SettingsFolder& folder) const
{
    folder.write(SettingsFile::Template, lines_);
}

} // namespace pell::settings
