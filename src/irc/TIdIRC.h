#pragma once

#include "irc/CtcpReplyLimiter.h"
#include "irc/IrcMessage.h"
#include "irc/LineTransport.h"
#include "irc/TIdIRCChannels.h"
#include "irc/TIdIRCEvents.h"
#include "irc/TIdIRCUsers.h"

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace pell::platform {
class GuiDispatcher;
} // namespace pell::platform

namespace pell::irc {

enum TIdIRCState : std::uint8_t {
    csDisconnecting = 0,
    csDisconnected = 1,
    csConnecting = 2,
    csLoggingOn = 3,
    csConnected = 4,
};

enum TIdIRCUserMode : std::uint8_t {
    umInvisible = 1 << 0,
    umOperator = 1 << 1,
    umServerNotices = 1 << 2,
    umWallops = 1 << 3,
};
using TIdIRCUserModes = std::uint8_t; // a set of TIdIRCUserMode bits

// Texts of the automatic CTCP replies.
struct TIdIRCReplies {
    std::string Finger;
    std::string Version;
    std::string UserInfo;
    std::string ClientInfo;
};

// The client side of one IRC server connection. A reader thread only reads lines and
// hands them to the GUI thread; parsing, tracking, every event and every send run on
// the GUI thread.
class TIdIRC : public TIdIRCEvents {
public:
    // Without a transport the engine makes its own socket connection.
    explicit TIdIRC(platform::GuiDispatcher& gui, std::unique_ptr<LineTransport> transport = nullptr);
    ~TIdIRC();
    TIdIRC(const TIdIRC&) = delete;
    TIdIRC& operator=(const TIdIRC&) = delete;

    // Settings.
    std::string AltNick = "OtherNick";
    std::string Username = "Benutzername";
    std::string RealName = "Wirklicher Name";
    int Port = 6667;
    std::string Password;
    TIdIRCReplies Replies;
    std::string Host;
    std::string BoundIP;
    ChannelUpdateHandler OnChannelUpdate; // copied into each channel as it is made

    // The nick in use while connected, the stored one otherwise.
    std::string Nick() const;
    // While connected only asks the server (the change lands with its NICK echo).
    void SetNick(const std::string& nick);
    TIdIRCUserModes UserMode() const { return userMode_; }
    void SetUserMode(TIdIRCUserModes modes); // ignored while connected

    direct::TIdSocksInfo& SocksInfo() { return socks_; }
    LineTransport& Transport() { return *transport_; }

    // State.
    TIdIRCState State() const { return state_; }
    const std::string& CurrentNick() const { return currentNick_; }
    const std::string& WelcomeServer() const { return welcomeServer_; }
    bool IsAway() const { return isAway_; }
    TIdIRCUser* OwnUser() const { return ownUser_; }
    TIdIRCUsers Users;
    TIdIRCChannels Channels;
    const IrcMessage& Message() const { return message_; }

    // Connection.
    void Connect(int timeoutMs);
    // Connect without blocking the calling (GUI) thread: the TCP connect and the proxy
    // handshake run on a helper thread, then the rest of Connect (OnConnected, the
    // reader, registration) runs on the GUI thread, and `done` is called there with the
    // error, or null on success. A new connect, Disconnect(true) or the engine's end
    // meanwhile drops it quietly: `done` is not called.
    using ConnectDone = std::function<void(std::exception_ptr error)>;
    void ConnectAsync(int timeoutMs, ConnectDone done);
    // True from ConnectAsync until its end has been handed to the GUI thread.
    bool ConnectPending() const { return transport_->Opening(); }
    void Disconnect(bool force = false);
    bool Connected() const { return transport_->Connected(); }

    // Sending.
    void Raw(std::string_view line);
    void Say(std::string_view target, std::string_view text);
    void Notice(std::string_view target, std::string_view text);
    void CTCPQuery(std::string_view target, std::string_view command, std::string_view parameters);
    void CTCPReply(std::string_view target, std::string_view command, std::string_view parameters);
    void Action(std::string_view target, std::string_view text);
    void Join(std::string_view channel, std::string_view key = {});
    void Part(std::string_view channel, std::string_view reason = {});
    void Kick(std::string_view channel, std::string_view nick, std::string_view reason);
    void Quit(std::string_view reason);
    void Mode(std::string_view target, std::string_view modes, std::string_view parameters = {});

    static bool IsChannel(std::string_view name);

    // Caps the automatic CTCP replies, so a flood of requests cannot get us dropped
    // for excess flood. Its clock can be replaced (tests).
    CtcpReplyLimiter& ReplyLimiter() { return replyLimiter_; }

