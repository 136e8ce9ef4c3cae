#pragma once

#include "dcc/DownloadFolder.h"
#include "dcc/TransferReports.h"
#include "dcc/ListenPort.h"
#include "net/TcpClient.h"
#include "net/TcpListener.h"

#include <array>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <stdexcept>
#include <string>

namespace pell::dcc {

// An accepted file offer, as the download window holds it.
struct DownloadOffer {
    std::string Host; // dotted
    int Port = 0;
    std::string FileName; // as offered
    std::int64_t FileSize = 0;
    std::uint64_t ResumeFrom = 0; // continue the file already here, once the sender agrees
    std::string Nick;             // the sender, whose answers count
    std::string Token;            // a passive offer's: the sender connects to us
    bool Passive() const { return !Token.empty(); }
};

// The protocol waits of the receiving side; tests shorten them.
struct ReceiveTiming {
    static constexpr int IdleTimeout = 10000; // ms without data before acknowledging/ending
    static constexpr int QuietAck = 1;        // ms of silence before a partial acknowledgement
    static constexpr int PeerWait = 60000;    // ms for the sender's answer to a resume, or its connection
    int IdleTimeoutMs = IdleTimeout;
    int QuietAckMs = QuietAck;
    int PeerWaitMs = PeerWait;
};

// Thrown out of a report whose owner has gone: the worker stops without a word.
struct OwnerGone : std::exception {};

// The receive side of a DCC SEND: connects to the sender, stores the bytes in a new
// file and acknowledges them. Runs on its own thread; its reports go through the
// window's TransferReports. It reads as fast as the data comes, 4096 bytes a read, and
// stores no byte past an announced size.
class DccReceiveWorker {
public:
    static constexpr std::size_t ReadSize = 4096;

    DccReceiveWorker(DownloadOffer offer, DownloadRules rules, ReceiveTiming timing, TransferReports& reports);

    // The whole transfer; every error ends it with its message as a status line.
    void Run();
    // From any thread: makes a connect or wait under way fail soon.
    void Abort();
    // From any thread: the sender agreed to resume; the worker connects (or waits for
    // the sender) now.
    void ResumeAccepted();
    // A passive offer, before Run: listens for the sender on a port of the range; the
    // port, or nothing when none is free.
    std::optional<int> Listen(PortRange range);
    int ListenPort() const { return listener_.Port(); }

    const std::string& FilePath() const { return path_; }
    std::uint64_t BytesReceived() const { return received_; }

private:
    void receive();
    bool waitForResumeAnswer();
    bool connect();
    std::size_t nextWait();
    bool waitFor(int ms);
    bool poll(int ms);
    void store(std::size_t count);
    void sendAck(const char* sizeWord);
    void finish();
    void status(StatusLine line);
    void progress();
    void disconnect();

    DownloadOffer offer_;
    DownloadRules rules_;
    ReceiveTiming timing_;
    TransferReports& reports_;
    net::TcpClient client_;
    net::TcpListener listener_; // a passive offer's; used by the worker once it runs
    std::mutex closing_; // Abort must not shut down a socket number already closed and reused
    bool closed_ = false;
    std::condition_variable answered_;
    bool resumeAccepted_ = false;
    bool aborted_ = false;
    int file_ = -1;
    std::string path_;
    std::uint64_t received_ = 0;
    std::uint64_t unacked_ = 0;
    std::array<char, 8192> buffer_{};
};

} // namespace pell::dcc
