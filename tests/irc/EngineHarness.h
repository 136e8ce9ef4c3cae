#pragma once

#include "irc/TIdIRC.h"
#include "irc/TIdIRCChannel.h"
#include "irc/TIdIRCUser.h"
#include "platform/EventQueue.h"
#include "support/FakeServer.h"

#include <gtest/gtest.h>

#include <string>
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
        e.push_back("List " + word(int(chans.size())) + " " + word(position) + (last ? " last" : " more"));
    };
}

// An engine on a FakeServer, registered as "me" by ":srv 001", its events recorded
// and its sent lines kept without line end. In a channel: #c with @me @alice +bob carol.
struct EngineHarness {
    explicit EngineHarness(bool inChannel = false)
    {
        recordEvents(irc, events);
        irc.OnSend = [this](auto& line) { sent.push_back(line); };
        irc.SetNick("me");
        irc.Host = "127.0.0.1";
        irc.Port = fake.port();
        irc.Connect(3000);
        EXPECT_TRUE(fake.waitForClient());
        line(":srv 001 me :Welcome");
        if (inChannel)
            feed({":me!me@h JOIN :#c", ":srv 353 me = #c :@me @alice +bob carol", ":srv 366 me #c :End"});
        clear();
    }
    ~EngineHarness() { irc.Disconnect(true); }

    void line(const std::string& text) { irc.HandleLine(text); }
    // Feeds each line; returns the events they raised.
    Events feed(const Events& lines)
    {
        events.clear();
        for (const std::string& text : lines)
            line(text);
        return events;
    }
    void clear() { events.clear(), sent.clear(); }
    // Channels made from now on report as "Update #c cuJoin dave 4".
    void recordChannelUpdates()
    {
        static const char* const names[] = {"cuMode", "cuTopic", "cuUser", "cuNames", "cuNick",
                                            "cuJoin", "cuPart", "cuKick", "cuQuit"};
        irc.OnChannelUpdate = [this](irc::TIdIRCChannel& c, irc::TIdIRCChannelUpdateType type, irc::TIdIRCUser* u,
                                     int info) { recorder(events, "Update")(&c, std::string(names[int(type)]), u, info); };
    }

    FakeServer fake;
    platform::EventQueue queue;
    irc::TIdIRC irc{queue};
    Events events;
    Events sent;
};

} // namespace pell::test
