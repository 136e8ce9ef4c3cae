#pragma once

#include "session/FormattedText.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace pell::session {

// A place found in a tab's text: the line and the bytes of its shown text.
struct TextMatch {
    std::size_t Line = 0;
    std::size_t Begin = 0;
    std::size_t Length = 0;

    bool operator==(const TextMatch&) const = default;
};

// The text folded for a search without regard to case: ASCII letters, and the Latin-1
// letters of UTF-8 text (so "Ä" finds "ä").
std::string FoldForSearch(std::string_view text);

// The find bar's search over one tab's text, every stored line included. Typing searches
// from the newest line up; Previous goes to older lines, Next to newer ones, each wrapping
// around once.
class TextFind {
public:
    std::optional<TextMatch> Search(const FormattedText& text, std::string_view needle);
    std::optional<TextMatch> Previous(const FormattedText& text) { return step(text, true); }
    std::optional<TextMatch> Next(const FormattedText& text) { return step(text, false); }
    const std::optional<TextMatch>& Current() const { return current_; }
    void Clear();

private:
    std::optional<TextMatch> step(const FormattedText& text, bool backwards);
    // The first match at or before (backwards) / at or after the place, wrapping once.
    std::optional<TextMatch> find(const FormattedText& text, std::size_t line, std::size_t column, bool backwards);

    std::string needle_; // folded
    std::optional<TextMatch> current_;
    std::string folded_; // reused for each line
};

} // namespace pell::session
