#include "irc/TIdIRCUsers.h"

#include "irc/CaseFold.h"

#include <algorithm>

namespace pell::irc {

TIdIRCUser* TIdIRCUsers::Add(std::string_view nick, std::string_view address)
{
    if (TIdIRCUser* user = Get(nick)) {
        if (!address.empty() && user->Address != address)
            user->Address.assign(address);
        ++user->Count;
        return user;
    }
    auto user = std::make_unique<TIdIRCUser>();
    user->Client = client_;
    user->nick_.assign(nick);
    user->Address.assign(address);
    user->id_ = nextId_++;
    TIdIRCUser* raw = user.get();
    users_.push_back(std::move(user));
    byNick_[raw->nick_] = raw;
    return raw;
}

void TIdIRCUsers::Remove(TIdIRCUser* user)
{
    if (!user)
        return;
    if (--user->Count > 0)
        return;
    const auto found = byNick_.find(user->nick_);
    if (found != byNick_.end() && found->second == user)
        byNick_.erase(found);
    // From the back: the records that come and go (the sender of a single line, a
    // kicked user) are nearly always the newest, so this is constant time for them.
    const auto it = std::find_if(users_.rbegin(), users_.rend(),
                                 [user](const auto& held) { return held.get() == user; });
    if (it != users_.rend())
        users_.erase(std::next(it).base());
}

bool TIdIRCUsers::Find(std::string_view nick, int& index) const
{
    index = -1;
    TIdIRCUser* user = Get(nick);
    if (!user)
        return false;
    const auto it = std::find_if(users_.begin(), users_.end(),
                                 [user](const auto& held) { return held.get() == user; });
    index = static_cast<int>(it - users_.begin());
    return true;
}

TIdIRCUser* TIdIRCUsers::Get(std::string_view nick) const
{
    const auto found = byNick_.find(nick);
    return found == byNick_.end() ? nullptr : found->second;
}

void TIdIRCUsers::Rename(TIdIRCUser* user, std::string_view nick)
{
    if (!user)
        return;
    const auto old = byNick_.find(user->nick_);
    if (old != byNick_.end() && old->second == user)
        byNick_.erase(old);
    user->nick_.assign(nick);
    byNick_[user->nick_] = user;
}

void TIdIRCUsers::Clear()
{
    byNick_.clear();
    users_.clear();
}

} // namespace pell::irc
