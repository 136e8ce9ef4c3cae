#pragma once

#include "dcc/DccSendWorker.h"
#include "dcc/ListenPort.h"
#include "dcc/TransferLog.h"
#include "dcc/TransferProgress.h"
#include "dcc/TransferReports.h"
#include "net/TcpClient.h"
#include "net/TcpServer.h"
#include "platform/GuiDispatcher.h"
#include "platform/WorkerLink.h"

#include <atomic>
#include <functional>
#include <memory>
#include <thread>
#include <string>
#include <vector>

namespace pell::dcc {

// The model of one send window: the offered file, the listening server and one worker
// per receiver, the progress display and the log. Lives on the GUI thread; destroying
// it stops the server and every worker, and no report reaches it afterwards.
class DccSend {
public:
    static constexpr std::size_t MaxReceivers = 8; // connections served at once

    explicit DccSend(platform::GuiDispatcher& gui, SendTiming timing = {});
    ~DccSend();
    DccSend(const DccSend&) = delete;
    DccSend& operator=(const DccSend&) = delete;

    // Fixes the file and its size; throws the file's error when it cannot be read.
    void SetSendFile(const std::string& path);
    // Listens on the next free port of the range (see FindListenPort); false when none.
    bool OpenListener(PortRange range = {});
    // The receiver asked to resume at the position: the next connection starts there.
    void ResumeAt(std::uint64_t position) { resumeAt_ = position; }
    // A passive offer was answered: connects to the receiver and sends the file there,
    // on a thread of its own; once.
    void ConnectTo(const std::string& host, int port);

    std::string FileName;
    int Port = 0;
    std::int64_t FileSize = 0;
    std::string RemoteNick; // whom the file was offered to
    std::string Token;      // a passive offer's (the receiver listens); empty otherwise
    bool Answered() const { return connecting_.joinable(); }

    const TransferProgress& Progress() const { return progress_; }
    const TransferLog& Log() const { return log_; }
    std::size_t Receivers() const { return server_.ConnectionCount(); }

    // The language status lines are shown in, asked as each batch arrives.
    std::function<Language()> LanguageNow = [] { return Language::English; };

    // View hooks, GUI thread.
    std::function<void(const std::vector<std::string>&)> LinesAdded;
    std::function<void()> ProgressChanged;

private:
    void serve(net::TcpServerWorker& worker);
    void sendOver(net::TcpConnection& connection);
    void deliver(TransferReports::Batch& batch);

    platform::GuiDispatcher& gui_;
    SendTiming timing_;
    TransferProgress progress_{TransferProgress::Kind::Send};
    TransferLog log_;
    std::shared_ptr<platform::WorkerLink> link_ = platform::WorkerLink::create();
    TransferReports reports_; // before the server: its workers report here until they stop
    std::atomic<std::uint64_t> resumeAt_{0};
    net::TcpServer server_;
    net::TcpClient client_; // a passive offer's connection to the receiver
    std::thread connecting_;
};

} // namespace pell::dcc
