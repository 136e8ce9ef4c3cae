#pragma once

#include "settings/AppSettings.h"

#include <string>
#include <string_view>
#include <unordered_map>

namespace pell::session {

// What the server told about other users beyond their nicks: who is away (away-notify)
// and who is logged in to which account (account-notify, extended-join). Nick lists
// grey out the away and show both as a tip. Nicks are compared without regard to case.
class MemberStatus {
public:
    explicit MemberStatus(const settings::AppSettings& settings) : settings_(settings) {}

    void SetAway(std::string_view nick, bool away, std::string_view reason);
    void SetAccount(std::string_view nick, std::string_view account);
    void Rename(std::string_view oldNick, std::string_view newNick);
    void Forget(std::string_view nick);
    void Clear() { members_.clear(); }

    // For a nick-list entry too: its leading prefix symbols (those the server announced)
    // are passed over.
    bool Away(std::string_view entry, std::string_view symbols = "@+") const;
    // "Account: bob\nAway: lunch" with whatever is known, in the language of the
    // settings; empty when nothing is.
    std::string Describe(std::string_view entry, std::string_view symbols = "@+") const;

private:
    struct Member {
        bool away = false;
        std::string reason;
        std::string account;
    };
    const Member* find(std::string_view entry, std::string_view symbols) const;
    static std::string key(std::string_view nick);

    const settings::AppSettings& settings_;
    std::unordered_map<std::string, Member> members_;
};

} // namespace pell::session
