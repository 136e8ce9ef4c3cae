#pragma once

#include "dcc/DccReceiveWorker.h"
#include "dcc/TransferLog.h"
#include "dcc/TransferProgress.h"
#include "dcc/TransferReports.h"
#include "platform/GuiDispatcher.h"
#include "platform/WorkerLink.h"

#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace pell::dcc {

// The model of one download window: the offer, its receive worker, the progress
// display and the log. Lives on the GUI thread; destroying it stops the worker, and
// no report reaches it afterwards.
class DccDownload {
public:
    DccDownload(platform::GuiDispatcher& gui, DownloadOffer offer, DownloadRules rules, ReceiveTiming timing = {});
    ~DccDownload();
    DccDownload(const DccDownload&) = delete;
    DccDownload& operator=(const DccDownload&) = delete;

    // Prepares the progress display and starts the worker; once.
    void StartDownload();
    // The sender agreed to resume (DCC ACCEPT): the worker goes on. False when this
    // download asked for no resume or had its answer already.
    bool ResumeAccepted();
    // A passive offer, before StartDownload: listens for the sender on a port of the
    // range; the port, or nothing when none is free.
    std::optional<int> Listen(PortRange range) { return worker_->Listen(range); }
    int ListenPort() const { return worker_->ListenPort(); }

    const DownloadOffer& Offer() const { return offer_; }
    const TransferProgress& Progress() const { return progress_; }
    const TransferLog& Log() const { return log_; }
    bool Running() const { return running_; }
    // The file the worker stores into; read it once the worker has ended.
    const std::string& FilePath() const { return worker_->FilePath(); }

    // The language status lines are shown in, asked as each batch arrives.
    std::function<Language()> LanguageNow = [] { return Language::English; };

    // View hooks, GUI thread: status lines were added (a batch at a time), the display
    // was refreshed, the worker has ended. Beep sounds when the worker ends.
    std::function<void(const std::vector<std::string>&)> LinesAdded;
    std::function<void()> ProgressChanged;
    std::function<void()> Ended;
    std::function<void()> Beep;

private:
    void deliver(TransferReports::Batch& batch);
    void threadTerminated();

    platform::GuiDispatcher& gui_;
    DownloadOffer offer_;
    TransferProgress progress_{TransferProgress::Kind::Download};
    TransferLog log_;
    std::shared_ptr<platform::WorkerLink> link_ = platform::WorkerLink::create();
    TransferReports reports_;
    std::unique_ptr<DccReceiveWorker> worker_;
    std::thread thread_;
    bool running_ = false;
    bool resumeAccepted_ = false;
};

} // namespace pell::dcc
