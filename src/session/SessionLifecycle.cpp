#include "session/SessionLifecycle.h"

#include "net/TlsCertificate.h"
#include "session/ConnectionText.h"
#include "session/EventText.h"
#include "settings/LineText.h"
#include "settings/SettingsError.h"

namespace pell::session {

namespace {

// Fixed for every session window, whatever the profile says.
const char* const kAltNick = "OtherNick";
const char* const kClientText = "Tarn-IRC";

net::SocksVersion socksVersion(settings::ProxyType proxyType)
{
    switch (proxyType) {
    case settings::ProxyType::Socks4:
        return net::SocksVersion::Socks4;
    case settings::ProxyType::Socks4A:
        return net::SocksVersion::Socks4A;
    case settings::ProxyType::Socks5:
        return net::SocksVersion::Socks5;
    case settings::ProxyType::None:
    case settings::ProxyType::NotChosen:
        break;
    }
    return net::SocksVersion::None;
}

irc::LoginSettings loginOf(const settings::ServerLogin& login)
{
    irc::LoginSettings settings;
    if (login.Mechanism == "PLAIN")
        settings.Mechanism = irc::LoginMechanism::Plain;
    else if (login.Mechanism == "EXTERNAL")
        settings.Mechanism = irc::LoginMechanism::External;
    settings.Account = login.Account;
    settings.Password = login.Password;
    settings.Required = login.Required && settings.Mechanism != irc::LoginMechanism::None;
    return settings;
}

} // namespace

SessionLifecycle::SessionLifecycle(irc::Client& engine, SessionModel& model,
                                   const settings::AppSettings& settings, platform::UserPrompts& prompts)
    : engine_(engine), model_(model), settings_(settings), prompts_(prompts), reconnects_(engine, model, settings)
{
    reconnects_.Connect = [this] { connect(); };
}

SessionLifecycle::~SessionLifecycle()
{
    *alive_ = false;
}

void SessionLifecycle::Create(const settings::ServerProfile& profile)
{
    model_.SetCurrentChannel(MainCaption);
    germanCaptions_ = settings_.Language == settings::Language::German;
    platform::runReported(prompts_, [&] {
        model_.SetServerName(profile.Name);
        model_.SetCaption(profile.Name);

        engine_.Username = profile.Username;
        engine_.RealName = profile.RealName;
        engine_.SetNick(profile.Nick);
        engine_.Password = profile.Password;
        engine_.Host = profile.Host;
        engine_.Port = profile.Port;
        engine_.Tls.Enabled = profile.Tls;
        engine_.Tls.ClientCertificate = profile.Login.Certificate;
        engine_.Login = loginOf(profile.Login);
        engine_.AltNick = kAltNick;
        engine_.Replies.Version = kClientText;
        engine_.Replies.ClientInfo = kClientText;

        irc::UserModes modes = 0;
        if (profile.Invisible)
            modes |= irc::user_mode::Invisible;
        if (profile.Operator)
            modes |= irc::user_mode::Operator;
        if (profile.ServerNotice)
            modes |= irc::user_mode::ServerNotices;
        if (profile.Wallops)
            modes |= irc::user_mode::Wallops;
        engine_.SetUserMode(modes);

        // The proxy is read once, here; a port that is not a number stops the steps
        // with the fields before it set and the version still direct.
        net::SocksSettings& socks = engine_.Socks;
        if (!settings_.ProxyHost.empty()) {
            socks.Host = settings_.ProxyHost;
            socks.Port = settings::ParseInt32(settings_.ProxyPort);
            socks.Username = settings_.ProxyUser;
            socks.Password = settings_.ProxyPassword;
            socks.Authentication = settings_.ProxyNeedsAuth ? net::SocksAuthentication::UsernamePassword
                                                            : net::SocksAuthentication::None;
            socks.Version = socksVersion(settings_.ProxyType);
        } else {
            socks.Version = net::SocksVersion::None;
        }

        connect();
    });
}

void SessionLifecycle::connect()
{
    engine_.Tls.TrustedSha256 =
        engine_.Tls.Enabled ? model_.Shared().Certificates.Find(engine_.Host, engine_.Port) : std::string();
    connectTrusted();
}

void SessionLifecycle::connectTrusted()
{
    engine_.ConnectAsync(ConnectTimeout, [this](std::exception_ptr error) {
        if (error)
            connectFailed(error);
    });
}

void SessionLifecycle::connectFailed(std::exception_ptr error)
{
    try {
        std::rethrow_exception(error);
    } catch (const net::CertificateError& untrusted) {
        askTrust(untrusted.Report());
    } catch (const std::exception& failed) {
        // A failed automatic try is a line in "Main", not a box for each try.
        if (!reconnects_.ConnectFailed(failed.what()))
            prompts_.showError(ConnectFailure(settings_.Language, failed));
    }
}

void SessionLifecycle::askTrust(const net::CertificateReport& report)
{
    const settings::Language language = settings_.Language;
    const auto alive = alive_;
    const bool trust = prompts_.askYesNo(ConnectionText(language, ConnectionTextKind::CertificateCaption),
                                         CertificateQuestion(language, report));
    if (!*alive)
        return; // the window went while the box was open
    if (!trust) {
        system(ConnectionText(language, ConnectionTextKind::CertificateRefused, HostAndPort(report.Host, report.Port)));
        return;
    }
    try {
        model_.Shared().Certificates.Trust(engine_.Host, engine_.Port, report.Sha256);
    } catch (const settings::SettingsError& unsaved) {
        system(ConnectionText(language, ConnectionTextKind::CertificateUnsaved, unsaved.what()));
    }
    engine_.Tls.TrustedSha256 = report.Sha256;
    platform::runReported(prompts_, [&] { connectTrusted(); });
}

void SessionLifecycle::system(const std::string& text)
{
    model_.AddText(MainCaption, "System", text, static_cast<Rgb>(settings_.SystemColour));
}

void SessionLifecycle::OnConnected()
{
    SessionTabs& tabs = model_.Tabs();
    tabs.ClearNicks(tabs.Find(MainCaption));
    model_.Members().Clear();
    model_.SetStatusPanel(0, StatusConnected);
    model_.SetStatusPanel(1, engine_.Nick());
    const std::string encryption = engine_.Encryption();
    if (!encryption.empty())
        system(ConnectionText(settings_.Language, ConnectionTextKind::Encrypted, encryption));
    connectionUp_ = true;
    closingReason_.clear();
}

void SessionLifecycle::OnLoggedIn(const std::string& account)
{
    system(ConnectionText(settings_.Language, ConnectionTextKind::LoggedIn, account));
}

void SessionLifecycle::OnLoginFailed(irc::LoginFailure why, const std::string& serverText, bool disconnecting)
{
    const settings::Language language = settings_.Language;
    ConnectionTextKind kind = ConnectionTextKind::LoginRejected;
    std::string detail = serverText;
    switch (why) {
    case irc::LoginFailure::Rejected: kind = ConnectionTextKind::LoginRejected; break;
    case irc::LoginFailure::Aborted: kind = ConnectionTextKind::LoginAborted; break;
    case irc::LoginFailure::NotEncrypted: kind = ConnectionTextKind::LoginNotEncrypted; break;
    case irc::LoginFailure::NoAnswer: kind = ConnectionTextKind::LoginNoAnswer; break;
    case irc::LoginFailure::NotOffered:
        kind = ConnectionTextKind::LoginNotOffered;
        detail = engine_.Login.Mechanism == irc::LoginMechanism::External ? "EXTERNAL" : "PLAIN";
        break;
    }
    system(ConnectionText(language, kind, detail) + " " +
           ConnectionText(language, disconnecting ? ConnectionTextKind::LoginRequired : ConnectionTextKind::LoginGoesOn));
}

void SessionLifecycle::OnInviteNotify(const std::string& inviter, const std::string& invitee,
                                      const std::string& channelName)
{
    model_.AddText(channelName, "System", ConnectionText(settings_.Language, ConnectionTextKind::InviteNotify, inviter,
                                                         invitee, channelName),
                   static_cast<Rgb>(settings_.SystemColour));
}

void SessionLifecycle::ShowOwnNick()
{
    if (model_.StatusPanel(1) != engine_.Nick())
        model_.SetStatusPanel(1, engine_.Nick());
}

void SessionLifecycle::noticeConnectionEnd()
{
    if (!connectionUp_ || engine_.Connected())
        return;
    connectionUp_ = false;
    const std::string text = closingReason_.empty()
                                 ? EventText(settings_.Language, EventKind::ConnectionEnded, "")
                                 : EventText(settings_.Language, EventKind::ConnectionEndedBecause, closingReason_);
    model_.ConnectionEnded(text, static_cast<Rgb>(settings_.SystemColour));
}

void SessionLifecycle::onStatusTick()
{
    engine_.Tick(std::chrono::steady_clock::now());
    noticeConnectionEnd();
    const irc::ClientState state = engine_.State();
    const std::string* status = nullptr;
    if (engine_.Connected()) {
        if (state == irc::ClientState::Connecting || state == irc::ClientState::LoggingOn)
            status = &StatusConnecting;
        else if (state == irc::ClientState::Connected)
            status = &StatusConnected;
    } else {
        // A failed connect leaves the engine in its connecting state: only a connect
        // that is still under way reads as "Connecting".
        status = state == irc::ClientState::Connecting && engine_.ConnectPending() ? &StatusConnecting
                                                                         : &StatusDisconnected;
    }
    if (status && model_.StatusPanel(0) != *status)
        model_.SetStatusPanel(0, *status);
    if (model_.StatusPanel(2) != model_.CurrentChannel())
        model_.SetStatusPanel(2, model_.CurrentChannel());
    reconnects_.Tick();
    model_.ReportLogErrors();
}

void SessionLifecycle::AskNewNick(std::string& nick)
{
    nick = prompts_.askText("New Nick", "New Nick", "").value_or("");
}

void SessionLifecycle::Reconnect()
{
    if (engine_.ConnectPending())
        return;
    reconnects_.UserReconnect();
    if (engine_.Connected()) {
        engine_.Quit("");
    } else {
        noticeConnectionEnd();
        platform::runReported(prompts_, [&] { connect(); });
    }
}

bool SessionLifecycle::CloseRequest()
{
    if (engine_.ConnectPending()) {
        engine_.Disconnect(true);
        return true;
    }
    if (!engine_.Connected())
        return true;
    std::string& reason = model_.Shared().QuitReason;
    if (reason.empty()) {
        reason = prompts_.askText("Reason", "Reason:", "").value_or("");
        if (reason.empty())
            reason = " ";
    }
    engine_.Quit(reason);
    setCloseTimer(true);
    return false;
}

void SessionLifecycle::onCloseTimer()
{
    setCloseTimer(false);
    if (RequestClose)
        RequestClose();
}

void SessionLifecycle::Closed()
{
    reconnects_.Stop();
    statusTimer_ = false;
    setCloseTimer(false);
    if (TimersChanged)
        TimersChanged();
}

void SessionLifecycle::setCloseTimer(bool running)
{
    if (closeTimer_ == running)
        return;
    closeTimer_ = running;
    if (TimersChanged)
        TimersChanged();
}

} // namespace pell::session
