// A whole session under the loads of a busy network: nick changes and quits across many
// big channels, and a flood of coloured channel messages into the text store. The
// session is made the way the program makes one, on a scripted server, and every load
// arrives as server lines through the engine; only the plain AddText figure calls the
// model itself.
#include "doubles/EventQueue.h"
#include "doubles/PortFakes.h"
#include "doubles/ScriptedTransport.h"
#include "session/Session.h"

#include <benchmark/benchmark.h>
#include <malloc.h>
#include <memory>
#include <string>

using namespace pell;

namespace {

// A session registered as "me"; its view ignores every report.
struct Session {
    test::EventQueue gui;
    settings::AppSettings settings;
    session::SessionShared shared;
    session::SessionViewPort view;
    test::QuietDesktop desktop;
    test::QuietPrompts prompts;
    test::NoSaveDialog saveDialog;
    session::UserInfoModel userInfo;
    test::ScriptedTransport* server = nullptr;
    std::unique_ptr<session::Session> whole = open();

    std::unique_ptr<session::Session> open()
    {
        session::SessionContext context{gui, settings, shared, {view, desktop, prompts, saveDialog}, userInfo};
        context.Transport = [this] { return test::ScriptedTransport::Make(server); };
        settings::ServerProfile profile;
        profile.Name = "Net";
        profile.Nick = "me";
        auto made = std::make_unique<session::Session>(context, profile);
        server->Finish();
        made->Engine().HandleLine(":srv 001 me :Welcome");
        return made;
    }
    // A line from the server, as the engine's reader hands it over.
    void line(const std::string& text) { whole->Engine().HandleLine(text); }
    // The user joins: the tab opens and JOIN goes out; then the server's echo.
    void join(const std::string& channel)
    {
        whole->Commands().Join(channel);
        line(":me!m@h JOIN :" + channel);
    }
    session::SessionModel& model() { return whole->Model(); }
};

constexpr int Tabs = 20;
constexpr int Members = 2000;

std::string channel(int number)
{
    return "#chan" + std::to_string(number);
}

// 20 joined channels of 2,000 members each, "bob" (an operator) among them in every one.
void fillChannels(Session& s)
{
    const char* const prefixes[] = {"", "@", "+", "@+"};
    for (int t = 0; t < Tabs; ++t) {
        s.join(channel(t));
        std::string names;
        for (int i = 0; i < Members - 1; ++i) {
            names += std::string(prefixes[i % 4]) + "user" + std::to_string(i) + " ";
            if (i % 100 == 99) {
                s.line(":srv 353 me = " + channel(t) + " :" + names);
                names.clear();
            }
        }
        s.line(":srv 353 me = " + channel(t) + " :" + names + "@bob");
        s.line(":srv 366 me " + channel(t) + " :End of NAMES list");
    }
    s.server->Written();
}

void BM_NickChangeAcross20Tabs(benchmark::State& state)
{
    Session s;
    fillChannels(s);
    bool forth = true;
    for (auto _ : state) {
        s.line(forth ? ":bob!b@h NICK :rob" : ":rob!b@h NICK :bob");
        forth = !forth;
    }
}
BENCHMARK(BM_NickChangeAcross20Tabs)->Unit(benchmark::kMillisecond);

void BM_QuitAcross20Tabs(benchmark::State& state)
{
    Session s;
    fillChannels(s);
    for (auto _ : state) {
        s.line(":bob!b@h QUIT :gone");
        state.PauseTiming();
        for (int t = 0; t < Tabs; ++t)
            s.line(":bob!b@h JOIN :" + channel(t));
        state.ResumeTiming();
    }
}
BENCHMARK(BM_QuitAcross20Tabs)->Unit(benchmark::kMillisecond);

// A typical coloured channel message, about 90 bytes.
const std::string ColouredText = "\x03" "4hey\x03" "1 all, \x02see\x02 the \x1fnew\x1f build at the usual place, \x03" "3ok?";

void BM_AddTextColoured(benchmark::State& state)
{
    Session s;
    s.join("#a");
    const int tab = s.model().Tabs().Find("#a");
    std::int64_t lines = 0;
    for (auto _ : state) {
        s.model().AddText("#a", "bob", ColouredText, 0x123456);
        // Text views only grow; start over now and then so the run fits in memory.
        if (++lines % 500000 == 0) {
            state.PauseTiming();
            s.model().Tabs().Activate(tab);
            s.model().ClearActive();
            state.ResumeTiming();
        }
    }
    state.SetItemsProcessed(lines);
}
BENCHMARK(BM_AddTextColoured);

// The same text as a server line: parsed, dispatched, logged raw and presented.
void BM_MessageLineColoured(benchmark::State& state)
{
    auto s = std::make_unique<Session>();
    s->join("#a");
    const std::string message = ":bob!b@h PRIVMSG #a :" + ColouredText;
    std::int64_t lines = 0;
    for (auto _ : state) {
        s->line(message);
        // The raw log and the text only grow; a fresh session now and then keeps the run in memory.
        if (++lines % 500000 == 0) {
            state.PauseTiming();
            s = std::make_unique<Session>();
            s->join("#a");
            state.ResumeTiming();
        }
    }
    state.SetItemsProcessed(lines);
}
BENCHMARK(BM_MessageLineColoured);

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
        s.join("#a");
        const auto before = held();
        for (int i = 0; i < 100000; ++i)
            s.model().AddText("#a", "bob", ColouredText, 0x123456);
        const auto after = held();
        state.counters["bytes_per_100k"] = static_cast<double>(after - before);
        state.counters["bytes_per_line"] = static_cast<double>(after - before) / 100000.0;
    }
}
BENCHMARK(BM_MemoryOf100kLines)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace
