#include "session/InputHistory.h"

namespace pell::session {

void InputHistory::Add(std::string line)
{
    index_ = count();
    lines_.push_back(std::move(line));
}

// After a change of direction the first line shown is the one the old direction
// would have shown next: the index already points past the line last shown.
std::optional<std::string> InputHistory::Back()
{
    if (lines_.empty())
        return std::nullopt;
    if (index_ < 0)
        index_ = count() - 1;
    if (index_ >= count())
        index_ = 0;
    return lines_[static_cast<std::size_t>(index_--)];
}

std::optional<std::string> InputHistory::Forward()
{
    if (lines_.empty())
        return std::nullopt;
    if (index_ >= count())
        index_ = 0;
    if (index_ < 0)
        index_ = count() - 1;
    return lines_[static_cast<std::size_t>(index_++)];
}

} // namespace pell::session
