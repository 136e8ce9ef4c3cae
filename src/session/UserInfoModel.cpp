#include "session/UserInfoModel.h"

#include "irc/User.h"

namespace pell::session {

void UserInfoModel::Show(const irc::User& user)
{
    nick_ = user.Nick();
    address_ = user.Address;
    id_ = std::to_string(user.ID());
    visible_ = true;
    changed();
}

void UserInfoModel::Close()
{
    visible_ = false;
    changed();
}

void UserInfoModel::changed()
{
    if (view_)
        view_->userInfoChanged();
}

} // namespace pell::session
