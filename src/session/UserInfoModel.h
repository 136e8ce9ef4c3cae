#pragma once

#include <string>

namespace pell::irc {
class User;
}

namespace pell::session {

// What the user info window hears from its model.
class UserInfoViewPort {
public:
    virtual ~UserInfoViewPort() = default;
    // The rows or the visibility changed: re-read the model.
    virtual void userInfoChanged() {}
};

// The user info window: one for the whole program, created hidden, shown without
// blocking by the nick lists' "Info" and hidden again by its "Close".
class UserInfoModel {
public:
    static constexpr const char* Caption = "User";
    static constexpr const char* NickLabel = "Nickname:";
    static constexpr const char* AddressLabel = "Realname:";
    static constexpr const char* IdLabel = "ID";

    void SetView(UserInfoViewPort* view) { view_ = view; }

    // Copies the rows, so the window stays valid after the record is gone.
    void Show(const irc::User& user);
    void Close();

    bool Visible() const { return visible_; }
    const std::string& Nick() const { return nick_; }
    const std::string& Address() const { return address_; }
    const std::string& Id() const { return id_; }

private:
    void changed();

    UserInfoViewPort* view_ = nullptr;
    bool visible_ = false;
    std::string nick_;
    std::string address_;
    std::string id_;
};

} // namespace pell::session
