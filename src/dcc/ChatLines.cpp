#include "dcc/ChatLines.h"

namespace pell::dcc {

void ChatLines::Add(const std::string& nick, const std::string& text)
{
    AddNote("<" + nick + "> " + text);
}

void ChatLines::AddNote(const std::string& text)
{
    if (lines_.size() >= MaxLines)
        lines_.pop_front();
    lines_.push_back(text);
    if (LineAdded)
        LineAdded(lines_.back());
}

} // namespace pell::dcc
