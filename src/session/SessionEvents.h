#pragma once

#include "irc/TIdIRC.h"
#include "session/EventText.h"
#include "session/SessionModel.h"
#include "settings/AppSettings.h"

#include <string>
#include <vector>

namespace pell::session {

// Shows what the server says: one handler per engine event, each writing its line into
// the right tab and keeping the nick lists, tabs, caption and raw log in step. Colours
// and the language are read from the settings at every event.
class SessionEvents {
public:
    SessionEvents(irc::TIdIRC& irc, SessionModel& model, const settings::AppSettings& settings);

    // Assigns the handlers to the engine's events. The connection lifecycle binds
    // OnConnected and OnNicksInUse, the DCC offers bind the OnDCC events.
    void Bind();

private:
    using User = irc::TIdIRCUser*;
    using Channel = irc::TIdIRCChannel*;

    void message(User user, Channel channel, const std::string& content);
    void join(User user, Channel channel);
    void joined(Channel channel);
    void part(User user, Channel channel);
    void kick(User user, User victim, Channel channel);
    void nickChange(User user, const std::string& newNick);
    void quit(User user);
    void names(Channel channel);
    void kill(User user, const std::string& victim, const std::string& reason);
    void list(const std::vector<std::string>& lines, bool last);
    void raw(User user, const std::string& command, const std::string& content);

    // A line from the pseudo-nick "System" in the system colour.
    void system(const std::string& target, const std::string& text);
    std::string sentence(EventKind kind, std::string_view a, std::string_view b = {},
                         std::string_view reason = {}) const;
    Rgb colour(std::int32_t setting) const { return static_cast<Rgb>(setting); }

    irc::TIdIRC& irc_;
    SessionModel& model_;
    const settings::AppSettings& settings_;
};

} // namespace pell::session
