// The engine's whole line path (parse, dispatch, tracking, events bound to empty
// handlers) on the loads a large network produces.
#include "irc/TIdIRC.h"
#include "platform/EventQueue.h"

#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <netinet/in.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace pell;
using namespace pell::irc;

namespace {

// A peer on 127.0.0.1 that accepts the engine and swallows what it sends.
int drainPort()
{
    static const int port = [] {
        const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            ::listen(listener, 16) != 0)
            std::abort();
        socklen_t length = sizeof address;
        getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
        std::thread([listener] {
            char buffer[65536];
            for (;;) {
                const int client = ::accept(listener, nullptr, nullptr);
                while (client >= 0 && ::recv(client, buffer, sizeof buffer, 0) > 0) {
                }
                ::close(client);
            }
        }).detach();
        return ntohs(address.sin_port);
    }();
    return port;
}

void bindEmpty(TIdIRC& irc)
{
    irc.OnMessage = [](auto, auto, auto&) {};
    irc.OnNotice = [](auto, auto, auto&) {};
    irc.OnAction = [](auto, auto, auto&) {};
    irc.OnJoin = [](auto, auto) {};
    irc.OnJoined = [](auto) {};
    irc.OnPart = [](auto, auto) {};
    irc.OnKick = [](auto, auto, auto) {};
    irc.OnNickChange = [](auto, auto&) {};
    irc.OnTopic = [](auto, auto, auto&, auto&) {};
    irc.OnQuit = [](auto) {};
    irc.OnNames = [](auto&, auto) {};
    irc.OnSystem = [](auto, int, auto&, auto&) {};
    irc.OnRaw = [](auto, auto&, auto&, bool&) {};
    irc.OnOp = [](auto, auto, auto) {};
    irc.OnVoice = [](auto, auto, auto) {};
    irc.OnChannelMode = [](auto, auto, auto&, auto&) {};
    irc.OnUnknownCommand = [](auto, auto&, auto&) {};
    irc.OnCTCPQuery = [](auto, auto, auto&, auto&, bool&) {};
    irc.OnReceive = [](auto&) {};
    irc.OnChannelUpdate = [](auto&, auto, auto, int) {};
}

// A registered engine, its tracking fresh.
struct Engine {
    Engine()
    {
        bindEmpty(irc);
        irc.SetNick("me");
        irc.Host = "127.0.0.1";
        irc.Port = drainPort();
        reconnect();
    }
    void reconnect()
    {
        irc.Connect(3000);
        irc.HandleLine(":irc.example.net 001 me :Welcome");
    }
    platform::EventQueue queue;
    TIdIRC irc{queue};
};

std::string nickOf(int i)
{
    return "user" + std::to_string(i) + "_x";
}

// NAMES lines for the nicks, each about 400 bytes, then the end of the list.
std::vector<std::string> namesReply(const std::string& channel, int members)
{
    std::vector<std::string> lines;
    const std::string head = ":irc.example.net 353 me = " + channel + " :";
    std::string line = head;
    for (int i = 0; i < members; ++i) {
        if (line.size() > 400) {
            lines.push_back(line);
            line = head;
        }
        if (line.size() > head.size())
            line += ' ';
        line += (i % 10 == 0 ? "@" : i % 10 == 1 ? "+" : "") + nickOf(i);
    }
    lines.push_back(line);
    lines.push_back(":irc.example.net 366 me " + channel + " :End of NAMES list");
    return lines;
}

void BM_PrivmsgFlood(benchmark::State& state)
{
    Engine engine;
    engine.irc.HandleLine(":me!me@host JOIN #big");
    for (const std::string& line : namesReply("#big", 10000))
        engine.irc.HandleLine(line);
    std::vector<std::string> lines;
    for (int i = 0; i < 1000; ++i)
        lines.push_back(":" + nickOf(i * 7) + "!~user@host-" + std::to_string(i) +
                        ".example.net PRIVMSG #big :hello everybody, this is line " + std::to_string(i));
    std::size_t next = 0;
    for (auto _ : state) {
        engine.irc.HandleLine(lines[next]);
        next = next + 1 == lines.size() ? 0 : next + 1;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_PrivmsgFlood);

void BM_NamesReply10k(benchmark::State& state)
{
    Engine engine;
    const std::vector<std::string> lines = namesReply("#big", 10000);
    for (auto _ : state) {
        state.PauseTiming();
        engine.reconnect();
        engine.irc.HandleLine(":me!me@host JOIN #big");
        state.ResumeTiming();
        for (const std::string& line : lines)
            engine.irc.HandleLine(line);
    }
    if (engine.irc.Channels.Get("#big")->Names.Count() != 10000)
        state.SkipWithError("names missing");
    state.SetItemsProcessed(state.iterations() * 10000);
    state.counters["lines"] = static_cast<double>(lines.size());
}
BENCHMARK(BM_NamesReply10k)->Unit(benchmark::kMillisecond);

// QUIT of a member of 50 tracked channels of 1,000 members each.
void BM_QuitIn50Channels(benchmark::State& state)
{
    constexpr int kChannels = 50;
    constexpr int kMembers = 1000;
    Engine engine;
    std::vector<std::string> fill;
    for (int c = 0; c < kChannels; ++c) {
        const std::string channel = "#chan" + std::to_string(c);
        fill.push_back(":me!me@host JOIN " + channel);
        for (const std::string& line : namesReply(channel, kMembers))
            fill.push_back(line);
    }
    std::vector<std::string> quits;
    for (int i = 0; i < kMembers; ++i)
        quits.push_back(":" + nickOf(i) + "!~u@host QUIT :Quit: bye");
    int next = kMembers;
    for (auto _ : state) {
        if (next == kMembers) {
            state.PauseTiming();
            engine.reconnect();
            for (const std::string& line : fill)
                engine.irc.HandleLine(line);
            next = 0;
            state.ResumeTiming();
        }
        engine.irc.HandleLine(quits[static_cast<std::size_t>(next++)]);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_QuitIn50Channels);

} // namespace
