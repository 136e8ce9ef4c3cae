#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace pell::session {

// Bytes from the wire and the settings files as characters. Every valid UTF-8 sequence
// is its character and every other byte its Latin-1 character, piece by piece, so a
// line that mixes the program's own UTF-8 texts with a peer's Latin-1 nick keeps both
// readable, and no byte is ever lost.

// Length of the valid UTF-8 sequence that starts at `at` (1 for ASCII), or 0 when the
// byte there does not start one.
std::size_t Utf8SequenceAt(std::string_view bytes, std::size_t at);
bool IsValidUtf8(std::string_view bytes);

// Calls visit(code, firstByte, byteCount) for every character in order.
template <typename Visit> void ForEachCharacter(std::string_view bytes, Visit&& visit)
{
    for (std::size_t i = 0; i < bytes.size();) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        const std::size_t length = lead < 0x80 ? 1 : Utf8SequenceAt(bytes, i);
        if (length <= 1) {
            visit(static_cast<char32_t>(lead), i, std::size_t{1});
            ++i;
            continue;
        }
        char32_t code = lead & (0x3F >> (length - 1));
        for (std::size_t k = 1; k < length; ++k)
            code = (code << 6) | (static_cast<unsigned char>(bytes[i + k]) & 0x3F);
        visit(code, i, length);
        i += length;
    }
}

std::u32string DecodeText(std::string_view bytes);

} // namespace pell::session
