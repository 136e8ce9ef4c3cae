#pragma once

#include "dcc/DownloadFolder.h"
#include "net/TcpClient.h"

#include <array>
#include <cstdint>
#include <functional>
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
};

// The protocol waits of the receiving side; tests shorten them.
struct ReceiveTiming {
    static constexpr int IdleTimeout = 10000; // ms without data before acknowledging/ending
    static constexpr int AckPause = 20;       // ms before each acknowledgement
    static constexpr int QuietAck = 1;        // ms of silence before a partial acknowledgement
    int IdleTimeoutMs = IdleTimeout;
    int AckPauseMs = AckPause;
    int QuietAckMs = QuietAck;
};

// Thrown out of a report whose owner has gone: the worker stops without a word.
struct OwnerGone : std::exception {};

// The receive side of a DCC SEND: connects to the sender, stores the bytes in a new
// file and acknowledges them. Runs on its own thread; every report goes through the
// callbacks, which return false once the owner has gone.
class DccReceiveWorker {
public:
    struct Reports {
        std::function<bool(const std::string&)> Status;
        std::function<bool(std::uint64_t)> Progress;
    };

    DccReceiveWorker(DownloadOffer offer, DownloadRules rules, ReceiveTiming timing, Reports reports);

    // The whole transfer; every error ends it with its message as the last status line.
    void Run();
    // From any thread: makes a connect or wait under way fail soon.
    void Abort();

    const std::string& FilePath() const { return path_; }
    std::uint64_t BytesReceived() const { return received_; }

private:
    void receive();
    std::size_t nextWait();
    bool waitFor(int ms);
    void store(std::size_t count);
    void sendAck(const char* sizeWord);
    void status(const std::string& line);
    void progress();
    void disconnect();

    DownloadOffer offer_;
    DownloadRules rules_;
    ReceiveTiming timing_;
    Reports reports_;
    net::TcpClient client_;
    std::mutex closing_; // Abort must not shut down a socket number already closed and reused
    bool closed_ = false;
    int file_ = -1;
    std::string path_;
    std::uint64_t received_ = 0;
    std::uint64_t unacked_ = 0;
    std::array<char, 8192> buffer_{};
};

} // namespace pell::dcc
