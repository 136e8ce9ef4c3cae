#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <string>

namespace pell::dcc {

// The text area of a chat window: "<nick> text" lines, the most recent kept, and a
// hook for the view. GUI thread only.
class ChatLines {
public:
    static constexpr std::size_t MaxLines = 10000;

    void Add(const std::string& nick, const std::string& text);
    // A line that is not a chat line (where a partner connected from, say).
    void AddNote(const std::string& text);
    const std::deque<std::string>& Lines() const { return lines_; }

    std::function<void(const std::string&)> LineAdded;

private:
    std::deque<std::string> lines_;
};

} // namespace pell::dcc
