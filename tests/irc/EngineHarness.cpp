#include "EngineHarness.h"

#include "support/CaseFile.h"

#include <gtest/gtest.h>

#include <sstream>

#include <filesystem>
#include <fstream>

namespace pell::test {

void HarnessEvents::OnSend(const std::string& line)
{
    if (sent)
        sent->push_back(line);
    else
        Lines.push_back("Send " + line);
}

void HarnessEvents::OnRaw(irc::User* user, const std::string& command, const std::string& content, bool& suppress)
{
    if (!recordRaw)
        return;
    record("Raw", user, command, content);
    suppress = command == "PING";
}

void HarnessEvents::OnCtcpQuery(irc::User* user, irc::Channel* channel, const std::string& command,
                                const std::string& arguments, bool& suppress)
{
    if (suppressVersion)
        suppress = command == "VERSION";
    else
        RecordingEvents::OnCtcpQuery(user, channel, command, arguments, suppress);
}

void HarnessEvents::OnNicksInUse(std::string& nick)
{
    if (!answerNicks)
        return;
    record("NicksInUse", nick);
    nick = nickAnswer;
}

void HarnessEvents::OnKick(irc::User* kicker, irc::User* victim, irc::Channel* channel)
{
    if (watchRecords)
        Lines.push_back("Kick " + kicker->Reason + "/" + victim->Reason + "/" + Word(victim->Count));
    else
        RecordingEvents::OnKick(kicker, victim, channel);
    if (onKickOrQuit)
        onKickOrQuit();
}

void HarnessEvents::OnQuit(irc::User* user)
{
    if (watchRecords)
        Lines.push_back("Quit count=" + Word(user->Count));
    else
        RecordingEvents::OnQuit(user);
    if (onKickOrQuit)
        onKickOrQuit();
}

void HarnessEvents::OnParted(irc::Channel* channel)
{
    if (watchRecords)
        closing("", channel);
    else
        RecordingEvents::OnParted(channel);
}

void HarnessEvents::OnKicked(irc::User* kicker, irc::Channel* channel)
{
    if (watchRecords)
        closing(" by " + kicker->Reason, channel);
    else
        RecordingEvents::OnKicked(kicker, channel);
}

// The closing channel as Parted or Kicked see it.
void HarnessEvents::closing(const std::string& by, const irc::Channel* channel)
{
    const bool tracked = channels->Get(channel->Name) == channel;
    Lines.push_back("Closing" + by + " tracked=" + Word(tracked) + " active=" + Word(channel->Active) +
                    " close=" + Word(static_cast<int>(channel->Left)));
}

EngineHarness::EngineHarness(bool inChannel, bool updates)
{
    listener.sent = &sent;
    listener.channels = &irc.Channels;
    listener.RecordChannelUpdates = updates;
    irc.SetNick("me");
    irc.Connect(3000);
    line(":srv 001 me :Welcome");
    if (inChannel) {
        line(":me!me@h JOIN :#c");
        line(":srv 353 me = #c :@me @alice +bob carol");
        line(":srv 366 me #c :End");
    }
    events.clear();
    sent.clear();
}

namespace {

std::string channelModes(const irc::Channel& channel)
{
    std::string out = "+";
    for (int bit = 0; bit < 8; ++bit)
        if (channel.Mode & (1 << bit))
            out += "psitnmlk"[bit];
    return out + " limit=" + word(channel.Limit) + " key=" + channel.Key + " active=" + word(channel.Active);
}

std::string membersOf(const irc::Channel& channel)
{
    std::string out;
    for (int i = 0; i < channel.Names.Count(); ++i)
        out += (i ? " " : "") + channel.Names.Nick(i) + ":" + word(channel.Names.Flags(i));
    return out;
}

std::string userState(const irc::Client& irc, const std::string& nick)
{
    const irc::User* user = irc.Users.Get(nick);
    if (!user)
        return "none";
    return "count=" + word(user->Count) + " address=" + user->Address + " reason=" + user->Reason;
}

// Reads a transcript and checks each server line's events and states as it goes.
class TranscriptRunner {
public:
    explicit TranscriptRunner(std::string name) : name_(std::move(name)) {}

    void run(std::istream& file)
    {
        for (std::string line; std::getline(file, line);) {
            ++number_;
            if (line.rfind("== ", 0) == 0)
                start(line);
            else if (line.rfind("<< ", 0) == 0)
                serverLine(unescape(line.substr(3)));
            else if (line.rfind("!! ", 0) == 0)
                command(line.substr(3));
            else if (line.rfind(">> ", 0) == 0)
                expected_.push_back(unescape(line.substr(3)));
            else if (line.rfind("@@ ", 0) == 0)
                expectState(line.substr(3));
        }
        check();
    }

private:
    void start(const std::string& title)
    {
        check();
        h_ = std::make_unique<EngineHarness>(title.find(", in #c") != std::string::npos,
                                              title.find(", updates") != std::string::npos);
        h_->irc.Replies.Version = "Tarn-IRC";
        h_->irc.Replies.ClientInfo = "Tarn-IRC";
        h_->listener.sent = nullptr;
        h_->irc.ReplyLimiter().SetClock([this] { return now_; });
        step_ = std::chrono::milliseconds(10000);
        h_->irc.BoundIP = "127.0.0.1"; // a reconnect's USER line is then the same on every machine
    }

