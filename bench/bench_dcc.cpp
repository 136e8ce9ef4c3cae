// DCC file transfer throughput on loopback: our sender to our receiver (reads of 4096
// bytes, an acknowledgement per 4096), and our sender to a receiver that acknowledges
// every read at once. Reports are pumped by a Qt-free GUI queue on this thread.
#include "dcc/DccDownload.h"
#include "dcc/DccNumbers.h"
#include "dcc/DccSend.h"
#include "dcc/ListenPort.h"
#include "doubles/EventQueue.h"

#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace pell;
namespace fs = std::filesystem;

namespace {

const fs::path Root = fs::temp_directory_path() / "pell-bench-dcc";

std::string offeredFile(std::size_t size)
{
    fs::create_directories(Root);
    const fs::path path = Root / ("send-" + std::to_string(size) + ".bin");
    std::ofstream(path, std::ios::binary) << std::string(size, 'd');
    return path.string();
}

// Reads everything, acknowledging each read at once; returns the seconds from the
// first to the last byte.
double quickReceiver(int port, std::size_t size)
{
    const int socket = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::connect(socket, reinterpret_cast<sockaddr*>(&address), sizeof address);
    std::vector<char> buffer(65536);
    std::size_t got = 0;
    std::chrono::steady_clock::time_point first;
    while (got < size) {
        const ssize_t n = ::recv(socket, buffer.data(), buffer.size(), 0);
        if (n <= 0)
            break;
        if (got == 0)
            first = std::chrono::steady_clock::now();
        got += static_cast<std::size_t>(n);
        const auto ack = dcc::EncodeAck(got);
        ::send(socket, ack.data(), ack.size(), MSG_NOSIGNAL);
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - first).count();
    ::close(socket);
    return seconds;
}

void BM_ReceiveFromOurSender(benchmark::State& state)
{
    const auto size = static_cast<std::size_t>(state.range(0));
    const std::string file = offeredFile(size);
    dcc::NextListenPort() = 30000;
    for (auto _ : state) {
        test::EventQueue queue;
        dcc::DccSend send(queue);
        send.SetSendFile(file);
        send.OpenListener();
        dcc::DccDownload download(queue, {"127.0.0.1", send.Port, "recv.bin", static_cast<std::int64_t>(size)},
                                  {{}, (Root / "in").string()});
        const auto first = std::chrono::steady_clock::now();
        download.StartDownload();
        queue.pumpUntil([&] { return !download.Running(); }, std::chrono::minutes(5));
        const auto last = std::chrono::steady_clock::now();
        state.SetIterationTime(std::chrono::duration<double>(last - first).count());
        fs::remove_all(Root / "in");
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}

void BM_SendToQuickReceiver(benchmark::State& state)
{
    const auto size = static_cast<std::size_t>(state.range(0));
    const std::string file = offeredFile(size);
    dcc::NextListenPort() = 31000;
    for (auto _ : state) {
        test::EventQueue queue;
        dcc::DccSend send(queue);
        send.SetSendFile(file);
        send.OpenListener();
        auto peer = std::async(std::launch::async, quickReceiver, send.Port, size);
        queue.pumpUntil([&] { return peer.wait_for(std::chrono::seconds(0)) == std::future_status::ready; },
                        std::chrono::minutes(5));
        state.SetIterationTime(peer.get());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}

} // namespace

// Timed from the worker's start to its end (the download ends at the announced size).
BENCHMARK(BM_ReceiveFromOurSender)->Arg(64 << 20)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SendToQuickReceiver)->Arg(64 << 20)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
