#pragma once

#include <optional>
#include <string>
#include <vector>

namespace pell::session {

// Every line the user submitted, in order, empty ones included, and the browse
// position of Up and Down. Browsing wraps at both ends.
class InputHistory {
public:
    const std::vector<std::string>& Lines() const { return lines_; }
    int Index() const { return index_; }

    // The position moves to the new line, so Up and Down both show it first.
    void Add(std::string line);
    // The line to show for Up and Down; nothing while the history is empty.
    std::optional<std::string> Back();
    std::optional<std::string> Forward();

private:
    int count() const { return static_cast<int>(lines_.size()); }

    std::vector<std::string> lines_;
    int index_ = 0;
};

} // namespace pell::session
