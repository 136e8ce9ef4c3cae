#include "dcc/DirectChatListener.h"

#include "dcc/ListenPort.h"
#include "net/Resolver.h"

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <stdexcept>
#include <sys/socket.h>
#include <vector>

namespace pell::dcc {

namespace {

struct OwnerGone : std::runtime_error {
    OwnerGone() : std::runtime_error("window closed") {}
};

} // namespace

DirectChatListener::DirectChatListener(platform::GuiDispatcher& gui) : gui_(gui)
{
    server_.DefaultPort = FirstListenPort;
    server_.MaxConnections = MaxPartners;
    server_.SetOnExecute([this](net::TcpServerWorker& worker) { serve(worker); });
}

DirectChatListener::~DirectChatListener()
{
    // Cancel first, so a worker waiting for this thread wakes; then stop them all.
    link_->cancel();
    server_.Stop();
}

bool DirectChatListener::StartListen(PortRange range)
{
    captioned_ = true;
    const auto port = OpenListener(server_, range);
    if (port)
        Port = *port;
    return port.has_value();
}

// Runs on the connection's own thread, again and again while it is open.
void DirectChatListener::serve(net::TcpServerWorker& worker)
{
    net::TcpConnection& connection = worker.Connection();
    if (!worker.Data.has_value()) {
        worker.Data = true;
        const std::string peer = net::PeerOf(connection.socketHandle());
        if (!link_->runAndWait(gui_, [this, peer] { lines_.AddNote(DccText(LanguageNow(), DccMessage::ChatConnected, {peer})); }))
            throw OwnerGone();
    }
    const std::string line = connection.ReadLine('\n');
    if (!link_->runAndWait(gui_, [this, &line] { lines_.Add(RemoteNick, line); }))
        throw OwnerGone();
}

void DirectChatListener::Send(const std::string& text)
{
    const std::string line = text + "\r\n";
    std::vector<std::string> dropped;
    server_.ForEachConnection([&](net::TcpConnection& connection) {
        const int socket = connection.socketHandle();
        ssize_t sent;
        do {
            sent = ::send(socket, line.data(), line.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
        } while (sent < 0 && errno == EINTR);
        if (sent == static_cast<ssize_t>(line.size()))
            return;
        if (sent < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
            return; // already broken: its worker ends on its own
        dropped.push_back(net::PeerOf(socket));
        connection.Shutdown();
    });
    lines_.Add(OwnNick, text);
    for (const std::string& partner : dropped)
        lines_.AddNote(DccText(LanguageNow(), DccMessage::ChatNotReading, {partner}));
}

bool DirectChatListener::CloseRequest()
{
    server_.SetOnExecute({}); // late lines are no longer shown
    const bool open = server_.ConnectionCount() > 0;
    server_.DisconnectAll();
    closeTimer_ = true;
    if (TimerChanged)
        TimerChanged();
    return !open;
}

void DirectChatListener::onCloseTimer()
{
    closeTimer_ = false;
    if (TimerChanged)
        TimerChanged();
    if (RequestClose)
        RequestClose();
}

} // namespace pell::dcc
