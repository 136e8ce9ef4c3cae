#include "irc/Client.h"

#include "net/Resolver.h"
#include "net/TransportError.h"

namespace pell::irc {

namespace {

const char* const kNotConnected = "Nicht mit Server verbunden.";
const char* const kLogonFailed = "IRC-Verbindung fehlgeschlagen";

std::string concat(std::initializer_list<std::string_view> parts)
{
    std::size_t size = 0;
    for (std::string_view part : parts)
        size += part.size();
    std::string out;
    out.reserve(size);
    for (std::string_view part : parts)
        out.append(part);
    return out;
}

} // namespace

Client::Client(std::unique_ptr<net::LineTransport> transport, ClientEvents& events)
    : Channels(&Users, &events, &support_), transport_(std::move(transport)), events_(events)
{
}

Client::~Client()
{
    cancelConnect();
    if (Connected())
        Disconnect(true);
    transport_->Close(false);
}

std::string Client::Nick() const
{
    return Connected() ? currentNick_ : nick_;
}

void Client::SetNick(const std::string& nick)
{
    if (Connected())
        Raw(concat({"NICK ", nick}));
    else
        nick_ = nick;
}

void Client::SetUserMode(UserModes modes)
{
    if (!Connected())
        userMode_ = modes;
}

void Client::SetState(ClientState state)
{
    if (state_ == state)
        return;
    state_ = state;
    events_.OnStateChange();
}

void Client::beginConnect()
{
    cancelConnect();
    if (Connected())
        Disconnect(true);

    ++generation_;
    Channels.Clear();
    Users.Clear();
    ListBuffer.clear(); // a list the last connection lost halfway
    ListMark = 0;
    ownUser_ = Users.Add(nick_, "");
    currentNick_ = nick_;
    refusedNicks_.clear();
    if (support_ != ServerSupport()) {
        support_ = ServerSupport();
        events_.OnServerSupport(support_);
    }
    SetState(ClientState::Connecting);
}

void Client::Connect(int timeoutMs)
{
    beginConnect();
    transport_->Open(net::LineEndpoint{Host, Port, BoundIP, Socks, Tls}, timeoutMs);
    events_.OnConnected();
    logOn();
}

void Client::ConnectAsync(int timeoutMs, ConnectDone done)
{
    beginConnect();
    pendingDone_ = std::move(done);
    transport_->OpenAsync(net::LineEndpoint{Host, Port, BoundIP, Socks, Tls}, timeoutMs,
                          [this](std::exception_ptr error) { connectEnded(error); });
}

void Client::connectEnded(std::exception_ptr error)
{
    ConnectDone done = std::move(pendingDone_);
    pendingDone_ = nullptr;
    if (!error) {
        try {
            events_.OnConnected();
            logOn();
        } catch (...) {
            error = std::current_exception();
        }
    }
    if (done)
        done(error);
}

void Client::cancelConnect()
{
    transport_->CancelOpen();
    pendingDone_ = nullptr;
}

void Client::logOn()
{
    SetState(ClientState::LoggingOn);
    try {
        events_.OnConnect();
        if (Connected())
            transport_->StartReading([this](const std::string& line) { HandleLine(line); });
        const std::string local = BoundIP.empty() ? net::LocalIPv4Address() : BoundIP;
        const std::string& server = welcomeServer_.empty() ? local : welcomeServer_;
        startNegotiation();
        if (!Password.empty())
            Raw(concat({"PASS ", Password}));
        Raw(concat({"NICK ", nick_}));
        Raw(concat({"USER ", Username, " ", local, " ", server, " :", RealName}));
    } catch (const net::TransportError& error) {
        if (error.kind() != net::TransportError::Kind::Socket)
            throw;
        throw net::TransportError(net::TransportError::Kind::Socket, kLogonFailed, error.code());
    }
}

void Client::Disconnect(bool force)
{
    if (state_ != ClientState::Connected && !force)
        return;
    cancelConnect();
    if (ownUser_) {
        Users.Remove(ownUser_);
        ownUser_ = nullptr;
    }
    SetState(ClientState::Disconnecting);
    events_.OnDisconnect();
    transport_->Close(true);
    SetState(ClientState::Disconnected);
}

void Client::HandleLine(const std::string& line)
{
    if (state_ == ClientState::Disconnected || line.empty())
        return;
    try {
        events_.OnReceive(line);
        message_.Tokenize(line);
        if (message_.Command.empty() && line.front() == '@')
            return; // tags and nothing else
        const auto said = LineTime();
        if (!said) {
            Dispatch();
            return;
        }
        events_.OnLineTime(said);
        struct LineTimeEnd {
            ClientEvents& events;
            ~LineTimeEnd() { events.OnLineTime(std::nullopt); }
        } end{events_};
        Dispatch();
    } catch (const net::TransportError&) {
        // A reply that cannot be written means the connection is gone; the reader
        // and Connected() report that.
    } catch (const std::exception& error) {
        // Anything else would escape into the event loop and end the program.
        handlerFailed(error.what());
    } catch (...) {
        handlerFailed("unknown error");
    }
}

void Client::handlerFailed(const std::string& message)
{
    // A hostile server could make every line fail: report a few, drop the rest.
    if (!handlerErrorLimiter_.Allow())
        return;
    try {
        events_.OnHandlerError(message);
    } catch (...) {
    }
}

void Client::Raw(std::string_view line)
{
    // A CR, LF or NUL inside would end the line early on the wire and let the rest
    // (text a peer chose, say) travel as a command of its own.
    line = line.substr(0, line.find_first_of(std::string_view("\r\n\0", 3)));
    if (!Connected()) {
        events_.OnError(nullptr, "", kNotConnected);
        return;
    }
    if (holdsUntilNegotiated(line)) {
        held_.emplace_back(line);
        return;
    }
    transport_->WriteLine(line);
    events_.OnSend(std::string(line));
}

void Client::Say(std::string_view target, std::string_view text)
{
    Raw(concat({"PRIVMSG ", target, " :", text}));
}

void Client::Notice(std::string_view target, std::string_view text)
{
    Raw(concat({"NOTICE ", target, " :", text}));
}

void Client::CtcpQuery(std::string_view target, std::string_view command, std::string_view parameters)
{
    std::string upper(command);
    for (char& c : upper)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    Say(target, concat({"\x01", upper, " ", parameters, "\x01"}));
}

void Client::CtcpReply(std::string_view target, std::string_view command, std::string_view parameters)
{
    Notice(target, concat({"\x01", command, " ", parameters, "\x01"}));
}

void Client::Action(std::string_view target, std::string_view text)
{
    CtcpQuery(target, "ACTION", text);
}

void Client::Join(std::string_view channel, std::string_view key)
{
    Raw(key.empty() ? concat({"JOIN ", channel}) : concat({"JOIN ", channel, " ", key}));
}

void Client::Part(std::string_view channel, std::string_view reason)
{
    Raw(reason.empty() ? concat({"PART ", channel}) : concat({"PART ", channel, " :", reason}));
}

void Client::Kick(std::string_view channel, std::string_view nick, std::string_view reason)
{
    Raw(concat({"KICK ", channel, " ", nick, " :", reason}));
}

void Client::Quit(std::string_view reason)
{
    Raw(concat({"QUIT :", reason}));
}

void Client::Mode(std::string_view target, std::string_view modes, std::string_view parameters)
{
    Raw(parameters.empty() ? concat({"MODE ", target, " ", modes})
                           : concat({"MODE ", target, " ", modes, " ", parameters}));
}

bool Client::IsChannel(std::string_view name)
{
    if (name.empty())
        return false;
    const char first = name.front();
    return first == '#' || first == '&' || first == '!' || first == '+';
}

void Client::NickFallback()
{
    refusedNicks_.insert(currentNick_);
    std::string next;
    if (currentNick_ == nick_ && !refusedNicks_.count(AltNick)) {
        next = AltNick;
    } else {
        next = currentNick_;
        events_.OnNicksInUse(next);
    }
    // A nick the server already refused in this logon would only be refused again,
    // round after round: give up instead.
    if (refusedNicks_.count(next))
        next.clear();
    currentNick_ = next;
    if (!currentNick_.empty())
        SetNick(currentNick_);
    else
        Disconnect(true);
}

} // namespace pell::irc
