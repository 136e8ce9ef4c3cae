#include "session/FormattedLine.h"

namespace pell::session {

std::string FormattedLine::PlainText() const
{
    std::string text;
    for (const auto& run : Runs)
        text += run.Text;
    return text;
}

} // namespace pell::session
