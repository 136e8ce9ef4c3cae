#include "session/FormattedText.h"

#include <algorithm>

namespace pell::session {

std::vector<FormattedLine> FormattedText::ToVector() const
{
    std::vector<FormattedLine> out;
    out.reserve(size());
    for (std::size_t i = 0; i < size(); ++i)
        out.push_back((*this)[i]);
    return out;
}

void FormattedText::Append(const FormattedLine& line)
{
    line.PackInto(packing_);
    lines_.push_back(packing_);
    widest_ = std::max(widest_, line.Text().size());
}

void FormattedText::Clear()
{
    lines_.clear();
    widest_ = 0;
}

} // namespace pell::session