    // One received line, on the GUI thread (the reader thread calls it through the
    // GUI dispatcher; tests and benchmarks may call it directly).
    void HandleLine(const std::string& line);

private:
    using CommandHandler = void (TIdIRC::*)(TIdIRCUser* user);
    using NumericHandler = void (TIdIRC::*)(int numeric, TIdIRCUser* user);
    struct NumericRow;

    void SetState(TIdIRCState state);
    void beginConnect();
    void logOn();
    void connectEnded(std::exception_ptr error);
    void cancelConnect();
    void Dispatch();
    void NickFallback();
    // A Connect from inside an event handler drops all tracking: the line's records
    // are gone and the rest of the line must not touch them.
    bool lineReset() const { return generation_ != lineGeneration_; }
    // Token i of the line, or an empty text past the last token.
    const std::string& token(int index) const;
    // Token `first` followed by every non-empty later token, each after one blank.
    std::string joinedModes(int first) const;

    // Commands (IrcDispatch.cpp).
    static CommandHandler commandHandler(std::string_view command);
    void commandPrivmsg(TIdIRCUser* user);
    void commandNotice(TIdIRCUser* user);
    void commandJoin(TIdIRCUser* user);
    void commandPart(TIdIRCUser* user);
    void commandKick(TIdIRCUser* user);
    void commandMode(TIdIRCUser* user);
    void commandNick(TIdIRCUser* user);
    void commandQuit(TIdIRCUser* user);
    void commandInvite(TIdIRCUser* user);
    void commandKill(TIdIRCUser* user);
    void commandPing(TIdIRCUser* user);
    void commandWallops(TIdIRCUser* user);
    void commandTopic(TIdIRCUser* user);
    void parseChannelModes(int channelToken);
    void memberMode(bool op, bool adding, TIdIRCUser* setter, TIdIRCChannel* channel, TIdIRCUser* target);
    bool parseUserModes(std::string_view modes);

    // Numeric replies (IrcNumerics.cpp).
    static const NumericRow* numericRow(int numeric);
    void HandleNumeric(int numeric, TIdIRCUser* user);
    void numericWelcome(int numeric, TIdIRCUser* user);
    void numericMotdStart(int numeric, TIdIRCUser* user);
    void numericAway(int numeric, TIdIRCUser* user);
    void numericUnAway(int numeric, TIdIRCUser* user);
    void numericNowAway(int numeric, TIdIRCUser* user);
    void numericListStart(int numeric, TIdIRCUser* user);
    void numericListEntry(int numeric, TIdIRCUser* user);
    void numericListEnd(int numeric, TIdIRCUser* user);
    void numericChannelModes(int numeric, TIdIRCUser* user);
    void numericNoTopic(int numeric, TIdIRCUser* user);
    void numericTopic(int numeric, TIdIRCUser* user);
    void numericInviting(int numeric, TIdIRCUser* user);
    void numericNames(int numeric, TIdIRCUser* user);
    void numericEndOfNames(int numeric, TIdIRCUser* user);
    void numericLinks(int numeric, TIdIRCUser* user);
    void numericTime(int numeric, TIdIRCUser* user);
    void numericError(int numeric, TIdIRCUser* user);

    // CTCP (IrcCtcp.cpp).
    void ctcpRequest(TIdIRCUser* user);
    void ctcpReply(TIdIRCUser* user);
    void dccOffer(std::string_view args);
    void handlerFailed(const std::string& message);

    std::unique_ptr<LineTransport> transport_;
    direct::TIdSocksInfo socks_;
    std::string nick_ = "Nick";
    TIdIRCUserModes userMode_ = 0;
    TIdIRCState state_ = csDisconnected;
    std::string currentNick_;
    std::string welcomeServer_;
    bool isAway_ = false;
    TIdIRCUser* ownUser_ = nullptr;
    IrcMessage message_;
    std::set<std::string> refusedNicks_; // nicks the server refused during this logon
    std::uint64_t generation_ = 0;       // rises with every Connect
    std::uint64_t lineGeneration_ = 0;   // generation_ when the current line began
    CtcpReplyLimiter replyLimiter_;
    CtcpReplyLimiter handlerErrorLimiter_{5, std::chrono::milliseconds(60000)};
    ConnectDone pendingDone_;

public:
    // Channel list replies gather here before they are reported.
    std::vector<std::string> ListBuffer;
    int ListMark = 0;
};

} // namespace pell::irc
