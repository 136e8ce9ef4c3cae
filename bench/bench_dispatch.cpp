// The engine's whole line path (parse, dispatch, tracking, every event reaching a
// listener that does nothing) on the loads a large network produces.
#include "doubles/ScriptedTransport.h"
#include "irc/Client.h"

#include <benchmark/benchmark.h>
#include <string>
#include <vector>

using namespace pell;
using namespace pell::irc;

namespace {

// A registered engine, its tracking fresh.
struct Engine {
    Engine()
    {
        irc.SetNick("me");
        reconnect();
    }
    void reconnect()
    {
        irc.Connect(3000);
        irc.HandleLine(":irc.example.net 001 me :Welcome");
        server->Written(); // what the engine sent is of no interest
    }
    ClientEvents listener;
    test::ScriptedTransport* server = nullptr;
    Client irc{test::ScriptedTransport::Make(server), listener};
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

// The same flood with a 60-byte tag section on every line ("@" and the blank after it
// included), on an engine that negotiated server-time, so each line's time is read too.
void BM_PrivmsgFloodTagged(benchmark::State& state)
{
    Engine engine;
    engine.irc.Connect(3000);
    engine.irc.HandleLine(":irc.example.net CAP * LS :server-time multi-prefix");
    engine.irc.HandleLine(":irc.example.net CAP me ACK :server-time multi-prefix");
    engine.irc.HandleLine(":irc.example.net 001 me :Welcome");
    engine.irc.HandleLine(":me!me@host JOIN #big");
    for (const std::string& line : namesReply("#big", 10000))
        engine.irc.HandleLine(line);
    std::vector<std::string> lines;
    for (int i = 0; i < 1000; ++i) {
        std::string tags = "@time=2026-12-07T03:08:53." + std::to_string(100 + i % 900) + "Z;msgid=0PL~1796612926~" +
                           std::to_string(10000 + i);
        tags.resize(59, 'x');
        lines.push_back(tags + " :" + nickOf(i * 7) + "!~user@host-" + std::to_string(i) +
                        ".example.net PRIVMSG #big :hello everybody, this is line " + std::to_string(i));
    }
    if (!engine.irc.HasCapability("server-time") || lines[0].find(' ') != 59)
        state.SkipWithError("not negotiated");
    std::size_t next = 0;
    for (auto _ : state) {
        engine.irc.HandleLine(lines[next]);
        next = next + 1 == lines.size() ? 0 : next + 1;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_PrivmsgFloodTagged);

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
