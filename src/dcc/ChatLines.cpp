#include "dcc/ChatLines.h"

namespace pell::dcc {

namespace {

// The text cut to at most `limit` bytes, not inside a UTF-8 sequence, marked as cut.
std::string cut(const std::string& text, std::size_t limit)
{
    if (text.size() <= limit)
        return text;
    std::size_t end = limit;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    return text.substr(0, end) + "\xE2\x80\xA6"; // "…"
}

} // namespace

void ChatLines::Add(const std::string& nick, const std::string& text)
{
    AddNote("<" + nick + "> " + text);
}

void ChatLines::AddNote(const std::string& text)
{
    std::size_t dropped = 0;
    std::string line = cut(text, MaxLineBytes);
    while (!lines_.empty() && (lines_.size() >= MaxLines || bytes_ + line.size() > MaxBytes)) {
        bytes_ -= lines_.front().size();
        lines_.pop_front();
        ++dropped;
    }
    if (dropped > 0 && LinesDropped)
        LinesDropped(dropped);
    bytes_ += line.size();
    lines_.push_back(std::move(line));
    if (LineAdded)
        LineAdded(lines_.back());
}

} // namespace pell::dcc
