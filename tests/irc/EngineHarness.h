#pragma once

#include "doubles/EventQueue.h"
#include "doubles/RecordingEvents.h"
#include "doubles/ScriptedTransport.h"
#include "irc/Channel.h"
#include "irc/Client.h"
#include "irc/User.h"

#include <functional>
#include <string>
#include <vector>

namespace pell::test {

using Events = std::vector<std::string>;

inline std::string word(const irc::User* user) { return RecordingEvents::Word(user); }
inline std::string word(int number) { return std::to_string(number); }

// The engine harness's listener: records every event (RecordingEvents), the lines the
// engine sends, and plays the parts a transcript gives it (see TranscriptRunner).
struct HarnessEvents : RecordingEvents {
    Events* sent = nullptr; // where sent lines go; without it they are recorded as "Send ..."
    std::function<void()> onKickOrQuit;
    bool recordRaw = false;       // "Raw nick command content"; suppresses PING
    bool suppressVersion = false; // keeps the automatic VERSION reply back
    bool watchRecords = false;    // what events see of the records a line touches
    bool answerNicks = false;
    std::string nickAnswer;
    const irc::Channels* channels = nullptr;

    void OnSend(const std::string& line) override;
    void OnRaw(irc::User* user, const std::string& command, const std::string& content, bool& suppress) override;
    void OnCtcpQuery(irc::User* user, irc::Channel* channel, const std::string& command,
                     const std::string& arguments, bool& suppress) override;
    void OnNicksInUse(std::string& nick) override;
    void OnKick(irc::User* kicker, irc::User* victim, irc::Channel* channel) override;
    void OnQuit(irc::User* user) override;
    void OnParted(irc::Channel* channel) override;
    void OnKicked(irc::User* kicker, irc::Channel* channel) override;

private:
    void closing(const std::string& by, const irc::Channel* channel);
};

// An engine on a scripted server, registered as "me" by ":srv 001", its events recorded
// and its sent lines kept without line end. In a channel: #c with @me @alice +bob carol.
struct EngineHarness {
    explicit EngineHarness(bool inChannel = false, bool updates = false);
    ~EngineHarness() { irc.Disconnect(true); }

    void line(const std::string& text) { irc.HandleLine(text); }

    EventQueue queue;
    ScriptedTransport* server = nullptr;
    HarnessEvents listener;
    Events& events = listener.Lines;
    Events sent;
    irc::Client irc{ScriptedTransport::Make(server), listener};
};

// What the engine holds, for a transcript's "@@ what: state" lines (see TranscriptRunner).
std::string stateOf(irc::Client& irc, const std::string& what);

// Server lines and the events they raise, from a transcript beside this file. "== title"
// starts a fresh engine (with ", in #c" one in #c as above, with ", updates" reporting
// channel updates from the start; it answers CTCP VERSION and CLIENTINFO with
// "Tarn-IRC"). "<< " is a line from the server, each ">> " after it an event it raises,
// in order, with lines the engine sends as "Send ..."; each "@@ what: state" after it
// what the engine then holds (see stateOf). "!! " lines change what the engine or its
// listener does (TranscriptRunner::command names them: "connect", "host 127.0.0.1", "login
// PLAIN account password [required]", "tick" for a second past the negotiation's time-out,
// and more). "#" starts a comment. \xHH
// stands for that byte.
// "#c": the members as nick:flags; "#c modes": the mode letters, limit and key; "#c topic";
// "bob": the user record's reference count, address and reason; "engine": current nick,
// own record's nick, away, user modes and the numbers of users and channels; "link": the
// state, the welcoming server and the entries of a channel list being gathered. "none"
// for what is not tracked.
void runTranscript(const std::string& name);

} // namespace pell::test
