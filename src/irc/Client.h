#pragma once

#include "irc/Channels.h"
#include "irc/ClientEvents.h"
#include "irc/CtcpReplyLimiter.h"
#include "irc/IrcMessage.h"
#include "irc/Login.h"
#include "irc/ServerSupport.h"
#include "irc/Users.h"
#include "net/LineTransport.h"
#include "net/SocksSettings.h"

#include <chrono>
#include <cstdint>
#include <ctime>
#include <exception>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace pell::irc {

enum class ClientState : std::uint8_t { Disconnecting, Disconnected, Connecting, LoggingOn, Connected };

// Bits of the own user modes.
namespace user_mode {
inline constexpr std::uint8_t Invisible = 1 << 0;
inline constexpr std::uint8_t Operator = 1 << 1;
inline constexpr std::uint8_t ServerNotices = 1 << 2;
inline constexpr std::uint8_t Wallops = 1 << 3;
} // namespace user_mode
using UserModes = std::uint8_t; // user_mode bits

// Texts of the automatic CTCP replies.
struct CtcpReplies {
    std::string Finger;
    std::string Version;
    std::string UserInfo;
    std::string ClientInfo;
};

// The client side of one IRC server connection. A reader thread only reads lines and
// hands them to the GUI thread; parsing, tracking, every event and every send run on
// the GUI thread, and every event goes to the one listener the engine is given.
class Client {
public:
    // The listener must outlive the engine.
    Client(std::unique_ptr<net::LineTransport> transport, ClientEvents& events);
    ~Client();
    Client(const Client&) = delete;
    Client& operator=(const Client&) = delete;

    // Settings.
    std::string AltNick = "OtherNick";
    std::string Username = "Benutzername";
    std::string RealName = "Wirklicher Name";
    int Port = 6667;
    std::string Password;
    CtcpReplies Replies;
    // The moment a CTCP TIME reply tells: the system clock, or a fixed one in tests.
    std::function<std::time_t()> TimeNow = [] { return std::time(nullptr); };
    std::string Host;
    std::string BoundIP;
    net::SocksSettings Socks; // the proxy to connect through; none by default
    net::TlsSettings Tls;     // plain TCP by default
    LoginSettings Login;      // no login by default

    // The nick in use while connected, the stored one otherwise.
    std::string Nick() const;
    // While connected only asks the server (the change lands with its NICK echo).
    void SetNick(const std::string& nick);
    UserModes UserMode() const { return userMode_; }
    void SetUserMode(UserModes modes); // ignored while connected

    // The address a peer can reach us at, for DCC offers.
    std::string LocalAddress() const { return transport_->LocalAddress(); }
    // How the connection is encrypted ("TLSv1.3, TLS_AES_256_GCM_SHA384"); empty for
    // plain TCP.
    std::string Encryption() const { return transport_->Encryption(); }

    // State.
    ClientState State() const { return state_; }
    const std::string& CurrentNick() const { return currentNick_; }
    const std::string& WelcomeServer() const { return welcomeServer_; }
    bool IsAway() const { return isAway_; }
    User* OwnUser() const { return ownUser_; }
    // The member prefixes and channel modes of the server, as its 005 replies say.
    const ServerSupport& Support() const { return support_; }
    irc::Users Users;
    irc::Channels Channels;
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
    void CtcpQuery(std::string_view target, std::string_view command, std::string_view parameters);
    void CtcpReply(std::string_view target, std::string_view command, std::string_view parameters);
    void Action(std::string_view target, std::string_view text);
    void Join(std::string_view channel, std::string_view key = {});
    void Part(std::string_view channel, std::string_view reason = {});
    void Kick(std::string_view channel, std::string_view nick, std::string_view reason);
    void Quit(std::string_view reason);
    void Mode(std::string_view target, std::string_view modes, std::string_view parameters = {});

    static bool IsChannel(std::string_view name);
    // True for the numeric replies whose OnSystem text is their parameters as received
    // (the welcome, trace, stats and admin replies, 329), false for those with a format.
    static bool ReportsParametersAsSent(int numeric);

    // Capability negotiation (IrcCapabilities.cpp). Every connect sends "CAP LS 302"
    // before the registration lines and asks for the capabilities below that the server
    // offers (and "sasl" for a login); a server that does not know CAP registers as
    // without it. The capabilities the server acknowledged on this connection:
    const std::set<std::string>& Capabilities() const { return capabilities_; }
    bool HasCapability(const std::string& name) const { return capabilities_.count(name) != 0; }
    static const std::vector<std::string>& WantedCapabilities();
    // The time the line being dispatched was said, from its server-time tag; nothing
    // without one, or while server-time is not acknowledged.
    std::optional<std::chrono::system_clock::time_point> LineTime() const;
    // About once a second: a negotiation or login the server leaves unanswered for
    // NegotiationTimeout is given up, and registration goes on.
    void Tick(std::chrono::steady_clock::time_point now);
    static constexpr std::chrono::seconds NegotiationTimeout{15};

