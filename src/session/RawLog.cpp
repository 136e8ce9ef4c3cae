#include "session/RawLog.h"

namespace pell::session {

void RawLog::AppendSelected(std::string_view entry)
{
    entries_.push_back(entry);
    selected_ = static_cast<int>(entries_.size()) - 1;
}

} // namespace pell::session
