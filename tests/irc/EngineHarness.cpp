#include "EngineHarness.h"

#include "irc/TIdIRCChannel.h"
#include "irc/TIdIRCUser.h"

#include <gtest/gtest.h>

namespace pell::test {

using namespace pell::irc;

std::string nameOf(const TIdIRCUser* user)
{
    return user ? user->Nick() : "-";
}

std::string nameOf(const TIdIRCChannel* channel)
{
    return channel ? channel->Name : "-";
}

namespace {

const char* const kUpdateNames[] = {"cuMode", "cuTopic", "cuUser", "cuNames", "cuNick",
                                    "cuJoin", "cuPart", "cuKick", "cuQuit"};

std::string join(std::initializer_list<std::string> parts)
{
    std::string out;
    for (const std::string& part : parts) {
        if (!out.empty())
            out += ' ';
        out += part;
    }
    return out;
}

} // namespace

void recordEvents(TIdIRC& irc, std::vector<std::string>& e)
{
    irc.OnMessage = [&e](auto u, auto c, auto& t) { e.push_back(join({"Message", nameOf(u), nameOf(c), t})); };
    irc.OnNotice = [&e](auto u, auto c, auto& t) { e.push_back(join({"Notice", nameOf(u), nameOf(c), t})); };
    irc.OnAction = [&e](auto u, auto c, auto& t) { e.push_back(join({"Action", nameOf(u), nameOf(c), t})); };
    irc.OnJoin = [&e](auto u, auto c) { e.push_back(join({"Join", nameOf(u), nameOf(c)})); };
    irc.OnJoined = [&e](auto c) { e.push_back(join({"Joined", nameOf(c)})); };
    irc.OnPart = [&e](auto u, auto c) { e.push_back(join({"Part", nameOf(u), nameOf(c)})); };
    irc.OnParted = [&e](auto c) { e.push_back(join({"Parted", nameOf(c)})); };
    irc.OnKick = [&e](auto u, auto v, auto c) { e.push_back(join({"Kick", nameOf(u), nameOf(v), nameOf(c)})); };
    irc.OnKicked = [&e](auto u, auto c) { e.push_back(join({"Kicked", nameOf(u), nameOf(c)})); };
    irc.OnNickChange = [&e](auto u, auto& n) { e.push_back(join({"NickChange", nameOf(u), n})); };
    irc.OnNickChanged = [&e](auto& n) { e.push_back(join({"NickChanged", n})); };
    irc.OnTopic = [&e](auto u, auto c, auto& n, auto& t) {
        e.push_back(join({"Topic", nameOf(u), nameOf(c), n, t}));
    };
    irc.OnQuit = [&e](auto u) { e.push_back(join({"Quit", nameOf(u), u->Reason})); };
    irc.OnNames = [&e](auto&, auto c) { e.push_back(join({"Names", nameOf(c)})); };
    irc.OnInvite = [&e](auto u, auto& c) { e.push_back(join({"Invite", nameOf(u), c})); };
    irc.OnPingPong = [&e] { e.push_back("PingPong"); };
    irc.OnError = [&e](auto u, auto& n, auto& t) { e.push_back(join({"Error", nameOf(u), n, t})); };
    irc.OnAway = [&e](auto u) { e.push_back(join({"Away", nameOf(u), u->Reason})); };
    irc.OnNowAway = [&e](auto& t) { e.push_back(join({"NowAway", t})); };
    irc.OnUnAway = [&e](auto& t) { e.push_back(join({"UnAway", t})); };
    irc.OnWallops = [&e](auto u, auto& t) { e.push_back(join({"Wallops", nameOf(u), t})); };
    irc.OnSystem = [&e](auto u, int code, auto& cat, auto& t) {
        e.push_back(join({"System", nameOf(u), std::to_string(code), cat, t}));
    };
    irc.OnOp = [&e](auto u, auto c, auto t) { e.push_back(join({"Op", nameOf(u), nameOf(c), nameOf(t)})); };
    irc.OnDeop = [&e](auto u, auto c, auto t) { e.push_back(join({"Deop", nameOf(u), nameOf(c), nameOf(t)})); };
    irc.OnVoice = [&e](auto u, auto c, auto t) { e.push_back(join({"Voice", nameOf(u), nameOf(c), nameOf(t)})); };
    irc.OnDevoice = [&e](auto u, auto c, auto t) {
        e.push_back(join({"Devoice", nameOf(u), nameOf(c), nameOf(t)}));
    };
    irc.OnBan = [&e](auto u, auto c, auto& h) { e.push_back(join({"Ban", nameOf(u), nameOf(c), h})); };
    irc.OnUnban = [&e](auto u, auto c, auto& h) { e.push_back(join({"Unban", nameOf(u), nameOf(c), h})); };
    irc.OnChannelMode = [&e](auto u, auto c, auto& n, auto& m) {
        e.push_back(join({"ChannelMode", nameOf(u), nameOf(c), n, m}));
    };
    irc.OnChannelModeChanged = [&e](auto, auto) { e.push_back("ChannelModeChanged"); };
    irc.OnUserMode = [&e](auto& m) { e.push_back(join({"UserMode", m})); };
    irc.OnUserModeChanged = [&e] { e.push_back("UserModeChanged"); };
    irc.OnInviting = [&e](auto& n, auto& c) { e.push_back(join({"Inviting", n, c})); };
    irc.OnKill = [&e](auto u, auto& v, auto& r) { e.push_back(join({"Kill", nameOf(u), v, r})); };
    irc.OnUnknownCommand = [&e](auto u, auto& c, auto& t) { e.push_back(join({"Unknown", nameOf(u), c, t})); };
    irc.OnCTCPQuery = [&e](auto u, auto c, auto& cmd, auto& a, bool&) {
        e.push_back(join({"CTCPQuery", nameOf(u), nameOf(c), cmd, a}));
    };
    irc.OnCTCPReply = [&e](auto u, auto c, auto& cmd, auto& a) {
        e.push_back(join({"CTCPReply", nameOf(u), nameOf(c), cmd, a}));
    };
    irc.OnNoTopic = [&e](auto c, auto& t) { e.push_back(join({"NoTopic", nameOf(c), t})); };
    irc.OnDCCChat = [&e](auto& n, auto& ip, auto& p) { e.push_back(join({"DCCChat", n, ip, p})); };
    irc.OnDCCSend = [&e](auto& n, auto& ip, auto& p, auto& f, auto& s) {
        e.push_back(join({"DCCSend", n, ip, p, f, s}));
    };
    irc.OnDCCResume = [&e](auto& n, auto& p, auto& f, auto& pos) { e.push_back(join({"DCCResume", n, p, f, pos})); };
    irc.OnDCCAccept = [&e](auto& n, auto& p, auto& f, auto& pos) { e.push_back(join({"DCCAccept", n, p, f, pos})); };
    irc.OnLinks = [&e](auto& m, auto& s, auto& h, auto& i) { e.push_back(join({"Links", m, s, h, i})); };
    irc.OnList = [&e](auto& chans, int pos, bool last) {
        e.push_back(join({"List", std::to_string(chans.size()), std::to_string(pos), last ? "last" : "more"}));
    };
}

EngineHarness::EngineHarness()
{
    recordEvents(irc, events);
    irc.OnSend = [this](auto& line) { sent.push_back(line); };

    irc.SetNick("me");
    irc.Host = "127.0.0.1";
    irc.Port = fake.port();
    irc.Connect(3000);
    EXPECT_TRUE(fake.waitForClient());
    line(":srv 001 me :Welcome");
    EXPECT_EQ(irc.State(), csConnected);
    clear();
}

EngineHarness::~EngineHarness()
{
    irc.Disconnect(true);
}

std::vector<std::string> EngineHarness::feed(const std::vector<std::string>& lines)
{
    events.clear();
    for (const std::string& text : lines)
        line(text);
    return events;
}

void EngineHarness::recordChannelUpdates()
{
    irc.OnChannelUpdate = [this](TIdIRCChannel& channel, TIdIRCChannelUpdateType type, TIdIRCUser* user, int info) {
        events.push_back(join({"Update", channel.Name, kUpdateNames[static_cast<int>(type)], nameOf(user),
                               std::to_string(info)}));
    };
}

} // namespace pell::test
