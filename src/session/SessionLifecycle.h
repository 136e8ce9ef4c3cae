#pragma once

#include "irc/Client.h"
#include "net/TlsCertificate.h"
#include "platform/UserPrompts.h"
#include "session/AutoReconnect.h"
#include "session/SessionModel.h"
#include "settings/AppSettings.h"
#include "settings/ServerProfile.h"

#include <functional>
#include <memory>
#include <string>

namespace pell::session {

// How one session window connects, shows its connection, reconnects and closes. The
// view owns the two timers: it asks whether each should run and calls the ticks.
class SessionLifecycle {
public:
    static constexpr int ConnectTimeoutMs = 3000;
    static constexpr int StatusIntervalMs = 1000;
    static constexpr int CloseIntervalMs = 2000;

    inline static const std::string StatusConnecting = "Connecting";
    inline static const std::string StatusConnected = "Connected";
    // "Disonnected" is kept as users know it.
    inline static const std::string StatusDisconnected = "Disonnected";

    SessionLifecycle(irc::Client& engine, SessionModel& model, const settings::AppSettings& settings,
                     platform::UserPrompts& prompts);
    ~SessionLifecycle();

    // The connect time-out; tests shorten it.
    int ConnectTimeout = ConnectTimeoutMs;

    // The connection is up: "Main" loses its nick list and the status shows it; over
    // TLS, "Main" says how it is encrypted.
    void OnConnected();
    // The server refused the nick during registration: asks the user for another.
    void AskNewNick(std::string& nick);
    // The login while connecting: a line in "Main" says how it went.
    void OnLoggedIn(const std::string& account);
    void OnLoginFailed(irc::LoginFailure why, const std::string& serverText, bool disconnecting);
    // invite-notify: a line in the channel's tab (or "Main").
    void OnInviteNotify(const std::string& inviter, const std::string& invitee, const std::string& channelName);
    // Status panel 1 shows the nick in use.
    void ShowOwnNick();
    // The server's reason for closing the connection (its ERROR line), shown with the end.
    void ServerClosing(std::string reason) { closingReason_ = std::move(reason); }

    // The creation steps from the profile on: caption, identity, user modes, proxy,
    // connect. An error ends them where it happens and is shown; the window stays,
    // disconnected, and "Reconnect" tries again. A server certificate that cannot be
    // verified is shown and the user asked whether to trust it: Yes stores the choice
    // and connects again, No leaves the window disconnected with a line in "Main".
    void Create(const settings::ServerProfile& profile);

    // The button captions follow the language as it was at creation.
    bool GermanCaptions() const { return germanCaptions_; }

    // Also notices a connection that ended: a line in every tab says so.
    void onStatusTick();
    // "Reconnect": connects when there is no connection, quits when there is one. While
    // a connect is under way it does nothing: one connect at a time.
    void Reconnect();

    // A close from the "Close" button, the frame, the close timer or the main window.
    // True when the window may close now. While connected it sends QUIT, refuses and
    // starts the close timer. A connect under way is abandoned and the close allowed.
    bool CloseRequest();
    // Stops the close timer and asks the view to close the window again.
    void onCloseTimer();
    std::function<void()> RequestClose;
    // The window is closing: the status timer stops.
    void Closed();

    // Staying connected: the ping time-out and, when asked for, automatic reconnects.
    AutoReconnect& Reconnects() { return reconnects_; }

    bool StatusTimerRunning() const { return statusTimer_; }
    bool CloseTimerRunning() const { return closeTimer_; }
    // The view re-reads both timers when this fires.
    std::function<void()> TimersChanged;

private:
    void connect();
    void connectTrusted();
    void connectFailed(std::exception_ptr error);
    void askTrust(const net::CertificateReport& report);
    void system(const std::string& text);
    void setCloseTimer(bool running);
    void noticeConnectionEnd();

    irc::Client& engine_;
    SessionModel& model_;
    const settings::AppSettings& settings_;
    platform::UserPrompts& prompts_;
    bool germanCaptions_ = false;
    bool statusTimer_ = true;
    bool closeTimer_ = false;
    AutoReconnect reconnects_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
    bool connectionUp_ = false; // from OnConnected until its end has been shown
    std::string closingReason_;
};

} // namespace pell::session
