// Arbitrary bytes, cut into lines, through the whole engine: parse, dispatch, numeric
// table, CTCP and DCC, tracking, every event written out by a recording listener (which
// reads every record it is handed). Each input starts from a fresh Connect, so a failure
// replays from the input alone.
#include "doubles/RecordingEvents.h"
#include "doubles/ScriptedTransport.h"
#include "irc/Channel.h"
#include "irc/Client.h"
#include "irc/User.h"

#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <string>

using namespace pell;
using namespace pell::irc;

namespace {

// Records everything and plays the parts a listener may play: it fails on a message
// "throw" (the engine must drop that line and go on), suppresses on request, answers a
// refused nick and checks the list positions it is handed.
struct FuzzEvents : test::RecordingEvents {
    FuzzEvents() { RecordChannelUpdates = true; }

    void OnMessage(User* user, Channel* channel, const std::string& content) override
    {
        RecordingEvents::OnMessage(user, channel, content);
        if (content == "throw")
            throw std::runtime_error("handler failed");
    }
    void OnRaw(User*, const std::string& command, const std::string&, bool& suppress) override
    {
        suppress = command == "SUPPRESS";
    }
    void OnCtcpQuery(User* user, Channel* channel, const std::string& command, const std::string& arguments,
                     bool& suppress) override
    {
        RecordingEvents::OnCtcpQuery(user, channel, command, arguments, suppress);
        suppress = arguments == "suppress";
    }
    void OnNicksInUse(std::string& nick) override { nick += "_"; }
    void OnNames(Users& users, Channel* channel) override
    {
        for (int i = 0; i < users.Count(); ++i)
            Lines.push_back(Word(users.Items(i)));
        RecordingEvents::OnNames(users, channel);
    }
    void OnList(const std::vector<std::string>& channels, int position, bool last) override
    {
        if (position < 0 || (position > 0 && static_cast<std::size_t>(position) >= channels.size()))
            std::abort();
        RecordingEvents::OnList(channels, position, last);
    }
};

// Reference counts stay positive and every listed member is found where it stands.
void checkTracking(const Client& irc)
{
    for (int i = 0; i < irc.Users.Count(); ++i)
        if (irc.Users.Items(i)->Count < 1)
            std::abort();
    for (int c = 0; c < irc.Channels.Count(); ++c) {
        const ChannelMembers& names = irc.Channels.Items(c)->Names;
        for (int i = 0; i < names.Count(); ++i)
            if (names.IndexOf(names.Nick(i)) != i)
                std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static FuzzEvents events;
    static test::ScriptedTransport* server = nullptr;
    static Client irc(test::ScriptedTransport::Make(server), events);
    static const bool configured = [] {
        irc.SetNick("me");
        irc.AltNick = "me2";
        // A login to a loopback address, so capability lines reach SASL as well.
        irc.Host = "127.0.0.1";
        irc.Login = LoginSettings{LoginMechanism::Plain, "acct", "secret", false};
        return true;
    }();
    (void)configured;

    irc.Connect(3000);
    irc.ReplyLimiter().Reset();
    const std::string input(reinterpret_cast<const char*>(data), size);
    std::size_t start = 0;
    while (start <= input.size()) {
        std::size_t end = input.find('\n', start);
        if (end == std::string::npos)
            end = input.size();
        std::string line = input.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        irc.HandleLine(line);
        checkTracking(irc);
        events.Lines.clear();
        server->Written();
        start = end + 1;
    }
    return 0;
}
