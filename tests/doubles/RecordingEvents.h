#pragma once

#include "irc/ClientEvents.h"

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

    void OnMessage(irc::User* user, irc::Channel* channel, const std::string& content) override;
    void OnNotice(irc::User* user, irc::Channel* channel, const std::string& content) override;
    void OnAction(irc::User* user, irc::Channel* channel, const std::string& content) override;
    void OnWallops(irc::User* user, const std::string& content) override;
    void OnCtcpQuery(irc::User* user, irc::Channel* channel, const std::string& command,
                     const std::string& arguments, bool& suppress) override;
    void OnCtcpReply(irc::User* user, irc::Channel* channel, const std::string& command,
                     const std::string& arguments) override;
    void OnUnknownCommand(irc::User* user, const std::string& command, const std::string& content) override;
    void OnPingPong() override;
    void OnJoin(irc::User* user, irc::Channel* channel) override;
    void OnJoined(irc::Channel* channel) override;
    void OnPart(irc::User* user, irc::Channel* channel) override;
    void OnParted(irc::Channel* channel) override;
    void OnKick(irc::User* kicker, irc::User* victim, irc::Channel* channel) override;
    void OnKicked(irc::User* kicker, irc::Channel* channel) override;
    void OnNickChange(irc::User* user, const std::string& newNick) override;
    void OnNickChanged(const std::string& oldNick) override;
    void OnQuit(irc::User* user) override;
    void OnKill(irc::User* killer, const std::string& victim, const std::string& reason) override;
    void OnTopic(irc::User* user, irc::Channel* channel, const std::string& channelName,
                 const std::string& topic) override;
    void OnNoTopic(irc::Channel* channel, const std::string& content) override;
    void OnNames(irc::Users& users, irc::Channel* channel) override;
    void OnInvite(irc::User* user, const std::string& channelName) override;
    void OnInviting(const std::string& nick, const std::string& channelName) override;
    void OnAway(irc::User* user) override;
    void OnNowAway(const std::string& content) override;
    void OnUnAway(const std::string& content) override;
    void OnChannelUpdate(irc::Channel& channel, irc::ChannelUpdate type, irc::User* user, int info) override;
    void OnOp(irc::User* user, irc::Channel* channel, irc::User* target) override;
    void OnDeop(irc::User* user, irc::Channel* channel, irc::User* target) override;
    void OnVoice(irc::User* user, irc::Channel* channel, irc::User* target) override;
    void OnDevoice(irc::User* user, irc::Channel* channel, irc::User* target) override;
    void OnBan(irc::User* user, irc::Channel* channel, const std::string& hostmask) override;
    void OnUnban(irc::User* user, irc::Channel* channel, const std::string& hostmask) override;
    void OnChannelMode(irc::User* user, irc::Channel* channel, const std::string& channelName,
                       const std::string& modes) override;
    void OnUserMode(const std::string& modes) override;
    void OnUserModeChanged() override;
    void OnSystem(irc::User* user, int numeric, const std::string& category, const std::string& content) override;
    void OnError(irc::User* user, const std::string& numeric, const std::string& error) override;
    void OnLinks(const std::string& mask, const std::string& server, const std::string& hopCount,
                 const std::string& serverInfo) override;
    void OnList(const std::vector<std::string>& channels, int position, bool last) override;
    void OnDccChatOffer(const std::string& nick, const std::string& address, const std::string& port) override;
    void OnDccSendOffer(const std::string& nick, const std::string& address, const std::string& port,
                        const std::string& fileName, const std::string& fileSize) override;
    void OnDccResume(const std::string& nick, const std::string& port, const std::string& fileName,
                     const std::string& position) override;
    void OnDccAccept(const std::string& nick, const std::string& port, const std::string& fileName,
                     const std::string& position) override;

    // The words of a line.
    static std::string Word(const irc::User* user);
    static std::string Word(const irc::Channel* channel);
    static std::string Word(const std::string& text) { return text; }
    static std::string Word(int number) { return std::to_string(number); }

protected:
    template <typename... Arguments>
    void record(const char* name, const Arguments&... arguments)
    {
        std::string line = name;
        ((line += ' ' + Word(arguments)), ...);
        Lines.push_back(std::move(line));
    }
};

} // namespace pell::test
