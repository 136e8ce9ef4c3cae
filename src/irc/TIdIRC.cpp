#include "irc/TIdIRC.h"

#include "direct/Resolver.h"
#include "direct/TransportError.h"
#include "irc/SocketLineTransport.h"

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

TIdIRC::TIdIRC(platform::GuiDispatcher& gui, std::unique_ptr<LineTransport> transport)
    : Users(this), Channels(this, &Users),
      transport_(transport ? std::move(transport) : std::make_unique<SocketLineTransport>(gui))
{
}

TIdIRC::~TIdIRC()
{
    cancelConnect();
    if (Connected())
        Disconnect(true);
    transport_->Close(false);
}

std::string TIdIRC::Nick() const
{
    return Connected() ? currentNick_ : nick_;
}

void TIdIRC::SetNick(const std::string& nick)
{
    if (Connected())
        Raw(concat({"NICK ", nick}));
    else
        nick_ = nick;
}

void TIdIRC::SetUserMode(TIdIRCUserModes modes)
{
    if (!Connected())
        userMode_ = modes;
}

void TIdIRC::SetState(TIdIRCState state)
{
    if (state_ == state)
        return;
    state_ = state;
    if (OnStateChange)
        OnStateChange();
}

void TIdIRC::beginConnect()
{
    cancelConnect();
    if (Connected())
        Disconnect(true);

    ++generation_;
    Channels.Clear();
    Users.Clear();
    ownUser_ = Users.Add(nick_, "");
    currentNick_ = nick_;
    refusedNicks_.clear();
    SetState(csConnecting);
}

void TIdIRC::Connect(int timeoutMs)
{
    beginConnect();
    transport_->Open(LineEndpoint{Host, Port, BoundIP, socks_}, timeoutMs);
    if (OnConnected)
        OnConnected();
    logOn();
}

void TIdIRC::ConnectAsync(int timeoutMs, ConnectDone done)
{
    beginConnect();
    pendingDone_ = std::move(done);
    transport_->OpenAsync(LineEndpoint{Host, Port, BoundIP, socks_}, timeoutMs,
                          [this](std::exception_ptr error) { connectEnded(error); });
}

void TIdIRC::connectEnded(std::exception_ptr error)
{
    ConnectDone done = std::move(pendingDone_);
    pendingDone_ = nullptr;
    if (!error) {
        try {
            if (OnConnected)
                OnConnected();
            logOn();
        } catch (...) {
            error = std::current_exception();
        }
    }
    if (done)
        done(error);
}

void TIdIRC::cancelConnect()
{
    transport_->CancelOpen();
    pendingDone_ = nullptr;
}

void TIdIRC::logOn()
{
    SetState(csLoggingOn);
    try {
        if (OnConnect)
            OnConnect();
        if (Connected())
            transport_->StartReading([this](const std::string& line) { HandleLine(line); });
        const std::string local = BoundIP.empty() ? direct::LocalIPv4Address() : BoundIP;
        const std::string& server = welcomeServer_.empty() ? local : welcomeServer_;
        if (!Password.empty())
            Raw(concat({"PASS ", Password}));
        Raw(concat({"NICK ", nick_}));
        Raw(concat({"USER ", Username, " ", local, " ", server, " :", RealName}));
    } catch (const direct::TransportError& error) {
        if (error.kind() != direct::TransportError::Kind::Socket)
            throw;
        throw direct::TransportError(direct::TransportError::Kind::Socket, kLogonFailed, error.code());
    }
}

void TIdIRC::Disconnect(bool force)
{
    if (state_ != csConnected && !force)
        return;
    cancelConnect();
    if (ownUser_) {
        Users.Remove(ownUser_);
        ownUser_ = nullptr;
    }
    SetState(csDisconnecting);
    if (OnDisconnect)
        OnDisconnect();
    transport_->Close(true);
    SetState(csDisconnected);
}

void TIdIRC::HandleLine(const std::string& line)
{
    if (state_ == csDisconnected || line.empty())
        return;
    try {
        if (OnReceive)
            OnReceive(line);
        message_.Tokenize(line);
        Dispatch();
    } catch (const direct::TransportError&) {
        // A reply that cannot be written means the connection is gone; the reader
        // and Connected() report that.
    } catch (const std::exception& error) {
        // Anything else would escape into the event loop and end the program.
        handlerFailed(error.what());
    } catch (...) {
        handlerFailed("unknown error");
    }
}

void TIdIRC::handlerFailed(const std::string& message)
{
    // A hostile server could make every line fail: report a few, drop the rest.
    if (!OnHandlerError || !handlerErrorLimiter_.Allow())
        return;
    try {
        OnHandlerError(message);
    } catch (...) {
    }
}

void TIdIRC::Raw(std::string_view line)
{
    // A CR, LF or NUL inside would end the line early on the wire and let the rest
    // (text a peer chose, say) travel as a command of its own.
    line = line.substr(0, line.find_first_of(std::string_view("\r\n\0", 3)));
    if (!Connected()) {
        if (OnError)
            OnError(nullptr, "", kNotConnected);
        return;
    }
    transport_->WriteLine(line);
    if (OnSend)
        OnSend(std::string(line));
}

void TIdIRC::Say(std::string_view target, std::string_view text)
{
    Raw(concat({"PRIVMSG ", target, " :", text}));
}

void TIdIRC::Notice(std::string_view target, std::string_view text)
{
    Raw(concat({"NOTICE ", target, " :", text}));
}

void TIdIRC::CTCPQuery(std::string_view target, std::string_view command, std::string_view parameters)
{
    std::string upper(command);
    for (char& c : upper)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    Say(target, concat({"\x01", upper, " ", parameters, "\x01"}));
}

void TIdIRC::CTCPReply(std::string_view target, std::string_view command, std::string_view parameters)
{
    Notice(target, concat({"\x01", command, " ", parameters, "\x01"}));
}

void TIdIRC::Action(std::string_view target, std::string_view text)
{
    CTCPQuery(target, "ACTION", text);
}

void TIdIRC::Join(std::string_view channel, std::string_view key)
{
    Raw(key.empty() ? concat({"JOIN ", channel}) : concat({"JOIN ", channel, " ", key}));
}

void TIdIRC::Part(std::string_view channel, std::string_view reason)
{
    Raw(reason.empty() ? concat({"PART ", channel}) : concat({"PART ", channel, " :", reason}));
}

void TIdIRC::Kick(std::string_view channel, std::string_view nick, std::string_view reason)
{
    Raw(concat({"KICK ", channel, " ", nick, " :", reason}));
}

void TIdIRC::Quit(std::string_view reason)
{
    Raw(concat({"QUIT :", reason}));
}

void TIdIRC::Mode(std::string_view target, std::string_view modes, std::string_view parameters)
{
    Raw(parameters.empty() ? concat({"MODE ", target, " ", modes})
                           : concat({"MODE ", target, " ", modes, " ", parameters}));
}

bool TIdIRC::IsChannel(std::string_view name)
{
    if (name.empty())
        return false;
    const char first = name.front();
    return first == '#' || first == '&' || first == '!' || first == '+';
}

void TIdIRC::NickFallback()
{
    refusedNicks_.insert(currentNick_);
    std::string next;
    if (currentNick_ == nick_ && !refusedNicks_.count(AltNick)) {
        next = AltNick;
    } else if (OnNicksInUse) {
        next = currentNick_;
        OnNicksInUse(next);
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
