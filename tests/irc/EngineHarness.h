#pragma once

#include "irc/TIdIRC.h"
#include "irc/TIdIRCChannel.h"
#include "irc/TIdIRCUser.h"
#include "platform/EventQueue.h"
#include "support/CaseFile.h"
#include "support/ScriptedTransport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

namespace pell::test {

using Events = std::vector<std::string>;

// The words of a recorded event: a record by its nick or name ("-" for null).
inline std::string word(const irc::TIdIRCUser* user) { return user ? user->Nick() : "-"; }
inline std::string word(const irc::TIdIRCChannel* channel) { return channel ? channel->Name : "-"; }
inline std::string word(const std::string& text) { return text; }
inline std::string word(int number) { return std::to_string(number); }

// A handler writing one line per call: its name and every argument, each after a blank.
inline auto recorder(Events& events, const char* name)
{
    return [&events, name](const auto&... args) {
        std::string line = name;
        ((line += ' ' + word(args)), ...);
        events.push_back(line);
    };
}

// Binds every event of the engine (but OnSend and OnDisconnect) to lines like
// "Join bob #c" or "Kick alice bob #c".
inline void recordEvents(irc::TIdIRC& irc, Events& e)
{
#define R(event) irc.On##event = recorder(e, #event)
    R(Message); R(Notice); R(Action); R(Join); R(Joined); R(Part); R(Parted); R(Kick); R(Kicked);
    R(NickChange); R(NickChanged); R(Topic); R(Invite); R(PingPong); R(Error); R(NowAway); R(UnAway);
    R(Wallops); R(System); R(Op); R(Deop); R(Voice); R(Devoice); R(Ban); R(Unban); R(ChannelMode);
    R(UserMode); R(UserModeChanged); R(Inviting); R(Kill); R(CTCPReply); R(NoTopic); R(DCCChat);
    R(DCCSend); R(DCCResume); R(DCCAccept); R(Links);
#undef R
    irc.OnUnknownCommand = recorder(e, "Unknown");
    irc.OnQuit = [&e](auto user) { e.push_back("Quit " + word(user) + " " + user->Reason); };
    irc.OnAway = [&e](auto user) { e.push_back("Away " + word(user) + " " + user->Reason); };
    irc.OnNames = [&e](auto&, auto channel) { e.push_back("Names " + word(channel)); };
    irc.OnChannelModeChanged = [&e](auto, auto) { e.push_back("ChannelModeChanged"); };
    irc.OnCTCPQuery = [&e](auto u, auto c, auto& command, auto& args, bool&) {
        recorder(e, "CTCPQuery")(u, c, command, args);
    };
    irc.OnList = [&e](auto& chans, int position, bool last) {
        e.push_back("List " + word(int(chans.size())) + " " + word(position) + (last ? " last" : " more") +
                    (position < int(chans.size()) ? " " + chans[position] : ""));
    };
}

// An engine on a scripted server, registered as "me" by ":srv 001", its events recorded
// and its sent lines kept without line end. In a channel: #c with @me @alice +bob carol.
struct EngineHarness {
    explicit EngineHarness(bool inChannel = false, bool updates = false)
    {
        recordEvents(irc, events);
        if (updates)
            recordChannelUpdates();
        irc.OnSend = [this](auto& line) { sent.push_back(line); };
        irc.SetNick("me");
        irc.Connect(3000);
        line(":srv 001 me :Welcome");
        if (inChannel)
            for (const char* text : {":me!me@h JOIN :#c", ":srv 353 me = #c :@me @alice +bob carol", ":srv 366 me #c :End"})
                line(text);
        events.clear(), sent.clear();
    }
    ~EngineHarness() { irc.Disconnect(true); }

    void line(const std::string& text) { irc.HandleLine(text); }
    // Channels made from now on report as "Update #c cuJoin dave 4".
    void recordChannelUpdates()
    {
        static const char* const names[] = {"cuMode", "cuTopic", "cuUser", "cuNames", "cuNick",
                                            "cuJoin", "cuPart", "cuKick", "cuQuit"};
        irc.OnChannelUpdate = [this](irc::TIdIRCChannel& c, irc::TIdIRCChannelUpdateType type, irc::TIdIRCUser* u,
                                     int info) { recorder(events, "Update")(&c, std::string(names[int(type)]), u, info); };
    }

