#include "dcc/DccDownload.h"

namespace pell::dcc {

DccDownload::DccDownload(platform::GuiDispatcher& gui, DownloadOffer offer, DownloadRules rules, ReceiveTiming timing)
    : gui_(gui), offer_(std::move(offer))
{
    progress_.FileSize = offer_.FileSize;
    auto link = link_;
    DccReceiveWorker::Reports reports;
    reports.Status = [this, link](const std::string& line) {
        return link->runAndWait(gui_, [this, line] { reportStatus(line); });
    };
    reports.Progress = [this, link](std::uint64_t bytes) {
        return link->runAndWait(gui_, [this, bytes] { reportProgress(bytes); });
    };
    worker_ = std::make_unique<DccReceiveWorker>(offer_, std::move(rules), timing, std::move(reports));
}

DccDownload::~DccDownload()
{
    // Cancel first: a worker waiting for this thread wakes, and its waits and connect
    // fail at once; only then wait for it.
    link_->cancel();
    worker_->Abort();
    if (thread_.joinable())
        thread_.join();
}

void DccDownload::StartDownload()
{
    if (thread_.joinable())
        return;
    progress_.StartDownload(TickCount());
    running_ = true;
    auto link = link_;
    thread_ = std::thread([this, link] {
        worker_->Run();
        link->runAndWait(gui_, [this] { threadTerminated(); });
    });
}

void DccDownload::reportStatus(const std::string& line)
{
    log_.Append(line);
    if (StatusAdded)
        StatusAdded(line);
}

void DccDownload::reportProgress(std::uint64_t bytes)
{
    if (progress_.OnDCCProgress(static_cast<std::int64_t>(bytes), TickCount()) && ProgressChanged)
        ProgressChanged();
}

void DccDownload::threadTerminated()
{
    running_ = false;
    // Twice: once as the worker ends and once more when its thread has ended.
    for (int i = 0; i < 2; ++i)
        if (Beep)
            Beep();
    if (Ended)
        Ended();
}

} // namespace pell::dcc
