#include "session/Session.h"

#include "irc/User.h"
#include "net/SocketLineTransport.h"
#include "session/ServerText.h"

namespace pell::session {

// The engine's events reach the session here. SessionEvents shows each of them; the
// overrides below are the events other parts act on as well, each in the order in
// which the parts hear it.
class Session::Listener final : public SessionEvents {
public:
    Listener(Session& session, const settings::AppSettings& settings)
        : SessionEvents(session.model_, settings), session_(session)
    {
    }

    void OnConnected() override { session_.lifecycle_.OnConnected(); }

    // Each server line starts with its arrival as the time of what it shows.
    void OnReceive(const std::string&) override
    {
        session_.model_.NewServerLine();
        session_.lifecycle_.Reconnects().LineReceived();
    }

    void OnSend(const std::string& line) override { session_.lifecycle_.Reconnects().Sent(line); }

    void OnStateChange() override
    {
        if (session_.engine_.State() == irc::ClientState::Connected)
            session_.lifecycle_.Reconnects().Registered();
    }

    // :srv 005 me CASEMAPPING=ascii ... :are supported by this server
    void OnRaw(irc::User* user, const std::string& command, const std::string& content, bool& suppress) override
    {
        SessionEvents::OnRaw(user, command, content, suppress);
        // The answer to the keep-alive PING is for the connection, not for the user.
        if (command == "PONG" && content.find("pell-keepalive") != std::string::npos)
            suppress = true;
        if (command == "ERROR")
            session_.lifecycle_.Reconnects().ServerError(content);
        if (command == "302" && session_.offers_.TakeUserhostReply(content))
            suppress = true;
        if (command != "005")
            return;
        const auto at = content.find("CASEMAPPING=");
        if (at == std::string::npos)
            return;
        const std::string_view rest = std::string_view(content).substr(at + 12);
        const CaseMapping mapping = CaseMappingNamed(rest.substr(0, rest.find(' ')));
        session_.model_.Mapping = mapping;
        session_.commands_.Completion().Mapping = mapping;
    }

    // The nick in use: after the welcome (it may be the fallback) and after every change.
    void OnSystem(irc::User* user, int numeric, const std::string& category, const std::string& content) override
    {
        SessionEvents::OnSystem(user, numeric, category, content);
        if (numeric == 1) {
            session_.lifecycle_.ShowOwnNick();
            session_.offers_.AskSeenAddress();
        }
    }

    void OnNickChanged(const std::string& oldNick) override
    {
        SessionEvents::OnNickChanged(oldNick);
        session_.lifecycle_.ShowOwnNick();
    }

    // The server says why it closes the connection; the end is shown with it.
    void OnUnknownCommand(irc::User* user, const std::string& command, const std::string& content) override
    {
        SessionEvents::OnUnknownCommand(user, command, content);
        if (command == "ERROR")
            session_.lifecycle_.ServerClosing(ServerText(content, 0));
    }

    void OnNicksInUse(std::string& nick) override
    {
        SessionEvents::OnNicksInUse(nick);
        session_.lifecycle_.AskNewNick(nick);
    }

    void OnDccSendOffer(const std::string& nick, const std::string& address, const std::string& port,
                        const std::string& fileName, const std::string& fileSize, const std::string& token) override
    {
        session_.offers_.OnSendOffer(nick, address, port, fileName, fileSize, token);
    }

    void OnDccResume(const std::string& nick, const std::string& port, const std::string& fileName,
                     const std::string& position, const std::string& token) override
    {
        session_.offers_.OnResume(nick, port, fileName, position, token);
    }

    void OnDccAccept(const std::string& nick, const std::string& port, const std::string& fileName,
                     const std::string& position, const std::string& token) override
    {
        session_.offers_.OnAccept(nick, port, fileName, position, token);
    }

    void OnDccChatOffer(const std::string& nick, const std::string& address, const std::string& port) override
    {
        session_.chats_.OnChatOffer(nick, address, port);
    }

    void OnLineTime(const std::optional<std::chrono::system_clock::time_point>& said) override
    {
        session_.model_.SetLineTime(said);
    }

    void OnLoggedIn(const std::string& account) override { session_.lifecycle_.OnLoggedIn(account); }

    void OnLoginFailed(irc::LoginFailure why, const std::string& serverText, bool disconnecting) override
    {
        session_.lifecycle_.OnLoginFailed(why, serverText, disconnecting);
    }

    void OnAwayChange(irc::User* user, bool away, const std::string& reason) override
    {
        if (!user)
            return;
        session_.model_.Members().SetAway(user->Nick(), away, reason);
        session_.model_.MembersChanged();
    }

    void OnAccount(irc::User* user, const std::string& account) override
    {
        if (!user)
            return;
        session_.model_.Members().SetAccount(user->Nick(), account);
        session_.model_.MembersChanged();
    }

    void OnNickChange(irc::User* user, const std::string& newNick) override
    {
        SessionEvents::OnNickChange(user, newNick);
        if (user)
            session_.model_.Members().Rename(user->Nick(), newNick);
    }

    void OnQuit(irc::User* user) override
    {
        SessionEvents::OnQuit(user);
        if (user)
            session_.model_.Members().Forget(user->Nick());
    }

    void OnInviteNotify(irc::User* inviter, const std::string& invitee, const std::string& channelName) override
    {
        session_.lifecycle_.OnInviteNotify(inviter ? inviter->Nick() : std::string(), invitee, channelName);
    }

private:
    Session& session_;
};

namespace {

std::unique_ptr<net::LineTransport> transportFor(const SessionContext& context)
{
    if (context.Transport)
        return context.Transport();
    return std::make_unique<net::SocketLineTransport>(context.Gui);
}

} // namespace

Session::Session(SessionContext context, const settings::ServerProfile& pendingProfile,
                 const std::function<void(SessionModel&)>& attachView)
    : model_(context.Settings, context.Shared, context.Ports),
      listener_(std::make_unique<Listener>(*this, context.Settings)),
      engine_(transportFor(context), *listener_),
      commands_(engine_, model_, context.Settings, context.Ports.Prompts, context.UserInfo),
      templates_(engine_, commands_, context.Settings, context.Ports.Prompts),
      lifecycle_(engine_, model_, context.Settings, context.Ports.Prompts),
      offers_(engine_, model_, context.Settings, context.Ports.Prompts, context.Gui),
      chats_(engine_, model_, context.Settings, context.Ports.Prompts, context.Gui, offers_)
{
    model_.OwnNick = [this] { return engine_.Nick(); };
    listener_->SetEngine(&engine_);
    if (attachView)
        attachView(model_);
    lifecycle_.ConnectTimeout = context.ConnectTimeoutMs;
    lifecycle_.Create(pendingProfile);
}

Session::~Session() = default;

} // namespace pell::session
