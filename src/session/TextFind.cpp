#include "session/TextFind.h"

namespace pell::session {

namespace {

void foldInPlace(std::string& folded)
{
    for (std::size_t i = 0; i < folded.size(); ++i) {
        const auto byte = static_cast<unsigned char>(folded[i]);
        if (byte >= 'A' && byte <= 'Z') {
            folded[i] = static_cast<char>(byte + 32);
        } else if (byte == 0xC3 && i + 1 < folded.size()) {
            const auto next = static_cast<unsigned char>(folded[i + 1]);
            if (next >= 0x80 && next <= 0x9E && next != 0x97) // À to Þ, but not ×
                folded[i + 1] = static_cast<char>(next + 0x20);
            ++i;
        }
    }
}

} // namespace

std::string FoldForSearch(std::string_view text)
{
    std::string folded(text);
    foldInPlace(folded);
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
        folded_.assign(text.ShownText(index));
        foldInPlace(folded_);
        const std::size_t from = step == 0 ? column : backwards ? std::string::npos : 0;
        const std::size_t at = backwards ? folded_.rfind(needle_, from) : folded_.find(needle_, from);
        if (at != std::string::npos)
            return TextMatch{index, at, needle_.size()};
    }
    return std::nullopt;
}

} // namespace pell::session
