#include "irc/TIdIRC.h"

#include "direct/Resolver.h"
#include "direct/TransportError.h"
#include "platform/GuiDispatcher.h"
#include "platform/WorkerLink.h"

namespace pell::irc {

namespace {

// Lines handed to the GUI thread in one go when the server sends a burst.
constexpr std::size_t kMaxBatch = 256;

// How long an orderly disconnect waits for queued lines (a QUIT, say) to go out.
constexpr std::chrono::milliseconds kDisconnectFlush{500};

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

TIdIRC::TIdIRC(platform::GuiDispatcher& gui)
    : Users(this), Channels(this, &Users), gui_(gui)
{
    socket_.OnWaiting = [this] { gui_.processEvents(); };
    socket_.OnConnected = [this] {
        if (OnConnected)
            OnConnected();
    };
}

TIdIRC::~TIdIRC()
{
    cancelConnect();
    if (Connected())
        Disconnect(true);
    stopReader();
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

// A connect under way on its helper thread. The helper touches only this record.
struct TIdIRC::PendingConnect {
    direct::TcpClient client;
    std::shared_ptr<platform::WorkerLink> link = platform::WorkerLink::create();
    std::thread thread;
};

void TIdIRC::beginConnect()
{
    cancelConnect();
    if (Connected())
        Disconnect(true);
    else
        stopReader(); // a reader that ended with a lost connection
    readerFailed_ = false;

    ++generation_;
    Channels.Clear();
    Users.Clear();
    ownUser_ = Users.Add(nick_, "");
    currentNick_ = nick_;
    refusedNicks_.clear();
    SetState(csConnecting);

    socket_.Host = Host;
    socket_.Port = Port;
    socket_.BoundIP = BoundIP;
    socket_.ReadTimeout = 0;
    socket_.LineAction = direct::MaxLineAction::maException;
}

void TIdIRC::Connect(int timeoutMs)
{
    beginConnect();
    socket_.Connect(timeoutMs);
    logOn();
}

void TIdIRC::ConnectAsync(int timeoutMs, ConnectDone done)
{
    beginConnect();
    if (socket_.socketHandle() >= 0)
        socket_.Disconnect();

    auto job = std::make_shared<PendingConnect>();
    direct::TcpClient& client = job->client;
    client.Host = socket_.Host;
    client.Port = socket_.Port;
    client.BoundIP = socket_.BoundIP;
    client.SocksInfo = socket_.SocksInfo;
    client.RecvBufferSize = socket_.RecvBufferSize;
    client.SendBufferSize = socket_.SendBufferSize;
    pending_ = job;
    pendingDone_ = std::move(done);

    // The helper thread never touches the engine: only its report does, on the GUI
    // thread, and the engine cancels the link (and joins the thread) before it goes.
    platform::GuiDispatcher& gui = gui_;
    job->thread = std::thread([this, &gui, job, timeoutMs] {
        std::exception_ptr error;
        try {
            job->client.Connect(timeoutMs);
        } catch (...) {
            error = std::current_exception();
        }
        job->link->post(gui, [this, job, error] { connectEnded(job, error); });
    });
}

void TIdIRC::connectEnded(const std::shared_ptr<PendingConnect>& job, std::exception_ptr error)
{
    if (pending_ != job)
        return;
    job->thread.join(); // it has only to return
    pending_.reset();
    ConnectDone done = std::move(pendingDone_);
    pendingDone_ = nullptr;
    if (!error) {
        socket_.TakeOver(job->client);
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
    if (!pending_)
        return;
    const auto job = std::move(pending_);
    pendingDone_ = nullptr;
    job->link->cancel();
    job->client.Abort();
    // A host name lookup cannot be interrupted: waiting for it here would hold the
    // window for as long as a dead name server takes. The helper finishes on its own;
    // it holds its job, and the cancelled link keeps it from reporting.
    if (job->thread.joinable())
        job->thread.detach();
}

void TIdIRC::logOn()
{
    SetState(csLoggingOn);
    try {
        if (OnConnect)
            OnConnect();
        if (Connected())
            startReader();
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
    if (socket_.Connected())
        writer_.Flush(kDisconnectFlush);
    stopReader();
    socket_.Disconnect();
    SetState(csDisconnected);
}

void TIdIRC::startReader()
{
    writer_.Start();
    readerLink_ = platform::WorkerLink::create();
    reader_ = std::thread([this, link = readerLink_] { readLoop(link); });
}

void TIdIRC::stopReader()
{
    if (readerLink_)
        readerLink_->cancel();
    socket_.Shutdown(); // wakes a send stuck on a peer that stopped reading, too
    writer_.Stop();
    if (reader_.joinable())
        reader_.join();
    readerLink_.reset();
}

void TIdIRC::readLoop(const std::shared_ptr<platform::WorkerLink>& link)
{
    try {
        while (!link->cancelled()) {
            // The batch is made once a line is in: nothing of ours sits on the heap
            // while the reader waits, however the wait ends.
            std::string first = socket_.ReadLine();
            auto batch = std::make_shared<std::vector<std::string>>();
            batch->push_back(std::move(first));
            std::string more;
            while (batch->size() < kMaxBatch && socket_.TakeBufferedLine(more))
                batch->push_back(std::move(more));
            // Each line is handled as if alone; a line that disconnects (or destroys)
            // the engine cancels the link, and the rest of the batch is dropped.
            const bool ran = link->runAndWait(gui_, [this, batch, link] {
                for (const std::string& line : *batch) {
                    if (link->cancelled())
                        return;
                    HandleLine(line);
                }
            });
            if (!ran || !socket_.Connected())
                return;
        }
    } catch (const direct::TransportError&) {
        // Closed, reset or an over-long line: the reader ends without an event; the
        // owner sees Connected() turn false, and the server sees us leave.
        readerFailed_ = true;
        socket_.Shutdown();
    }
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
    writer_.WriteLine(line);
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
