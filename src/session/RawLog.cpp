#include "session/RawLog.h"

namespace pell::session {

void RawLog::AppendSelected(std::string entry)
{
    entries_.push_back(std::move(entry));
    selected_ = static_cast<int>(entries_.size()) - 1;
}

} // namespace pell::session
