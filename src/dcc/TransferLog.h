#pragma once

#include "dcc/DccText.h"

#include <cstddef>
#include <deque>
#include <string>
#include <vector>

namespace pell::dcc {

// The status lines of a transfer window. A large file writes several lines per 4 KB,
// so only the most recent lines are kept.
class TransferLog {
public:
    static constexpr std::size_t MaxLines = 1000;

    void Append(std::string line);
    // A batch of lines in the language given; returns them as appended.
    std::vector<std::string> Append(const std::vector<StatusLine>& lines, Language language);
    const std::deque<std::string>& Lines() const { return lines_; }
    // The latest line; empty before the first.
    const std::string& Last() const { return last_; }

private:
    std::deque<std::string> lines_;
    std::string last_;
};

} // namespace pell::dcc
