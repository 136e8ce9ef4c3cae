#pragma once

#include "irc/ClientEvents.h"
#include "irc/ServerSupport.h"
#include "irc/User.h"

#include <string>
#include <vector>

namespace pell::test {

// An engine listener that writes each event it hears as one line: the event's name and
// every argument after a blank, a record by its nick or name ("-" for null). For example
// "Join bob #c" or "Kick alice bob #c". Sent lines, received lines, the state and the
// connection's own events are not recorded; channel updates only when asked.
class RecordingEvents : public irc::ClientEvents {
public:
    std::vector<std::string> Lines;
    bool RecordChannelUpdates = false;

    void OnMessage(irc::User* user, irc::Channel* channel, const std::string& content) override
    {
        record("Message", user, channel, content);
    }
    void OnNotice(irc::User* user, irc::Channel* channel, const std::string& content) override
    {
        record("Notice", user, channel, content);
    }
    void OnAction(irc::User* user, irc::Channel* channel, const std::string& content) override
    {
        record("Action", user, channel, content);
    }
    void OnWallops(irc::User* user, const std::string& content) override { record("Wallops", user, content); }
    void OnCtcpQuery(irc::User* user, irc::Channel* channel, const std::string& command, const std::string& arguments,
        bool&) override
    {
        record("CtcpQuery", user, channel, command, arguments);
    }
    void OnCtcpReply(
        irc::User* user, irc::Channel* channel, const std::string& command, const std::string& arguments) override
    {
        record("CtcpReply", user, channel, command, arguments);
    }
    void OnUnknownCommand(irc::User* user, const std::string& command, const std::string& content) override
    {
        record("Unknown", user, command, content);
    }
    void OnPingPong() override { record("PingPong"); }
    void OnJoin(irc::User* user, irc::Channel* channel) override { record("Join", user, channel); }
    void OnJoined(irc::Channel* channel) override { record("Joined", channel); }
    void OnPart(irc::User* user, irc::Channel* channel) override { record("Part", user, channel); }
    void OnParted(irc::Channel* channel) override { record("Parted", channel); }
    void OnKick(irc::User* kicker, irc::User* victim, irc::Channel* channel) override
    {
        record("Kick", kicker, victim, channel);
    }
    void OnKicked(irc::User* kicker, irc::Channel* channel) override { record("Kicked", kicker, channel); }
    void OnNickChange(irc::User* user, const std::string& newNick) override { record("NickChange", user, newNick); }
    void OnNickChanged(const std::string& oldNick) override { record("NickChanged", oldNick); }
    void OnQuit(irc::User* user) override { record("Quit", user, user ? user->Reason : ""); }
    void OnKill(irc::User* killer, const std::string& victim, const std::string& reason) override
    {
        record("Kill", killer, victim, reason);
    }
    void OnTopic(
        irc::User* user, irc::Channel* channel, const std::string& channelName, const std::string& topic) override
    {
        record("Topic", user, channel, channelName, topic);
    }
    void OnNoTopic(irc::Channel* channel, const std::string& content) override { record("NoTopic", channel, content); }
    void OnNames(irc::Users&, irc::Channel* channel) override { record("Names", channel); }
    void OnInvite(irc::User* user, const std::string& channelName) override { record("Invite", user, channelName); }
    void OnInviting(const std::string& nick, const std::string& channelName) override
    {
        record("Inviting", nick, channelName);
    }
    void OnAway(irc::User* user) override { record("Away", user, user ? user->Reason : ""); }
    void OnNowAway(const std::string& content) override { record("NowAway", content); }
    void OnUnAway(const std::string& content) override { record("UnAway", content); }
    void OnChannelUpdate(irc::Channel& channel, irc::ChannelUpdate type, irc::User* user, int info) override;
    void OnOp(irc::User* user, irc::Channel* channel, irc::User* target) override
    {
        record("Op", user, channel, target);
    }
    void OnDeop(irc::User* user, irc::Channel* channel, irc::User* target) override
    {
        record("Deop", user, channel, target);
    }
    void OnVoice(irc::User* user, irc::Channel* channel, irc::User* target) override
    {
        record("Voice", user, channel, target);
    }
    void OnDevoice(irc::User* user, irc::Channel* channel, irc::User* target) override
    {
        record("Devoice", user, channel, target);
    }
    void OnBan(irc::User* user, irc::Channel* channel, const std::string& hostmask) override
    {
        record("Ban", user, channel, hostmask);
    }
    void OnUnban(irc::User* user, irc::Channel* channel, const std::string& hostmask) override
    {
        record("Unban", user, channel, hostmask);
    }
    void OnChannelMode(
        irc::User* user, irc::Channel* channel, const std::string& channelName, const std::string& modes) override
    {
        record("ChannelMode", user, channel, channelName, modes);
    }
    void OnUserMode(const std::string& modes) override { record("UserMode", modes); }
    void OnUserModeChanged() override { record("UserModeChanged"); }
    void OnServerSupport(const irc::ServerSupport& support) override
    {
        record("Support", support.PrefixLetters(), support.PrefixSymbols());
    }
    void OnSystem(irc::User* user, int numeric, const std::string& category, const std::string& content) override
    {
        record("System", user, numeric, category, content);
    }
    void OnError(irc::User* user, const std::string& numeric, const std::string& error) override
    {
        record("Error", user, numeric, error);
    }
    void OnLinks(const std::string& mask, const std::string& server, const std::string& hopCount,
        const std::string& serverInfo) override
    {
        record("Links", mask, server, hopCount, serverInfo);
    }
    void OnList(const std::vector<std::string>& channels, int position, bool last) override;
    void OnDccChatOffer(const std::string& nick, const std::string& address, const std::string& port) override
    {
        record("DccChatOffer", nick, address, port);
    }
    void OnDccSendOffer(const std::string& nick, const std::string& address, const std::string& port,
        const std::string& fileName, const std::string& fileSize, const std::string& token) override
    {
        record("DccSendOffer", nick, address, port, fileName, fileSize, token);
    }
    void OnDccResume(const std::string& nick, const std::string& port, const std::string& fileName,
        const std::string& position, const std::string& token) override
    {
        record("DccResume", nick, port, fileName, position, token);
    }
    void OnDccAccept(const std::string& nick, const std::string& port, const std::string& fileName,
        const std::string& position, const std::string& token) override
    {
        record("DccAccept", nick, port, fileName, position, token);
    }
    // "LineTime 1765076933749": milliseconds since 1970 of the line's server-time; "LineTime -" after it.
    void OnLineTime(const std::optional<std::chrono::system_clock::time_point>& said) override;
    void OnLoggedIn(const std::string& account) override { record("LoggedIn", account); }
    void OnLoginFailed(irc::LoginFailure why, const std::string& serverText, bool disconnecting) override
    {
        record("LoginFailed", static_cast<int>(why), serverText, disconnecting ? "disconnecting" : "going on");
    }
    void OnAwayChange(irc::User* user, bool away, const std::string& reason) override
    {
        record("AwayChange", user, away ? "away" : "back", reason);
    }
    void OnAccount(irc::User* user, const std::string& account) override { record("Account", user, account); }
    void OnHostChange(irc::User* user) override { record("HostChange", user, user ? user->Address : ""); }
    void OnInviteNotify(irc::User* inviter, const std::string& invitee, const std::string& channelName) override
    {
        record("InviteNotify", inviter, invitee, channelName);
    }

    // The words of a line.
    static std::string Word(const irc::User* user);
    static std::string Word(const irc::Channel* channel);
    static std::string Word(const std::string& text) { return text; }
    static std::string Word(int number) { return std::to_string(number); }
    static std::string Word(const char* text) { return text; }

protected:
    template <typename... Arguments> void record(const char* name, const Arguments&... arguments)
    {
        std::string line = name;
        ((line += ' ' + Word(arguments)), ...);
        Lines.push_back(std::move(line));
    }
};

} // namespace pell::test
