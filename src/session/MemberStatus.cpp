#include "session/MemberStatus.h"

#include "session/NickPrefix.h"

#include <algorithm>

namespace pell::session {

std::string MemberStatus::key(std::string_view nick)
{
    std::string folded(nick);
    std::transform(folded.begin(), folded.end(), folded.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    return folded;
}

const MemberStatus::Member* MemberStatus::find(std::string_view entry, std::string_view symbols) const
{
    const auto found = members_.find(key(StripNickPrefix(entry, symbols)));
    return found == members_.end() ? nullptr : &found->second;
}

void MemberStatus::SetAway(std::string_view nick, bool away, std::string_view reason)
{
    Member& member = members_[key(nick)];
    member.away = away;
    member.reason = away ? std::string(reason) : std::string();
}

void MemberStatus::SetAccount(std::string_view nick, std::string_view account)
{
    members_[key(nick)].account = account;
}

void MemberStatus::Rename(std::string_view oldNick, std::string_view newNick)
{
    const auto found = members_.find(key(oldNick));
    if (found == members_.end())
        return;
    Member member = std::move(found->second);
    members_.erase(found);
    members_[key(newNick)] = std::move(member);
}

void MemberStatus::Forget(std::string_view nick)
{
    members_.erase(key(nick));
}

bool MemberStatus::Away(std::string_view entry, std::string_view symbols) const
{
    const Member* member = find(entry, symbols);
    return member && member->away;
}

std::string MemberStatus::Describe(std::string_view entry, std::string_view symbols) const
{
    const Member* member = find(entry, symbols);
    const bool german = settings_.Language == settings::Language::German;
    std::string text;
    if (member && !member->account.empty())
        text += (german ? "Konto: " : "Account: ") + member->account;
    if (member && member->away)
        text += (text.empty() ? "" : "\n") + std::string(german ? "Abwesend: " : "Away: ") + member->reason;
    return text;
}

} // namespace pell::session
