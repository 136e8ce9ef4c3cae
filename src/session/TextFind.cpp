#include "session/TextFind.h"

#include <array>

namespace pell::session {

namespace {

constexpr std::array<char, 256> AsciiLower = [] {
    std::array<char, 256> table{};
    for (int byte = 0; byte < 256; ++byte)
        table[static_cast<std::size_t>(byte)] = static_cast<char>(byte >= 'A' && byte <= 'Z' ? byte + 32 : byte);
    return table;
}();

// A table for the ASCII letters, then the rare Latin-1 capitals (C3 80 to C3 9E, but not
// the multiplication sign C3 97): a busy tab is searched a line at a time.
void foldInto(std::string& folded, std::string_view text)
{
    folded.resize(text.size());
    for (std::size_t i = 0; i < text.size(); ++i)
        folded[i] = AsciiLower[static_cast<unsigned char>(text[i])];
    for (auto at = folded.find('\xC3'); at != std::string::npos && at + 1 < folded.size();
         at = folded.find('\xC3', at + 2)) {
        const auto next = static_cast<unsigned char>(folded[at + 1]);
        if (next >= 0x80 && next <= 0x9E && next != 0x97)
            folded[at + 1] = static_cast<char>(next + 0x20);
    }
}

} // namespace

std::string FoldForSearch(std::string_view text)
{
    std::string folded;
    foldInto(folded, text);
    return folded;
}

void TextFind::Clear()
{
    needle_.clear();
    current_.reset();
}

std::optional<TextMatch> TextFind::Search(const FormattedText& text, std::string_view needle)
{
    needle_ = FoldForSearch(needle);
    current_.reset();
    if (needle_.empty() || text.empty())
        return current_;
    current_ = find(text, text.size() - 1, std::string::npos, true);
    return current_;
}

std::optional<TextMatch> TextFind::step(const FormattedText& text, bool backwards)
{
    if (needle_.empty() || text.empty())
        return current_ = std::nullopt;
    if (!current_ || current_->Line >= text.size())
        return Search(text, needle_);
    const TextMatch at = *current_;
    if (backwards)
        current_ = at.Begin > 0 ? find(text, at.Line, at.Begin - 1, true)
                                : find(text, at.Line == 0 ? text.size() - 1 : at.Line - 1, std::string::npos, true);
    else
        current_ = find(text, at.Line, at.Begin + 1, false);
    return current_;
}

std::optional<TextMatch> TextFind::find(const FormattedText& text, std::size_t line, std::size_t column, bool backwards)
{
    const std::size_t count = text.size();
    // Each line once, the first again at the end for what lies past the starting column:
    // nothing there was found at the start.
    for (std::size_t step = 0; step <= count; ++step) {
        const std::size_t index = backwards ? (line + count - step % count) % count : (line + step) % count;
        foldInto(folded_, text.ShownText(index));
        const std::size_t from = step == 0 ? column : backwards ? std::string::npos : 0;
        // A forward look first: it skips to candidates by their first byte, while a
        // backward one compares at every place of the line.
        std::size_t at = folded_.find(needle_, backwards ? 0 : from);
        if (at != std::string::npos && backwards)
            at = at > from ? std::string::npos : folded_.rfind(needle_, from);
        if (at != std::string::npos)
            return TextMatch{index, at, needle_.size()};
    }
    return std::nullopt;
}

} // namespace pell::session
