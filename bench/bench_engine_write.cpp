// What a write costs the GUI thread: Raw to a server that reads, and to one that has
// stopped reading, until the bound of the send queue ends the connection.
#include "net/TransportError.h"
#include "irc/Client.h"
#include "doubles/EventQueue.h"
#include "net/SocketLineTransport.h"

#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <atomic>
#include <chrono>
#include <memory>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

using namespace pell;

namespace {

// A listener on 127.0.0.1; with `drain`, a thread accepts, reads everything and counts it.
struct Peer {
    explicit Peer(bool drain)
    {
        listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(listener, 16);
        socklen_t length = sizeof address;
        getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
        port = ntohs(address.sin_port);
        if (drain)
            reader = std::thread([this] {
                const int client = ::accept(listener, nullptr, nullptr);
                char buffer[65536];
                for (ssize_t got; client >= 0 && (got = ::recv(client, buffer, sizeof buffer, 0)) > 0;)
                    received += static_cast<std::size_t>(got);
                ::close(client);
            });
    }
    ~Peer()
    {
        ::shutdown(listener, SHUT_RDWR);
        if (reader.joinable())
            reader.join();
        ::close(listener);
    }
    int listener = -1;
    int port = 0;
    std::atomic<std::size_t> received{0};
    std::thread reader;
};

const std::string kLine = "PRIVMSG #pell :" + std::string(80, 'x');

// Rounds of 1,000 lines, each until the server has read them all: the time from the
// first Raw to the last byte read.
void BM_RawToAReadingServer(benchmark::State& state)
{
    Peer peer(true);
    test::EventQueue gui;
    irc::ClientEvents listener;
    irc::Client irc(std::make_unique<net::SocketLineTransport>(gui), listener);
    irc.Host = "127.0.0.1";
    irc.Port = peer.port;
    irc.Connect(3000);
    while (peer.received == 0) // the registration
        std::this_thread::yield();
    std::size_t expected = peer.received;
    for (auto _ : state) {
        for (int i = 0; i < 1000; ++i)
            irc.Raw(kLine);
        expected += 1000 * (kLine.size() + 2);
        while (peer.received < expected)
            std::this_thread::yield();
    }
    state.SetItemsProcessed(1000 * state.iterations());
    irc.Disconnect(true);
}
BENCHMARK(BM_RawToAReadingServer);

// Each round: connect, write 400-byte lines until the bound throws, tear down. The
// slowest single Raw is the figure that says whether the GUI thread ever waits.
void BM_RawToAStalledServerUntilTheBound(benchmark::State& state)
{
    const std::string line = "PRIVMSG #pell :" + std::string(400, 'x');
    double slowest = 0, lines = 0, teardown = 0, over1ms = 0;
    for (auto _ : state) {
        Peer peer(false);
        test::EventQueue gui;
        irc::ClientEvents listener;
        auto irc = std::make_unique<irc::Client>(std::make_unique<net::SocketLineTransport>(gui), listener);
        irc->Host = "127.0.0.1";
        irc->Port = peer.port;
        irc->Connect(3000);
        try {
            for (;;) {
                const auto start = std::chrono::steady_clock::now();
                irc->Raw(line);
                const double took = std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count();
                slowest = std::max(slowest, took);
                over1ms += took > 1000;
                ++lines;
            }
        } catch (const net::TransportError&) {
        }
        const auto start = std::chrono::steady_clock::now();
        irc.reset();
        teardown = std::max(teardown, std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    state.counters["slowest_raw_us"] = slowest;
    state.counters["lines_per_round"] = lines / static_cast<double>(state.iterations());
    state.counters["slowest_teardown_ms"] = teardown;
    state.counters["raws_over_1ms_per_round"] = over1ms / static_cast<double>(state.iterations());
}
BENCHMARK(BM_RawToAStalledServerUntilTheBound)->Unit(benchmark::kMillisecond);

} // namespace
