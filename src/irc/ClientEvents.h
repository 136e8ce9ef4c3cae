#pragma once

#include "irc/Login.h"

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace pell::irc {

class User;
class Users;
class Channel;
class ServerSupport;

// What a channel record reports about itself when tracking changes it.
enum class ChannelUpdate { Mode, Topic, User, Names, Nick, Join, Part, Kick, Quit };

// Everything the engine reports, to the one listener it is given. Each event does
// nothing unless the listener overrides it. Records (user, channel, ...) may be null;
// listeners treat null as an empty nick or name. Records live at least until the event
// returns; a listener that keeps one must not use it after the next event.
class ClientEvents {
public:
    virtual ~ClientEvents() = default;

    // The connection.
    virtual void OnConnected() {} // the TCP (and proxy) connection is up
    virtual void OnConnect() {}   // registration is complete
    virtual void OnDisconnect() {}
    virtual void OnStateChange() {}
    virtual void OnSend(const std::string& /*line*/) {}
    virtual void OnReceive(const std::string& /*line*/) {}
    // The server refused the nick during registration: change it to try another, leave
    // it as it is to give up.
    virtual void OnNicksInUse(std::string& /*nick*/) {}
    // A handler failed on a line (an error other than the connection's own); the line is
    // dropped and the next one handled. Raised at most a few times in a while.
    virtual void OnHandlerError(const std::string& /*message*/) {}
    // Every line before it is dispatched; `suppress` set keeps it from its handler.
    virtual void OnRaw(User* /*user*/, const std::string& /*command*/, const std::string& /*content*/,
                       bool& /*suppress*/)
    {
    }
    virtual void OnUnknownCommand(User* /*user*/, const std::string& /*command*/, const std::string& /*content*/) {}
    virtual void OnPingPong() {}

    // Talk.
    virtual void OnMessage(User* /*user*/, Channel* /*channel*/, const std::string& /*content*/) {}
    virtual void OnNotice(User* /*user*/, Channel* /*channel*/, const std::string& /*content*/) {}
    virtual void OnAction(User* /*user*/, Channel* /*channel*/, const std::string& /*content*/) {}
    virtual void OnWallops(User* /*user*/, const std::string& /*content*/) {}
    // A CTCP request other than ACTION; `suppress` set keeps the automatic reply back.
    virtual void OnCtcpQuery(User* /*user*/, Channel* /*channel*/, const std::string& /*command*/,
                             const std::string& /*arguments*/, bool& /*suppress*/)
    {
    }
    virtual void OnCtcpReply(User* /*user*/, Channel* /*channel*/, const std::string& /*command*/,
                             const std::string& /*arguments*/)
    {
    }

    // Channels and users.
    virtual void OnJoin(User* /*user*/, Channel* /*channel*/) {}
    virtual void OnJoined(Channel* /*channel*/) {}
    virtual void OnPart(User* /*user*/, Channel* /*channel*/) {}
    virtual void OnParted(Channel* /*channel*/) {}
    virtual void OnKick(User* /*kicker*/, User* /*victim*/, Channel* /*channel*/) {}
    virtual void OnKicked(User* /*kicker*/, Channel* /*channel*/) {}
    virtual void OnNickChange(User* /*user*/, const std::string& /*newNick*/) {}
    virtual void OnNickChanged(const std::string& /*oldNick*/) {}
    virtual void OnQuit(User* /*user*/) {}
    virtual void OnKill(User* /*killer*/, const std::string& /*victim*/, const std::string& /*reason*/) {}
    virtual void OnTopic(User* /*user*/, Channel* /*channel*/, const std::string& /*channelName*/,
                         const std::string& /*topic*/)
    {
    }
    virtual void OnNoTopic(Channel* /*channel*/, const std::string& /*content*/) {}
    virtual void OnNames(Users& /*users*/, Channel* /*channel*/) {}
    virtual void OnInvite(User* /*user*/, const std::string& /*channelName*/) {}
    virtual void OnInviting(const std::string& /*nick*/, const std::string& /*channelName*/) {}
    virtual void OnAway(User* /*user*/) {}
    virtual void OnNowAway(const std::string& /*content*/) {}
    virtual void OnUnAway(const std::string& /*content*/) {}
    // A channel record changed by tracking; `info` is the position of the member it
    // concerns, or 0.
    virtual void OnChannelUpdate(Channel& /*channel*/, ChannelUpdate /*type*/, User* /*user*/, int /*info*/) {}

    // Modes.
    virtual void OnOp(User* /*user*/, Channel* /*channel*/, User* /*target*/) {}
    virtual void OnDeop(User* /*user*/, Channel* /*channel*/, User* /*target*/) {}
    virtual void OnVoice(User* /*user*/, Channel* /*channel*/, User* /*target*/) {}
    virtual void OnDevoice(User* /*user*/, Channel* /*channel*/, User* /*target*/) {}
    virtual void OnBan(User* /*user*/, Channel* /*channel*/, const std::string& /*hostmask*/) {}
    virtual void OnUnban(User* /*user*/, Channel* /*channel*/, const std::string& /*hostmask*/) {}
    virtual void OnChannelMode(User* /*user*/, Channel* /*channel*/, const std::string& /*channelName*/,
                               const std::string& /*modes*/)
    {
    }
    virtual void OnUserMode(const std::string& /*modes*/) {}
    // The server announced other member prefixes or channel modes (005), or a new
    // connection went back to those of a server that announces none.
    virtual void OnServerSupport(const ServerSupport& /*support*/) {}
    virtual void OnUserModeChanged() {}

    // Numeric replies.
    virtual void OnSystem(User* /*user*/, int /*numeric*/, const std::string& /*category*/,
                          const std::string& /*content*/)
    {
    }
    virtual void OnError(User* /*user*/, const std::string& /*numeric*/, const std::string& /*error*/) {}
    virtual void OnLinks(const std::string& /*mask*/, const std::string& /*server*/, const std::string& /*hopCount*/,
                         const std::string& /*serverInfo*/)
    {
    }
    // A channel list, reported in batches with the whole list gathered so far: the
    // entries from `position` on are new.
    virtual void OnList(const std::vector<std::string>& /*channels*/, int /*position*/, bool /*last*/) {}

    // DCC offers, with their words as the peer sent them. `token` is the word after the
    // usual ones, which passive offers and the answers to them carry; empty when none.
    virtual void OnDccChatOffer(const std::string& /*nick*/, const std::string& /*address*/,
                                const std::string& /*port*/)
    {
    }
    virtual void OnDccSendOffer(const std::string& /*nick*/, const std::string& /*address*/,
                                const std::string& /*port*/, const std::string& /*fileName*/,
                                const std::string& /*fileSize*/, const std::string& /*token*/)
    {
    }
    virtual void OnDccResume(const std::string& /*nick*/, const std::string& /*port*/,
                             const std::string& /*fileName*/, const std::string& /*position*/,
                             const std::string& /*token*/)
    {
    }
    virtual void OnDccAccept(const std::string& /*nick*/, const std::string& /*port*/,
                             const std::string& /*fileName*/, const std::string& /*position*/,
                             const std::string& /*token*/)
    {
    }

    // Capabilities the server acknowledged, and the login.
    // The line about to be dispatched was said at this time (its server-time tag); after
    // the line, nothing again. Everything reported in between belongs to that time.
    virtual void OnLineTime(const std::optional<std::chrono::system_clock::time_point>& /*said*/) {}
    virtual void OnLoggedIn(const std::string& /*account*/) {}
    // `serverText` is the server's own words where it gave some; with `disconnecting`
    // the connection ends because the login was required.
    virtual void OnLoginFailed(LoginFailure /*why*/, const std::string& /*serverText*/, bool /*disconnecting*/) {}
    // away-notify: the user went away (with the reason) or came back.
    virtual void OnAwayChange(User* /*user*/, bool /*away*/, const std::string& /*reason*/) {}
    // account-notify and extended-join: the user's account, empty once logged out.
    virtual void OnAccount(User* /*user*/, const std::string& /*account*/) {}
    // chghost: the user's user@host changed; the record already carries the new one.
    virtual void OnHostChange(User* /*user*/) {}
    // invite-notify: someone other than us was invited.
    virtual void OnInviteNotify(User* /*inviter*/, const std::string& /*invitee*/, const std::string& /*channelName*/) {}
};

} // namespace pell::irc
