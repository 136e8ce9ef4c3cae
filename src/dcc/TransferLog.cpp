#include "dcc/TransferLog.h"

namespace pell::dcc {

void TransferLog::Append(std::string line)
{
    last_ = line;
    lines_.push_back(std::move(line));
    if (lines_.size() > MaxLines)
        lines_.pop_front();
}

std::vector<std::string> TransferLog::Append(const std::vector<StatusLine>& lines, Language language)
{
    std::vector<std::string> shown;
    shown.reserve(lines.size());
    for (const StatusLine& line : lines) {
        shown.push_back(line.In(language));
        Append(shown.back());
    }
    return shown;
}

} // namespace pell::dcc
