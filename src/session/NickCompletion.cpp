#include "session/NickCompletion.h"

#include "irc/CaseFold.h"

#include <algorithm>

namespace pell::session {

CaseMapping CaseMappingNamed(std::string_view name)
{
    if (irc::sameTextIgnoringCase(name, "ascii"))
        return CaseMapping::Ascii;
    if (irc::sameTextIgnoringCase(name, "strict-rfc1459"))
        return CaseMapping::StrictRfc1459;
    return CaseMapping::Rfc1459;
}

std::string FoldWith(CaseMapping mapping, std::string_view text)
{
    std::string folded = irc::foldCase(text);
    if (mapping == CaseMapping::Ascii)
        return folded;
    for (char& c : folded) {
        if (c == '[' || c == ']' || c == '\\')
            c = static_cast<char>(c + 32); // "{", "}", "|"
        else if (c == '~' && mapping == CaseMapping::Rfc1459)
            c = '^';
    }
    return folded;
}

void RecentSpeakers::Spoke(std::string_view where, std::string_view nick)
{
    const std::string place = irc::foldCase(where);
    auto found = byPlace_.find(place);
    if (found == byPlace_.end())
        found = byPlace_.emplace(place, std::deque<std::string>{}).first;
    std::deque<std::string>& nicks = found->second;
    std::erase(nicks, nick);
    nicks.emplace_front(nick);
    if (nicks.size() > Kept)
        nicks.pop_back();
}

const std::deque<std::string>& RecentSpeakers::In(std::string_view where) const
{
    static const std::deque<std::string> none;
    const auto found = byPlace_.find(irc::foldCase(where));
    return found == byPlace_.end() ? none : found->second;
}

std::optional<NickCompletion::Result> NickCompletion::Complete(const std::string& line, std::size_t cursor,
                                                              bool backwards, const Candidates& candidates)
{
    if (cycling_ && line == last_.Text && cursor == last_.Cursor) {
        const std::size_t count = matches_.size();
        index_ = backwards ? (index_ + count - 1) % count : (index_ + 1) % count;
        last_ = build();
        return last_;
    }
    cycling_ = false;
    cursor = std::min(cursor, line.size());
    if (cursor == 0)
        return std::nullopt;
    const std::size_t blank = line.rfind(' ', cursor - 1);
    const std::size_t start = blank == std::string::npos ? 0 : blank + 1;
    const std::string word = line.substr(start, cursor - start);
    if (word.empty() || !candidates)
        return std::nullopt;
    const bool channels = word.front() == '#';
    const std::string prefix = FoldWith(Mapping, word);
    matches_.clear();
    for (std::string& candidate : candidates(channels)) {
        const bool fits = FoldWith(Mapping, candidate).starts_with(prefix);
        if (fits && std::find(matches_.begin(), matches_.end(), candidate) == matches_.end())
            matches_.push_back(std::move(candidate));
    }
    if (matches_.empty())
        return std::nullopt;
    before_ = line.substr(0, start);
    after_ = line.substr(cursor);
    nickAtStart_ = start == 0 && !channels;
    index_ = backwards ? matches_.size() - 1 : 0;
    cycling_ = true;
    last_ = build();
    return last_;
}

// The word, then ": " or a blank unless the rest of the line already starts with one.
NickCompletion::Result NickCompletion::build() const
{
    std::string text = before_ + matches_[index_];
    if (nickAtStart_)
        text += ':';
    if (!after_.starts_with(' '))
        text += ' ';
    Result result{text + after_, text.size()};
    return result;
}

} // namespace pell::session
