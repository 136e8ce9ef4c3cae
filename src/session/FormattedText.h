#pragma once

#include "session/FormattedLine.h"

#include <vector>

namespace pell::session {

// The content of one text tab: it only grows, until "Clear" empties it.
class FormattedText {
public:
    const std::vector<FormattedLine>& Lines() const { return lines_; }
    void Append(FormattedLine line) { lines_.push_back(std::move(line)); }
    void Clear() { lines_.clear(); }

private:
    std::vector<FormattedLine> lines_;
};

} // namespace pell::session
