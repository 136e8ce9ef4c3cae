#pragma once

#include <string>
#include <string_view>

namespace pell::irc {

// Nicks and channel names compare without regard to case: ASCII letters only.
inline char foldChar(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

inline std::string foldCase(std::string_view text)
{
    std::string folded(text);
    for (char& c : folded)
        c = foldChar(c);
    return folded;
}

inline bool sameTextIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (foldChar(a[i]) != foldChar(b[i]))
            return false;
    return true;
}

} // namespace pell::irc

namespace pell::irc {

// Hash and equality for maps keyed by nick or channel name without regard to case;
// transparent, so a string_view looks up without a copy.
struct FoldHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const
    {
        std::size_t hash = 14695981039346656037ull;
        for (char c : text) {
            hash ^= static_cast<unsigned char>(foldChar(c));
            hash *= 1099511628211ull;
        }
        return hash;
    }
};

struct FoldEqual {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const { return sameTextIgnoringCase(a, b); }
};

} // namespace pell::irc
