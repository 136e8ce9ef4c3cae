#include "dcc/DccSend.h"

#include "dcc/ListenPort.h"
#include "net/TransportError.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace pell::dcc {

DccSend::DccSend(platform::GuiDispatcher& gui, SendTiming timing)
    : gui_(gui), timing_(timing),
      reports_(gui, link_, TransferLog::MaxLines, [this](TransferReports::Batch& batch) { deliver(batch); })
{
    server_.DefaultPort = FirstListenPort;
    server_.MaxConnections = MaxReceivers;
    server_.SetOnExecute([this](net::TcpServerWorker& worker) { serve(worker); });
}

DccSend::~DccSend()
{
    // Cancel first, so a worker waiting for this thread wakes; then stop them all.
    link_->cancel();
    client_.Abort();
    server_.Stop();
    if (connecting_.joinable())
        connecting_.join();
}

void DccSend::SetSendFile(const std::string& path)
{
    FileName = path;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throw std::system_error(errno, std::generic_category(), path);
    struct stat info {};
    const int result = ::fstat(fd, &info);
    const int error = errno;
    ::close(fd);
    if (result != 0)
        throw std::system_error(error, std::generic_category(), path);
    if (!S_ISREG(info.st_mode))
        throw std::system_error(EISDIR, std::generic_category(), path);
    FileSize = info.st_size;
    progress_.FileSize = FileSize;
}

bool DccSend::OpenListener(PortRange range)
{
    const auto port = dcc::OpenListener(server_, range);
    if (port)
        Port = *port;
    return port.has_value();
}

// Runs on the connection's own thread; copies what it needs before it starts.
void DccSend::serve(net::TcpServerWorker& worker)
{
    try {
        sendOver(worker.Connection());
    } catch (...) {
        reports_.Flush(); // what it said last still reaches the window
        throw;
    }
}

void DccSend::ConnectTo(const std::string& host, int port)
{
    if (connecting_.joinable())
        return;
    client_.Host = host;
    client_.Port = port;
    connecting_ = std::thread([this] {
        try {
            client_.Connect();
            sendOver(client_);
        } catch (const net::TransportError& error) {
            // The receiver's close after its last acknowledgement is the usual end.
            if (error.kind() != net::TransportError::Kind::ConnectionClosed)
                reports_.Status({error.english(), error.what()});
        } catch (const std::exception&) {
        }
        reports_.Flush();
    });
}

// On the connection's thread: the file from where a resume asked, the clock started on
// the GUI thread.
void DccSend::sendOver(net::TcpConnection& connection)
{
    auto link = link_;
    const auto startClock = [this, link] {
        return link->runAndWait(gui_, [this] { progress_.StartTick = TickCount(); });
    };
    ServeFile(connection, FileName, static_cast<std::uint64_t>(FileSize), resumeAt_.exchange(0), timing_, reports_,
              startClock);
}

void DccSend::deliver(TransferReports::Batch& batch)
{
    const std::vector<std::string> shown = log_.Append(batch.Lines, LanguageNow());
    if (!shown.empty() && LinesAdded)
        LinesAdded(shown);
    if (batch.Progress && progress_.OnDCCProgress(static_cast<std::int64_t>(*batch.Progress), TickCount()) &&
        ProgressChanged)
        ProgressChanged();
}

} // namespace pell::dcc
