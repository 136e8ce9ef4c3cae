// The session model under the loads of a busy network: nick changes and quits across
// many big channels, and a flood of coloured channel messages into the text store.
#include "doubles/QuietPorts.h"
#include "irc/Channels.h"
#include "irc/User.h"
#include "session/SessionEvents.h"
#include "session/SessionModel.h"

#include <benchmark/benchmark.h>
#include <malloc.h>
#include <string>
#include <vector>

using namespace pell;
using namespace pell::session;

namespace {

using test::NoSaveDialog;
using test::QuietDesktop;
using test::QuietPrompts;

// A session model and its presentation of the engine's events, which are called the
// way the engine calls them, with records of their own.
struct Session {
    settings::AppSettings settings;
    SessionShared shared;
    SessionViewPort view;
    QuietDesktop desktop;
    QuietPrompts prompts;
    NoSaveDialog saveDialog;
    SessionModel model{settings, shared, SessionPorts{view, desktop, prompts, saveDialog}};
    SessionEvents events{model, settings};
    irc::Users users;
    irc::Channels channels{&users};
};

constexpr int Tabs = 20;
constexpr int Members = 2000;

// 20 channel tabs of 2,000 members each; "bob" is in every one.
void fillChannels(Session& s)
{
    std::vector<std::string> nicks;
    std::vector<int> flags;
    for (int i = 0; i < Members - 1; ++i) {
        nicks.push_back("user" + std::to_string(i));
        flags.push_back(i % 4);
    }
    nicks.push_back("bob");
    flags.push_back(1);
    for (int t = 0; t < Tabs; ++t) {
        const std::string channel = "#chan" + std::to_string(t);
        s.model.Tabs().NewChannel(channel);
        s.model.Tabs().RefillNickList(channel, nicks, flags);
    }
}

void BM_NickChangeAcross20Tabs(benchmark::State& state)
{
    Session s;
    fillChannels(s);
    irc::User* bob = s.users.Add("bob", "b@h");
    irc::User* rob = s.users.Add("rob", "r@h");
    bool forth = true;
    for (auto _ : state) {
        if (forth)
            s.events.OnNickChange(bob, "rob");
        else
            s.events.OnNickChange(rob, "bob");
        forth = !forth;
    }
}
BENCHMARK(BM_NickChangeAcross20Tabs)->Unit(benchmark::kMillisecond);

void BM_QuitAcross20Tabs(benchmark::State& state)
{
    Session s;
    fillChannels(s);
    irc::User* bob = s.users.Add("bob", "b@h");
    for (auto _ : state) {
        s.events.OnQuit(bob);
        state.PauseTiming();
        for (int t = 0; t < Tabs; ++t)
            s.model.Tabs().AddUserTo("#chan" + std::to_string(t), "bob");
        state.ResumeTiming();
    }
}
BENCHMARK(BM_QuitAcross20Tabs)->Unit(benchmark::kMillisecond);

// A typical coloured channel message, about 90 bytes.
const std::string ColouredText = "\x03" "4hey\x03" "1 all, \x02see\x02 the \x1fnew\x1f build at the usual place, \x03" "3ok?";

void BM_AddTextColoured(benchmark::State& state)
{
    Session s;
    s.model.Tabs().NewChannel("#a");
    const int tab = s.model.Tabs().Find("#a");
    std::int64_t lines = 0;
    for (auto _ : state) {
        s.model.AddText("#a", "bob", ColouredText, 0x123456);
        // Text views only grow; start over now and then so the run fits in memory.
        if (++lines % 500000 == 0) {
            state.PauseTiming();
            s.model.Tabs().Activate(tab);
            s.model.ClearActive();
            state.ResumeTiming();
        }
    }
    state.SetItemsProcessed(lines);
}
BENCHMARK(BM_AddTextColoured);

void BM_OnMessageColoured(benchmark::State& state)
{
    Session s;
    s.model.Tabs().NewChannel("#a");
    irc::Channel* channel = s.channels.Add("#a");
    irc::User* bob = s.users.Add("bob", "b@h");
    std::int64_t lines = 0;
    for (auto _ : state) {
        s.events.OnMessage(bob, channel, ColouredText);
        if (++lines % 500000 == 0) {
            state.PauseTiming();
            s.model.Tabs().Activate(s.model.Tabs().Find("#a"));
            s.model.ClearActive();
            state.ResumeTiming();
        }
    }
    state.SetItemsProcessed(lines);
}
BENCHMARK(BM_OnMessageColoured);

// Heap held by 100,000 stored coloured lines of one tab; large blocks are mapped
// apart from the heap, so they are counted too.
void BM_MemoryOf100kLines(benchmark::State& state)
{
    const auto held = [] {
        const auto info = mallinfo2();
        return info.uordblks + info.hblkhd;
    };
    for (auto _ : state) {
        Session s;
        s.model.Tabs().NewChannel("#a");
        const auto before = held();
        for (int i = 0; i < 100000; ++i)
            s.model.AddText("#a", "bob", ColouredText, 0x123456);
        const auto after = held();
        state.counters["bytes_per_100k"] = static_cast<double>(after - before);
        state.counters["bytes_per_line"] = static_cast<double>(after - before) / 100000.0;
    }
}
BENCHMARK(BM_MemoryOf100kLines)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace
