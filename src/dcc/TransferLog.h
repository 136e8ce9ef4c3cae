#pragma once

#include <cstddef>
#include <deque>
#include <string>

namespace pell::dcc {

// The status lines of a transfer window. A large file writes several lines per 4 KB,
// so only the most recent lines are kept.
class TransferLog {
public:
    static constexpr std::size_t MaxLines = 1000;

    void Append(std::string line);
    const std::deque<std::string>& Lines() const { return lines_; }
    // The latest line; empty before the first.
    const std::string& Last() const { return last_; }

private:
    std::deque<std::string> lines_;
    std::string last_;
};

} // namespace pell::dcc