    platform::EventQueue queue;
    ScriptedTransport* server = nullptr;
    irc::TIdIRC irc{queue, ScriptedTransport::Make(server)};
    Events events;
    Events sent;
};

// Server lines and the events they raise, from a transcript beside this file. "== title"
// starts a fresh engine (with ", in #c" one in #c as above, with ", updates" reporting
// channel updates from the start; it answers CTCP VERSION and CLIENTINFO with
// "Tarn-IRC"). "<< " is a line from the server, each ">> " after it an event it raises,
// in order, with lines the engine sends as "Send ..."; each "@@ what: state" after it
// what the engine then holds (see stateOf). "!! connect" connects anew, "!! drop OnX"
// unbinds that event, "!! record updates" reports channel updates from now on and
// "!! answer nick" answers refused nicks with that one; "!! step N" sets the milliseconds
// between server lines (10000 at first); the rest are named for what they do. "#" starts a comment. \xHH stands for
// that byte.
// "#c": the members as nick:flags; "#c modes": the mode letters, limit and key; "#c topic";
// "bob": the user record's reference count, address and reason; "engine": current nick,
// own record's nick, away, user modes and the numbers of users and channels; "link": the
// state, the welcoming server and the entries of a channel list being gathered. "none"
// for what is not tracked.
inline std::string stateOf(irc::TIdIRC& irc, const std::string& what)
{
    const std::string name = what.substr(0, what.find(' '));
    const std::string aspect = name.size() < what.size() ? what.substr(name.size() + 1) : "";
    if (what == "engine")
        return irc.CurrentNick() + " " + word(irc.OwnUser()) + " away=" + word(irc.IsAway()) + " modes=" +
               word(irc.UserMode()) + " users=" + word(irc.Users.Count()) + " channels=" + word(irc.Channels.Count());
    if (what == "link")
        return "state=" + word(irc.State()) + " welcome=" + irc.WelcomeServer() + " list=" + word(int(irc.ListBuffer.size()));
    if (!irc::TIdIRC::IsChannel(name)) {
        const irc::TIdIRCUser* user = irc.Users.Get(name);
        return user ? "count=" + word(user->Count) + " address=" + user->Address + " reason=" + user->Reason : "none";
    }
    const irc::TIdIRCChannel* c = irc.Channels.Get(name);
    std::string out;
    if (!c)
        return "none";
    if (aspect == "topic")
        return c->Topic;
    if (aspect == "modes") {
        out = "+";
        for (int bit = 0; bit < 8; ++bit)
            if (c->Mode & (1 << bit))
                out += "psitnmlk"[bit];
        return out + " limit=" + word(c->Limit) + " key=" + c->Key + " active=" + word(c->Active);
    }
    for (int i = 0; i < c->Names.Count(); ++i)
        out += (i ? " " : "") + c->Names.Strings(i) + ":" + word(c->Names.Flags(i));
    return out;
}

inline void runTranscript(const std::string& name)
{
    std::ifstream file(std::filesystem::path(PELL_TEST_DATA).parent_path() / "irc" / name);
    ASSERT_TRUE(file) << name;
    std::unique_ptr<EngineHarness> h;
    irc::CtcpReplyLimiter::Clock::time_point now{};
    std::chrono::milliseconds step{10000};
    std::string input, where;
    Events expected;
    std::vector<std::pair<std::string, std::string>> states;
    auto check = [&] {
        if (!where.empty()) {
            EXPECT_EQ(h->events, expected) << where << input;
        }
        for (const auto& [what, state] : states)
            EXPECT_EQ(stateOf(h->irc, what), state) << where << input << "\n@@ " << what;
        where.clear();
        expected.clear();
        states.clear();
    };
    int number = 0;
    for (std::string line; std::getline(file, line);) {
        ++number;
        if (line.rfind("== ", 0) == 0) {
            check();
            h = std::make_unique<EngineHarness>(line.find(", in #c") != std::string::npos,
                                                line.find(", updates") != std::string::npos);
            h->irc.Replies.Version = h->irc.Replies.ClientInfo = "Tarn-IRC";
            h->irc.OnSend = [&h](const std::string& sent) { h->events.push_back("Send " + sent); };
            h->irc.ReplyLimiter().SetClock([&now] { return now; });
            step = std::chrono::milliseconds(10000);
            h->irc.BoundIP = "127.0.0.1"; // a reconnect's USER line is then the same on every machine
        } else if (line.rfind("<< ", 0) == 0) {
            check();
            where = name + ":" + std::to_string(number) + ": ";
            input = unescape(line.substr(3));
            now += step;
            h->events.clear();
            h->line(input);
        } else if (line.rfind("!! ", 0) == 0) {
            check();
            if (line == "!! connect")
                h->irc.Connect(3000);
            else if (line == "!! drop OnSystem")
                h->irc.OnSystem = nullptr;
            else if (line == "!! drop OnList")
                h->irc.OnList = nullptr;
            else if (line == "!! drop OnNicksInUse")
                h->irc.OnNicksInUse = nullptr;
            else if (line == "!! record updates")
                h->recordChannelUpdates();
            else if (line == "!! drop OnRaw")
                h->irc.OnRaw = nullptr;
            else if (line == "!! drop OnCTCPQuery")
                h->irc.OnCTCPQuery = nullptr;
            else if (line == "!! disconnect")
                h->irc.Disconnect(true);
            else if (line.rfind("!! step ", 0) == 0)
                step = std::chrono::milliseconds(std::stoi(line.substr(8)));
            else if (line == "!! reconnect on Kick and Quit") {
                h->irc.OnKick = [&h](auto, auto, auto) { h->irc.Connect(3000); };
                h->irc.OnQuit = [&h](auto) { h->irc.Connect(3000); };
            } else if (line == "!! suppress PING in OnRaw")
                h->irc.OnRaw = [&h](auto user, auto& command, auto& content, bool& suppress) {
                    h->events.push_back("Raw " + word(user) + " " + command + " " + content), suppress = command == "PING";
                };
            else if (line == "!! suppress VERSION in OnCTCPQuery")
                h->irc.OnCTCPQuery = [](auto, auto, auto& command, auto&, bool& suppress) { suppress = command == "VERSION"; };
            else if (line == "!! watch records") { // what events see of the records the line touches
                h->irc.OnKick = [&h](auto kicker, auto victim, auto) {
                    h->events.push_back("Kick " + kicker->Reason + "/" + victim->Reason + "/" + word(victim->Count));
                };
                h->irc.OnQuit = [&h](auto user) { h->events.push_back("Quit count=" + word(user->Count)); };
                auto closing = [&h](auto... args) { // Parted or Kicked: the closing channel, the kicker
                    const auto all = std::tie(args...);
                    const irc::TIdIRCChannel* c = std::get<sizeof...(args) - 1>(all);
                    std::string by;
                    if constexpr (sizeof...(args) == 2)
                        by = " by " + std::get<0>(all)->Reason;
                    h->events.push_back("Closing" + by + " tracked=" + word(h->irc.Channels.Get(c->Name) == c) +
                                        " active=" + word(c->Active) + " close=" + word(c->CloseType));
                };
                h->irc.OnParted = closing;
                h->irc.OnKicked = closing;
            } else if (line.rfind("!! answer", 0) == 0)
                h->irc.OnNicksInUse = [&h, answer = line.substr(std::min<std::size_t>(line.size(), 10))](std::string& nick) {
                    h->events.push_back("NicksInUse " + nick), nick = answer;
                };
            else
                ADD_FAILURE() << name << ":" << number << ": unknown " << line;
        } else if (line.rfind(">> ", 0) == 0) {
            expected.push_back(unescape(line.substr(3)));
        } else if (line.rfind("@@ ", 0) == 0) {
            const std::size_t colon = line.find(':');
            states.emplace_back(line.substr(3, colon - 3), line.substr(std::min(line.size(), colon + 2)));
        }
    }
    check();
}

} // namespace pell::test
