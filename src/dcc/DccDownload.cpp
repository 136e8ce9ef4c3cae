#include "dcc/DccDownload.h"

namespace pell::dcc {

DccDownload::DccDownload(platform::GuiDispatcher& gui, DownloadOffer offer, DownloadRules rules, ReceiveTiming timing)
    : gui_(gui), offer_(std::move(offer)),
      reports_(gui, link_, TransferLog::MaxLines, [this](TransferReports::Batch& batch) { deliver(batch); })
{
    progress_.FileSize = offer_.FileSize;
    worker_ = std::make_unique<DccReceiveWorker>(offer_, std::move(rules), timing, reports_);
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

bool DccDownload::ResumeAccepted()
{
    if (offer_.ResumeFrom == 0 || resumeAccepted_)
        return false;
    resumeAccepted_ = true;
    worker_->ResumeAccepted();
    return true;
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
        link->runAndWait(gui_, [this] {
            reports_.DeliverPending();
            threadTerminated();
        });
    });
}

void DccDownload::deliver(TransferReports::Batch& batch)
{
    const std::vector<std::string> shown = log_.Append(batch.Lines, LanguageNow());
    if (!shown.empty() && LinesAdded)
        LinesAdded(shown);
    if (batch.Progress && progress_.OnDCCProgress(static_cast<std::int64_t>(*batch.Progress), TickCount()) &&
        ProgressChanged)
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
