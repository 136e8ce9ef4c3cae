#include "session/Utf8Text.h"

namespace pell::session {

std::size_t Utf8SequenceAt(std::string_view bytes, std::size_t at)
{
    const auto lead = static_cast<unsigned char>(bytes[at]);
    if (lead < 0x80)
        return 1;
    std::size_t follow;
    char32_t least;
    if ((lead & 0xE0) == 0xC0)
        follow = 1, least = 0x80;
    else if ((lead & 0xF0) == 0xE0)
        follow = 2, least = 0x800;
    else if ((lead & 0xF8) == 0xF0)
        follow = 3, least = 0x10000;
    else
        return 0;
    if (at + follow >= bytes.size())
        return 0;
    char32_t code = lead & (0x3F >> follow);
    for (std::size_t k = 1; k <= follow; ++k) {
        const auto next = static_cast<unsigned char>(bytes[at + k]);
        if ((next & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (next & 0x3F);
    }
    // Overlong forms, surrogates and values past Unicode are not characters.
    if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    return follow + 1;
}

bool IsValidUtf8(std::string_view bytes)
{
    for (std::size_t i = 0; i < bytes.size();) {
        const std::size_t length = Utf8SequenceAt(bytes, i);
        if (length == 0)
            return false;
        i += length;
    }
    return true;
}

std::u32string DecodeText(std::string_view bytes)
{
    std::u32string text;
    text.reserve(bytes.size());
    ForEachCharacter(bytes, [&](char32_t code, std::size_t, std::size_t) { text.push_back(code); });
    return text;
}

} // namespace pell::session
