#pragma once

#include "session/FormattedLine.h"
#include "session/StringList.h"

#include <string>
#include <vector>

namespace pell::session {

// The content of one text tab: it only grows, until "Clear" empties it. A busy channel
// writes hundreds of thousands of lines and every one is kept, so the lines are packed
// into an arena (older blocks compressed) and unpacked only when read; the view reads
// just the lines it shows.
class FormattedText {
public:
    FormattedText() = default;
    explicit FormattedText(std::shared_ptr<StringArena> arena) : lines_(std::move(arena)) {}

    std::size_t size() const { return lines_.size(); }
    bool empty() const { return lines_.empty(); }
    FormattedLine operator[](std::size_t index) const { return FormattedLine::Unpack(lines_[index]); }
    FormattedLine back() const { return (*this)[size() - 1]; }
    // The shown bytes of a line without unpacking it; valid until the next read.
    std::string_view ShownText(std::size_t index) const { return FormattedLine::ShownTextOfPacked(lines_[index]); }
    std::vector<FormattedLine> ToVector() const;
    // Bytes of the longest line's text.
    std::size_t WidestText() const { return widest_; }

    void Append(const FormattedLine& line);
    void Clear();

private:
    StringList lines_;
    std::size_t widest_ = 0;
    std::string packing_; // reused, so appending allocates nothing per line
};

} // namespace pell::session
