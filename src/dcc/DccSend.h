#pragma once

#include "net/TcpServer.h"
#include "dcc/TransferLog.h"
#include "dcc/TransferProgress.h"
#include "platform/GuiDispatcher.h"
#include "platform/WorkerLink.h"

#include <functional>
#include <memory>
#include <string>

namespace pell::dcc {

// The model of one send window: the offered file, the listening server and one worker
// per receiver, the progress display and the log. Lives on the GUI thread; destroying
// it stops the server and every worker, and no report reaches it afterwards.
class DccSend {
public:
    static constexpr int AckWait = 1000;          // ms to wait for acknowledgements per block
    static constexpr std::size_t MaxReceivers = 8; // connections served at once

    explicit DccSend(platform::GuiDispatcher& gui, int ackWaitMs = AckWait);
    ~DccSend();
    DccSend(const DccSend&) = delete;
    DccSend& operator=(const DccSend&) = delete;

    // Fixes the file and its size; throws the file's error when it cannot be read.
    void SetSendFile(const std::string& path);
    // Listens on the next free port (see OpenListener in ListenPort.h); false when none.
    bool OpenListener();

    std::string FileName;
    int Port = 0;
    std::int64_t FileSize = 0;

    const TransferProgress& Progress() const { return progress_; }
    const TransferLog& Log() const { return log_; }
    std::size_t Receivers() const { return server_.ConnectionCount(); }

    // View hooks, GUI thread.
    std::function<void(const std::string&)> StatusAdded;
    std::function<void()> ProgressChanged;

private:
    void serve(net::TcpServerWorker& worker);

    platform::GuiDispatcher& gui_;
    int ackWaitMs_;
    TransferProgress progress_{TransferProgress::Kind::Send};
    TransferLog log_;
    std::shared_ptr<platform::WorkerLink> link_ = platform::WorkerLink::create();
    net::TcpServer server_;
};

} // namespace pell::dcc
