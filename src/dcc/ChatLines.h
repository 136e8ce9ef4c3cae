#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <string>

namespace pell::dcc {

// The text area of a chat window: "<nick> text" lines, the most recent kept, and hooks
// for the view. A partner decides what it sends, so the window is bounded in lines and
// in bytes, and a very long line is cut for display. GUI thread only.
class ChatLines {
public:
    static constexpr std::size_t MaxLines = 10000;
    static constexpr std::size_t MaxBytes = 4 << 20;
    static constexpr std::size_t MaxLineBytes = 2048; // longer lines are shown cut, with "…"

    void Add(const std::string& nick, const std::string& text);
    // A line that is not a chat line (where a partner connected from, say).
    void AddNote(const std::string& text);
    const std::deque<std::string>& Lines() const { return lines_; }
    std::size_t Bytes() const { return bytes_; }

    std::function<void(const std::string&)> LineAdded;
    // The oldest lines went, this many; the view drops them too.
    std::function<void(std::size_t)> LinesDropped;

private:
    std::deque<std::string> lines_;
    std::size_t bytes_ = 0;
};

} // namespace pell::dcc
