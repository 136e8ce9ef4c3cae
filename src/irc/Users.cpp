#include "irc/Users.h"

#include "irc/CaseFold.h"

#include <algorithm>

namespace pell::irc {

User* Users::Add(std::string_view nick, std::string_view address)
{
    if (User* user = Get(nick)) {
        if (!address.empty() && user->Address != address)
            user->Address.assign(address);
        ++user->Count;
        return user;
    }
    auto user = std::make_unique<User>();
    user->nick_.assign(nick);
    user->Address.assign(address);
    user->id_ = nextId_++;
    User* raw = user.get();
    users_.push_back(std::move(user));
    byNick_[raw->nick_] = raw;
    return raw;
}

void Users::Remove(User* user)
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

bool Users::Find(std::string_view nick, int& index) const
{
    index = -1;
    User* user = Get(nick);
    if (!user)
        return false;
    const auto it = std::find_if(users_.begin(), users_.end(),
                                 [user](const auto& held) { return held.get() == user; });
    index = static_cast<int>(it - users_.begin());
    return true;
}

User* Users::Get(std::string_view nick) const
{
    const auto found = byNick_.find(nick);
    return found == byNick_.end() ? nullptr : found->second;
}

void Users::Rename(User* user, std::string_view nick)
{
    if (!user)
        return;
    const auto old = byNick_.find(user->nick_);
    if (old != byNick_.end() && old->second == user)
        byNick_.erase(old);
    user->nick_.assign(nick);
    byNick_[user->nick_] = user;
}

void Users::Clear()
{
    byNick_.clear();
    users_.clear();
}

} // namespace pell::irc
