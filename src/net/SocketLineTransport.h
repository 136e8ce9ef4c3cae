#pragma once

#include "net/QueuedWriter.h"
#include "net/TcpClient.h"
#include "net/LineTransport.h"

#include <atomic>
#include <memory>
#include <thread>

namespace pell::platform {
class GuiDispatcher;
class WorkerLink;
} // namespace pell::platform

namespace pell::net {

// The server connection over TCP (through SOCKS when asked): a reader thread hands
// bursts of lines to the GUI thread, a writer thread empties the bounded send queue.
class SocketLineTransport : public LineTransport {
public:
    explicit SocketLineTransport(platform::GuiDispatcher& gui);
    ~SocketLineTransport() override;

    void Open(const LineEndpoint& to, int timeoutMs) override;
    void OpenAsync(const LineEndpoint& to, int timeoutMs, OpenDone done) override;
    void CancelOpen() override;
    bool Opening() const override { return pending_ != nullptr; }
    void StartReading(LineHandler handler) override;
    void WriteLine(std::string_view line) override { writer_.WriteLine(line); }
    // False also once the reader has given up on the connection (an over-long line,
    // say): nothing would be read from it any more.
    bool Connected() const override { return socket_.Connected() && !readerFailed_; }
    void Close(bool flush) override;
    std::string LocalAddress() const override;
    std::string Encryption() const override { return socket_.TlsDescription(); }

private:
    struct PendingOpen;

    void configure(net::TcpClient& client, const LineEndpoint& to) const;
    void opened(const std::shared_ptr<PendingOpen>& job, std::exception_ptr error);
    void stopWorkers();
    void readLoop(const std::shared_ptr<platform::WorkerLink>& link, const std::shared_ptr<const LineHandler>& handler);

    platform::GuiDispatcher& gui_;
    net::TcpClient socket_;
    net::QueuedWriter writer_{socket_};
    std::shared_ptr<platform::WorkerLink> readerLink_;
    std::thread reader_;
    std::atomic<bool> readerFailed_{false};
    bool viaProxy_ = false;
    std::shared_ptr<PendingOpen> pending_;
    OpenDone pendingDone_;
};

} // namespace pell::net