    void serverLine(const std::string& text)
    {
        check();
        where_ = name_ + ":" + std::to_string(number_) + ": ";
        input_ = text;
        now_ += step_;
        h_->events.clear();
        h_->line(input_);
    }

    void command(const std::string& what)
    {
        check();
        HarnessEvents& listener = h_->listener;
        irc::Client& irc = h_->irc;
        if (what == "connect")
            irc.Connect(3000);
        else if (what == "disconnect")
            irc.Disconnect(true);
        else if (what == "record updates")
            listener.RecordChannelUpdates = true;
        else if (what.rfind("step ", 0) == 0)
            step_ = std::chrono::milliseconds(std::stoi(what.substr(5)));
        else if (what == "reconnect on Kick and Quit")
            listener.onKickOrQuit = [&irc] { irc.Connect(3000); };
        else if (what == "suppress PING in OnRaw")
            listener.recordRaw = true;
        else if (what == "suppress VERSION in OnCtcpQuery")
            listener.suppressVersion = true;
        else if (what == "suppress nothing")
            stopSuppressing();
        else if (what == "watch records")
            listener.watchRecords = true;
        else if (what.rfind("host ", 0) == 0)
            irc.Host = what.substr(5);
        else if (what.rfind("login ", 0) == 0)
            login(what.substr(6));
        else if (what == "tick")
            tick();
        else if (what.rfind("raw ", 0) == 0)
            irc.Raw(what.substr(4));
        else if (what.rfind("answer", 0) == 0)
            answer(what.substr(std::min<std::size_t>(what.size(), 7)));
        else
            ADD_FAILURE() << name_ << ":" << number_ << ": unknown !! " << what;
    }

    void stopSuppressing()
    {
        h_->listener.recordRaw = false;
        h_->listener.suppressVersion = false;
    }

    // The negotiation's time-out passes: what follows are the events of that tick.
    void tick()
    {
        where_ = name_ + ":" + std::to_string(number_) + ": ";
        input_ = "!! tick";
        h_->events.clear();
        h_->irc.Tick(std::chrono::steady_clock::now() + irc::Client::NegotiationTimeout);
    }

    // "PLAIN account password", "required" after it for a login that must not fail.
    void login(const std::string& words)
    {
        std::istringstream in(words);
        std::string mechanism, required;
        irc::LoginSettings& login = h_->irc.Login;
        in >> mechanism >> login.Account >> login.Password >> required;
        login.Mechanism = mechanism == "EXTERNAL" ? irc::LoginMechanism::External : irc::LoginMechanism::Plain;
        login.Required = required == "required";
    }

    void answer(const std::string& nick)
    {
        h_->listener.answerNicks = true;
        h_->listener.nickAnswer = nick;
    }

    void expectState(const std::string& line)
    {
        const std::size_t colon = line.find(':');
        states_.emplace_back(line.substr(0, colon), line.substr(std::min(line.size(), colon + 2)));
    }

    void check()
    {
        if (!where_.empty()) {
            EXPECT_EQ(h_->events, expected_) << where_ << input_;
        }
        for (const auto& [what, state] : states_)
            EXPECT_EQ(stateOf(h_->irc, what), state) << where_ << input_ << "\n@@ " << what;
        where_.clear();
        expected_.clear();
        states_.clear();
    }

    std::string name_;
    int number_ = 0;
    std::unique_ptr<EngineHarness> h_;
    irc::CtcpReplyLimiter::Clock::time_point now_{};
    std::chrono::milliseconds step_{10000};
    std::string input_;
    std::string where_;
    Events expected_;
    std::vector<std::pair<std::string, std::string>> states_;
};

} // namespace

std::string stateOf(irc::Client& irc, const std::string& what)
{
    const std::string name = what.substr(0, what.find(' '));
    const std::string aspect = name.size() < what.size() ? what.substr(name.size() + 1) : "";
    if (what == "engine")
        return irc.CurrentNick() + " " + word(irc.OwnUser()) + " away=" + word(irc.IsAway()) +
               " modes=" + word(irc.UserMode()) + " users=" + word(irc.Users.Count()) +
               " channels=" + word(irc.Channels.Count());
    if (what == "link")
        return "state=" + word(static_cast<int>(irc.State())) + " welcome=" + irc.WelcomeServer() +
               " list=" + word(static_cast<int>(irc.ListBuffer.size()));
    if (!irc::Client::IsChannel(name))
        return userState(irc, name);
    const irc::Channel* channel = irc.Channels.Get(name);
    if (!channel)
        return "none";
    if (aspect == "topic")
        return channel->Topic;
    if (aspect == "modes")
        return channelModes(*channel);
    return membersOf(*channel);
}

void runTranscript(const std::string& name)
{
    std::ifstream file(std::filesystem::path(PELL_TEST_DATA).parent_path() / "irc" / name);
    ASSERT_TRUE(file) << name;
    TranscriptRunner(name).run(file);
}

} // namespace pell::test
