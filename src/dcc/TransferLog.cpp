#include "dcc/TransferLog.h"

namespace pell::dcc {

void TransferLog::Append(std::string line)
{
    last_ = line;
    lines_.push_back(std::move(line));
    if (lines_.size() > MaxLines)
        lines_.pop_front();
}

} // namespace pell::dcc
