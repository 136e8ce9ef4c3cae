#include "session/Mentions.h"

#include <algorithm>

namespace pell::session {

namespace {

// Characters a nick may hold: around a word they join it to its neighbours.
bool isNickCharacter(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') || u >= 0x80
           || std::string_view("[]\\`_^{|}-").find(c) != std::string_view::npos;
}

bool containsWord(std::string_view folded, std::string_view word)
{
    if (word.empty())
        return false;
    for (std::size_t at = folded.find(word); at != std::string_view::npos; at = folded.find(word, at + 1)) {
        const bool startsWord = at == 0 || !isNickCharacter(folded[at - 1]);
        const std::size_t end = at + word.size();
        const bool endsWord = end == folded.size() || !isNickCharacter(folded[end]);
        if (startsWord && endsWord)
            return true;
    }
    return false;
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

} // namespace

std::string WithoutFormatting(std::string_view text)
{
    std::string plain;
    plain.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\x03') {
            // Up to two digits of foreground, then a comma and up to two of background.
            std::size_t k = i + 1;
            for (int n = 0; n < 2 && k < text.size() && isDigit(text[k]); ++n)
                ++k;
            if (k > i + 1 && k + 1 < text.size() && text[k] == ',' && isDigit(text[k + 1])) {
                k += 2;
                if (k < text.size() && isDigit(text[k]))
                    ++k;
            }
            i = k - 1;
        } else if (c != '\x02' && c != '\x0f' && c != '\x16' && c != '\x1d' && c != '\x1f') {
            plain += c;
        }
    }
    return plain;
}

bool NamesMe(std::string_view text, std::string_view nick, std::string_view extraWords, CaseMapping mapping)
{
    const std::string folded = FoldWith(mapping, WithoutFormatting(text));
    if (containsWord(folded, FoldWith(mapping, nick)))
        return true;
    const std::string words = FoldWith(mapping, extraWords);
    std::size_t start = 0;
    while (start < words.size()) {
        const std::size_t end = std::min(words.find_first_of(" ,", start), words.size());
        if (containsWord(folded, std::string_view(words).substr(start, end - start)))
            return true;
        start = end + 1;
    }
    return false;
}

} // namespace pell::session
