#include "dcc/DccSend.h"

#include "dcc/DccSendWorker.h"
#include "dcc/ListenPort.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace pell::dcc {

DccSend::DccSend(platform::GuiDispatcher& gui, int ackWaitMs) : gui_(gui), ackWaitMs_(ackWaitMs)
{
    server_.DefaultPort = 59;
    server_.MaxConnections = MaxReceivers;
    server_.SetOnExecute([this](net::TcpServerWorker& worker) { serve(worker); });
}

DccSend::~DccSend()
{
    // Cancel first, so a worker waiting for this thread wakes; then stop them all.
    link_->cancel();
    server_.Stop();
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

bool DccSend::OpenListener()
{
    const auto port = dcc::OpenListener(server_);
    if (port)
        Port = *port;
    return port.has_value();
}

// Runs on the connection's own thread; copies what it needs before it starts.
void DccSend::serve(net::TcpServerWorker& worker)
{
    auto link = link_;
    SendReports reports;
    reports.StartClock = [this, link] {
        return link->runAndWait(gui_, [this] { progress_.StartTick = TickCount(); });
    };
    reports.Progress = [this, link](std::uint64_t bytes) {
        return link->runAndWait(gui_, [this, bytes] {
            if (progress_.OnDCCProgress(static_cast<std::int64_t>(bytes), TickCount()) && ProgressChanged)
                ProgressChanged();
        });
    };
    reports.Status = [this, link](const std::string& line) {
        return link->runAndWait(gui_, [this, line] {
            log_.Append(line);
            if (StatusAdded)
                StatusAdded(line);
        });
    };
    ServeFile(worker.Connection(), FileName, static_cast<std::uint64_t>(FileSize), ackWaitMs_, reports);
}

} // namespace pell::dcc
