// Arbitrary bytes, cut into lines, through the whole engine: parse, dispatch, numeric
// table, CTCP and DCC, tracking, with every event bound. Each input starts from a fresh
// Connect, so a failure replays from the input alone.
#include "LoopbackDrain.h"
#include "irc/TIdIRC.h"
#include "platform/EventQueue.h"

#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <string>

using namespace pell;
using namespace pell::irc;

namespace {

std::size_t sink = 0;

void touch(const TIdIRCUser* user)
{
    if (user)
        sink += user->Nick().size() + user->Address.size() + user->Reason.size() + static_cast<std::size_t>(user->Count);
}

void touch(const TIdIRCChannel* channel)
{
    if (channel)
        sink += channel->Name.size() + channel->Topic.size() + static_cast<std::size_t>(channel->Names.Count());
}

void touch(const std::string& text)
{
    sink += text.size();
}

void bindEverything(TIdIRC& irc)
{
    using U = TIdIRCUser*;
    using C = TIdIRCChannel*;
    using S = const std::string&;
    // A handler may fail: the engine must drop that line and go on with the next.
    irc.OnMessage = [](U u, C c, S t) {
        touch(u), touch(c), touch(t);
        if (t == "throw")
            throw std::runtime_error("handler failed");
    };
    irc.OnHandlerError = [](S t) { touch(t); };
    irc.OnNotice = [](U u, C c, S t) { touch(u), touch(c), touch(t); };
    irc.OnAction = [](U u, C c, S t) { touch(u), touch(c), touch(t); };
    irc.OnConnect = [] {};
    irc.OnDisconnect = [] {};
    irc.OnJoin = [](U u, C c) { touch(u), touch(c); };
    irc.OnJoined = [](C c) { touch(c); };
    irc.OnPart = [](U u, C c) { touch(u), touch(c); };
    irc.OnParted = [](C c) { touch(c); };
    irc.OnKick = [](U u, U v, C c) { touch(u), touch(v), touch(c); };
    irc.OnKicked = [](U u, C c) { touch(u), touch(c); };
    irc.OnNickChange = [](U u, S n) { touch(u), touch(n); };
    irc.OnNickChanged = [](S n) { touch(n); };
    irc.OnTopic = [](U u, C c, S n, S t) { touch(u), touch(c), touch(n), touch(t); };
    irc.OnQuit = [](U u) { touch(u); };
    irc.OnNames = [](TIdIRCUsers& users, C c) {
        for (int i = 0; i < users.Count(); ++i)
            touch(users.Items(i));
        touch(c);
    };
    irc.OnInvite = [](U u, S c) { touch(u), touch(c); };
    irc.OnPingPong = [] {};
    irc.OnError = [](U u, S n, S t) { touch(u), touch(n), touch(t); };
    irc.OnAway = [](U u) { touch(u); };
    irc.OnNowAway = [](S t) { touch(t); };
    irc.OnUnAway = [](S t) { touch(t); };
    irc.OnWallops = [](U u, S t) { touch(u), touch(t); };
    irc.OnSystem = [](U u, int code, S cat, S t) { touch(u), touch(cat), touch(t), sink += static_cast<std::size_t>(code); };
    irc.OnRaw = [](U u, S cmd, S content, bool& suppress) {
        touch(u), touch(cmd), touch(content);
        suppress = cmd == "SUPPRESS";
    };
    auto modeEvent = [](U u, C c, U t) { touch(u), touch(c), touch(t); };
    irc.OnOp = modeEvent;
    irc.OnDeop = modeEvent;
    irc.OnVoice = modeEvent;
    irc.OnDevoice = modeEvent;
    irc.OnBan = [](U u, C c, S h) { touch(u), touch(c), touch(h); };
    irc.OnUnban = [](U u, C c, S h) { touch(u), touch(c), touch(h); };
    irc.OnChannelMode = [](U u, C c, S n, S m) { touch(u), touch(c), touch(n), touch(m); };
    irc.OnUserMode = [](S m) { touch(m); };
    irc.OnUserModeChanged = [] {};
    irc.OnInviting = [](S n, S c) { touch(n), touch(c); };
    irc.OnKill = [](U u, S v, S r) { touch(u), touch(v), touch(r); };
    irc.OnUnknownCommand = [](U u, S c, S t) { touch(u), touch(c), touch(t); };
    irc.OnCTCPQuery = [](U u, C c, S cmd, S args, bool& suppress) {
        touch(u), touch(c), touch(cmd), touch(args);
        suppress = args == "suppress";
    };
    irc.OnCTCPReply = [](U u, C c, S cmd, S args) { touch(u), touch(c), touch(cmd), touch(args); };
    irc.OnStateChange = [] {};
    irc.OnSend = [](S line) { touch(line); };
    irc.OnReceive = [](S line) { touch(line); };
    irc.OnNicksInUse = [](std::string& nick) { nick += "_"; };
    irc.OnNoTopic = [](C c, S t) { touch(c), touch(t); };
    irc.OnDCCChat = [](S n, S ip, S p) { touch(n), touch(ip), touch(p); };
    irc.OnDCCSend = [](S n, S ip, S p, S f, S s) { touch(n), touch(ip), touch(p), touch(f), touch(s); };
    irc.OnDCCResume = [](S n, S p, S f, S pos) { touch(n), touch(p), touch(f), touch(pos); };
    irc.OnDCCAccept = [](S n, S p, S f, S pos) { touch(n), touch(p), touch(f), touch(pos); };
    irc.OnLinks = [](S m, S s, S h, S i) { touch(m), touch(s), touch(h), touch(i); };
    irc.OnList = [](const std::vector<std::string>& chans, int position, bool) {
        if (position < 0 || (position > 0 && static_cast<std::size_t>(position) >= chans.size()))
            std::abort();
        for (const std::string& chan : chans)
            touch(chan);
    };
    irc.OnChannelUpdate = [](TIdIRCChannel& channel, TIdIRCChannelUpdateType, U u, int) {
        touch(&channel), touch(u);
    };
}

// Reference counts stay positive and every listed member is found where it stands.
void checkTracking(const TIdIRC& irc)
{
    for (int i = 0; i < irc.Users.Count(); ++i)
        if (irc.Users.Items(i)->Count < 1)
            std::abort();
    for (int c = 0; c < irc.Channels.Count(); ++c) {
        const TIdIRCNames& names = irc.Channels.Items(c)->Names;
        for (int i = 0; i < names.Count(); ++i)
            if (names.IndexOf(names.Strings(i)) != i)
                std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const int port = fuzz::startLoopbackDrain();
    static platform::EventQueue queue;
    static TIdIRC* irc = [] {
        auto* engine = new TIdIRC(queue);
        bindEverything(*engine);
        engine->SetNick("me");
        engine->AltNick = "me2";
        engine->Host = "127.0.0.1";
        engine->Port = port;
        // The reader ends before the process does, so leak checks see a clean end.
        std::atexit([] { delete irc; });
        return engine;
    }();

    irc->Connect(3000);
    irc->ReplyLimiter().Reset();
    const std::string input(reinterpret_cast<const char*>(data), size);
    std::size_t start = 0;
    while (start <= input.size()) {
        std::size_t end = input.find('\n', start);
        if (end == std::string::npos)
            end = input.size();
        std::string line = input.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        irc->HandleLine(line);
        checkTracking(*irc);
        start = end + 1;
    }
    return 0;
}
