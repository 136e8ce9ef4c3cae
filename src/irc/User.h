#pragma once

#include <string>

namespace pell::irc {

class Users;

// A user the engine has seen, shared by reference count between the lines, channels
// and replies that hold it. Records are owned by Users.
class User {
public:
    std::string Address; // user@host as sent, the server name for a server, or empty
    std::string Reason;  // text of the last PART, QUIT, KICK or away reply
    std::string Account; // the account it is logged in to, when the server said so
    bool Away = false;   // as away-notify last said
    int Count = 1;

    const std::string& Nick() const { return nick_; }
    // The number the collection gave the record when it made it; never reused.
    int ID() const { return id_; }

private:
    friend class Users;
    std::string nick_;
    int id_ = 0;
};

} // namespace pell::irc