    // Caps the automatic CTCP replies, so a flood of requests cannot get us dropped
    // for excess flood. Its clock can be replaced (tests).
    CtcpReplyLimiter& ReplyLimiter() { return replyLimiter_; }

    // One received line, on the GUI thread (the reader thread calls it through the
    // GUI dispatcher; tests and benchmarks may call it directly).
    void HandleLine(const std::string& line);

private:
    using CommandHandler = void (Client::*)(User* user);
    using NumericHandler = void (Client::*)(int numeric, User* user);
    struct NumericRow;

    void SetState(ClientState state);
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
    void commandPrivmsg(User* user);
    void commandNotice(User* user);
    void commandJoin(User* user);
    void commandPart(User* user);
    void commandKick(User* user);
    void commandMode(User* user);
    void commandNick(User* user);
    void commandQuit(User* user);
    void commandInvite(User* user);
    void commandKill(User* user);
    void commandPing(User* user);
    void commandWallops(User* user);
    void commandTopic(User* user);
    void parseChannelModes(int channelToken);
    void memberMode(char letter, bool adding, User* setter, Channel* channel, const std::string& nick);
    bool parseUserModes(std::string_view modes);

    // Numeric replies (IrcNumerics.cpp).
    static const NumericRow* numericRow(int numeric);
    void HandleNumeric(int numeric, User* user);
    void numericWelcome(int numeric, User* user);
    void numericSupport(int numeric, User* user);
    void numericMotdStart(int numeric, User* user);
    void numericAway(int numeric, User* user);
    void numericUnAway(int numeric, User* user);
    void numericNowAway(int numeric, User* user);
    void numericListStart(int numeric, User* user);
    void numericListEntry(int numeric, User* user);
    void numericListEnd(int numeric, User* user);
    void numericChannelModes(int numeric, User* user);
    void numericNoTopic(int numeric, User* user);
    void numericTopic(int numeric, User* user);
    void numericInviting(int numeric, User* user);
    void numericNames(int numeric, User* user);
    void numericEndOfNames(int numeric, User* user);
    void numericLinks(int numeric, User* user);
    void numericTime(int numeric, User* user);
    void numericError(int numeric, User* user);

    // Capabilities and login (IrcCapabilities.cpp).
    enum class CapPhase : std::uint8_t { Off, Listing, Requesting, LoggingIn, Done };
    void startNegotiation();
    void commandCap(User* user);
    void commandAuthenticate(User* user);
    void commandAway(User* user);
    void commandAccount(User* user);
    void commandChghost(User* user);
    void numericSasl(int numeric, User* user);
    void requestCapabilities();
    void acknowledged(std::string_view list);
    void startLogin();
    void loginFailed(LoginFailure why, const std::string& serverText);
    void endNegotiation();
    bool holdsUntilNegotiated(std::string_view line) const;
    bool loginWanted() const { return Login.Mechanism != LoginMechanism::None; }

    // CTCP (IrcCtcp.cpp).
    void ctcpRequest(User* user);
    void ctcpReply(User* user);
    void dccOffer(std::string_view args);
    void handlerFailed(const std::string& message);

    std::unique_ptr<net::LineTransport> transport_;
    ClientEvents& events_;
    std::string nick_ = "Nick";
    UserModes userMode_ = 0;
    ClientState state_ = ClientState::Disconnected;
    std::string currentNick_;
    std::string welcomeServer_;
    bool isAway_ = false;
    User* ownUser_ = nullptr;
    ServerSupport support_;
    IrcMessage message_;
    std::set<std::string> refusedNicks_; // nicks the server refused during this logon
    std::uint64_t generation_ = 0;       // rises with every Connect
    std::uint64_t lineGeneration_ = 0;   // generation_ when the current line began
    CtcpReplyLimiter replyLimiter_;
    CtcpReplyLimiter handlerErrorLimiter_{5, std::chrono::milliseconds(60000)};
    ConnectDone pendingDone_;
    CapPhase capPhase_ = CapPhase::Off;
    std::set<std::string> capabilities_;
    std::map<std::string, std::string> offered_; // CAP LS: name and value
    bool serverTime_ = false;                    // server-time acknowledged
    bool loginEnded_ = false;                    // logged in, or the failure reported
    std::optional<std::chrono::steady_clock::time_point> negotiationDeadline_;
    std::vector<std::string> held_; // the user's lines while capabilities are negotiated

public:
    // Channel list replies gather here before they are reported.
    std::vector<std::string> ListBuffer;
    int ListMark = 0;
};

} // namespace pell::irc
