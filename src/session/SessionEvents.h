#pragma once

#include "irc/ClientEvents.h"
#include "session/EventText.h"
#include "session/SessionModel.h"
#include "settings/AppSettings.h"

#include <string>
#include <vector>

namespace pell::irc {
class Client;
}

namespace pell::session {

// Shows what the server says: one override per engine event, each writing its line into
// the right tab and keeping the nick lists, tabs, caption and raw log in step. Colours
// and the language are read from the settings at every event.
class SessionEvents : public irc::ClientEvents {
public:
    SessionEvents(SessionModel& model, const settings::AppSettings& settings);

    // The engine whose events these are: its current line tells a private message from
    // a channel's, its own nick and its channels are read from it. Without one, every
    // message without a channel goes to the active tab.
    void SetEngine(const irc::Client* engine) { engine_ = engine; }

    void OnMessage(irc::User* user, irc::Channel* channel, const std::string& content) override;
    void OnNotice(irc::User* user, irc::Channel* channel, const std::string& content) override;
    void OnAction(irc::User* user, irc::Channel* channel, const std::string& content) override;
    void OnJoin(irc::User* user, irc::Channel* channel) override;
    void OnJoined(irc::Channel* channel) override;
    void OnPart(irc::User* user, irc::Channel* channel) override;
    void OnKick(irc::User* user, irc::User* victim, irc::Channel* channel) override;
    // The own nick was kicked or parted: the tab stays with its text, no longer joined.
    void OnKicked(irc::User* kicker, irc::Channel* channel) override;
    void OnParted(irc::Channel* channel) override;
    // A change of the own nick shows nowhere: the nick lists keep the old one.
    void OnNickChange(irc::User* user, const std::string& newNick) override;
    void OnTopic(irc::User* user, irc::Channel* channel, const std::string& channelName,
                 const std::string& topic) override;
    void OnNoTopic(irc::Channel* channel, const std::string& content) override;
    void OnQuit(irc::User* user) override;
    void OnNames(irc::Users& users, irc::Channel* channel) override;
    // A member's prefix modes changed: its nick-list entry follows.
    void OnChannelUpdate(irc::Channel& channel, irc::ChannelUpdate type, irc::User* user, int info) override;
    void OnServerSupport(const irc::ServerSupport& support) override;
    void OnInvite(irc::User* user, const std::string& channelName) override;
    void OnInviting(const std::string& nick, const std::string& channelName) override;
    void OnOp(irc::User* user, irc::Channel* channel, irc::User* target) override;
    void OnBan(irc::User* user, irc::Channel* channel, const std::string& hostmask) override;
    void OnUnban(irc::User* user, irc::Channel* channel, const std::string& hostmask) override;
    void OnChannelMode(irc::User* user, irc::Channel* channel, const std::string& channelName,
                       const std::string& modes) override;
    void OnUserMode(const std::string& modes) override;
    void OnKill(irc::User* user, const std::string& victim, const std::string& reason) override;
    void OnAway(irc::User* user) override;
    void OnNowAway(const std::string& content) override;
    void OnUnAway(const std::string& content) override;
    void OnWallops(irc::User* user, const std::string& content) override;
    void OnSystem(irc::User* user, int numeric, const std::string& category, const std::string& content) override;
    void OnError(irc::User* user, const std::string& numeric, const std::string& error) override;
    void OnUnknownCommand(irc::User* user, const std::string& command, const std::string& content) override;
    void OnCtcpQuery(irc::User* user, irc::Channel* channel, const std::string& command,
                     const std::string& arguments, bool& suppress) override;
    void OnCtcpReply(irc::User* user, irc::Channel* channel, const std::string& command,
                     const std::string& arguments) override;
    void OnPingPong() override;
    void OnLinks(const std::string& mask, const std::string& server, const std::string& hopCount,
                 const std::string& serverInfo) override;
    void OnList(const std::vector<std::string>& lines, int position, bool last) override;
    void OnRaw(irc::User* user, const std::string& command, const std::string& content, bool& suppress) override;
    // The line comes before the new-nick prompt.
    void OnNicksInUse(std::string& nick) override;
    void OnHandlerError(const std::string& message) override;

private:
    // Where a message without a tracked channel belongs.
    struct Route {
        enum Kind { Channel, Private, Server };
        std::string tab; // empty: the active tab
        Kind kind = Channel;
    };
    Route routeOf(const irc::User* user, const irc::Channel* channel) const;
    // Who a line is from: the nick, or for a server its name, or "Server" when the line
    // names none.
    static std::string senderOf(const irc::User* user);
    void refill(const irc::Channel& channel);
    // A line from the pseudo-nick "System" in the system colour.
    void system(const std::string& target, const std::string& text);
    std::string sentence(EventKind kind, std::string_view a, std::string_view b = {},
                         std::string_view reason = {}) const;
    Rgb colour(std::int32_t setting) const { return static_cast<Rgb>(setting); }

    SessionModel& model_;
    const settings::AppSettings& settings_;
    const irc::Client* engine_ = nullptr;
};

} // namespace pell::session
