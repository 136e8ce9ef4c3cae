#include "session/AutoReconnect.h"

#include "irc/CaseFold.h"
#include "irc/Channel.h"
#include "irc/Client.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <random>

namespace pell::session {

namespace {

constexpr const char* KeepAliveToken = "pell-keepalive";

std::int64_t steadyMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

double randomJitter()
{
    static thread_local std::mt19937 random{std::random_device{}()};
    return std::uniform_real_distribution<double>(-1.0, 1.0)(random);
}

// The words servers use when they turn a user away for good.
bool soundsLikeABan(const std::string& text)
{
    static constexpr std::array<std::string_view, 12> words{
        "banned", "k-lined", "g-lined", "z-lined", "d-lined", "k-line", "g-line", "z-line", "kline", "gline",
        "zline",  "akill"};
    const std::string folded = irc::foldCase(text);
    return std::any_of(words.begin(), words.end(),
                       [&](std::string_view word) { return folded.find(word) != std::string::npos; });
}

bool startsWithWord(std::string_view line, std::string_view word)
{
    return line.size() > word.size() && line[word.size()] == ' '
           && irc::sameTextIgnoringCase(line.substr(0, word.size()), word);
}

// The comma lists of a JOIN line: "JOIN #a,#b key1,key2".
std::vector<std::string> commaList(std::string_view text)
{
    std::vector<std::string> items;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find(',', start), text.size());
        items.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
    return items;
}

} // namespace

AutoReconnect::AutoReconnect(irc::Client& engine, SessionModel& model, const settings::AppSettings& settings)
    : Now(steadyMs), Jitter(randomJitter), engine_(engine), model_(model), settings_(settings)
{
}

void AutoReconnect::LineReceived()
{
    lastLine_ = Now();
    pingSentAt_.reset();
}

void AutoReconnect::Sent(const std::string& line)
{
    if (line == "QUIT" || startsWithWord(line, "QUIT")) {
        userQuit_ = true;
        retryAt_.reset();
        return;
    }
    if (!startsWithWord(line, "JOIN"))
        return;
    const std::string_view rest = std::string_view(line).substr(5);
    const std::size_t blank = rest.find(' ');
    if (blank == std::string_view::npos)
        return;
    const auto names = commaList(rest.substr(0, blank));
    const auto keys = commaList(rest.substr(blank + 1));
    for (std::size_t i = 0; i < names.size() && i < keys.size(); ++i)
        if (!keys[i].empty())
            keys_[irc::foldCase(names[i])] = keys[i];
}

void AutoReconnect::Registered()
{
    up_ = true;
    lastLine_ = Now();
    tries_ = 0;
    userQuit_ = false;
    automatic_ = false;
    for (const auto& [channel, key] : std::exchange(rejoin_, {}))
        engine_.Join(channel, key);
}

void AutoReconnect::ServerError(const std::string& text)
{
    if (!settings_.AutoReconnect || stopped_ || !soundsLikeABan(text))
        return;
    stopped_ = true;
    retryAt_.reset();
    say(EventKind::ReconnectRefused, text.starts_with(':') ? text.substr(1) : text);
}

void AutoReconnect::Tick()
{
    const std::int64_t now = Now();
    if (engine_.Connected()) {
        if (!up_) {
            up_ = true;
            lastLine_ = now;
        }
        if (pingSentAt_ && now - *pingSentAt_ >= Times.PingAnswerMs) {
            say(EventKind::PingTimeout, std::to_string((now - lastLine_) / 1000));
            engine_.Disconnect(true);
        } else if (!pingSentAt_ && now - lastLine_ >= Times.SilenceMs) {
            pingSentAt_ = now;
            engine_.Raw(std::string("PING :") + KeepAliveToken);
            return;
        } else {
            return;
        }
    }
    if (up_) {
        up_ = false;
        lost(now);
    }
    if (retryAt_ && now >= *retryAt_ && !engine_.ConnectPending()) {
        retryAt_.reset();
        ++tries_;
        say(EventKind::ReconnectTrying, std::to_string(tries_));
        automatic_ = true;
        if (Connect)
            Connect();
    }
}

void AutoReconnect::lost(std::int64_t now)
{
    pingSentAt_.reset();
    rejoin_.clear();
    for (int i = 0; i < engine_.Channels.Count(); ++i) {
        const irc::Channel* channel = engine_.Channels.Items(i);
        const auto typed = keys_.find(irc::foldCase(channel->Name));
        rejoin_.emplace_back(channel->Name, !channel->Key.empty() ? channel->Key
                                            : typed != keys_.end() ? typed->second
                                                                   : std::string());
    }
    if (userQuit_ || stopped_ || !settings_.AutoReconnect) {
        rejoin_.clear();
        return;
    }
    scheduleRetry(now);
}

void AutoReconnect::scheduleRetry(std::int64_t now)
{
    if (tries_ >= Times.MostTries) {
        stopped_ = true;
        say(EventKind::ReconnectGivenUp, std::to_string(tries_));
        return;
    }
    std::int64_t wait = WaitBefore(tries_);
    if (tries_ > 0 && Jitter)
        wait += static_cast<std::int64_t>(static_cast<double>(wait) * 0.1 * std::clamp(Jitter(), -1.0, 1.0));
    retryAt_ = now + wait;
    say(EventKind::ReconnectWaiting, std::to_string((wait + 500) / 1000), std::to_string(tries_ + 1));
}

std::int64_t AutoReconnect::WaitBefore(int tries) const
{
    std::int64_t wait = Times.FirstWaitMs;
    for (int i = 0; i < tries && wait < Times.LongestWaitMs; ++i)
        wait *= 2;
    return std::min(wait, Times.LongestWaitMs);
}

bool AutoReconnect::ConnectFailed(const std::string& why)
{
    if (!automatic_)
        return false;
    automatic_ = false;
    say(EventKind::ReconnectFailed, why);
    if (!stopped_ && !userQuit_ && settings_.AutoReconnect)
        scheduleRetry(Now());
    return true;
}

void AutoReconnect::UserReconnect()
{
    retryAt_.reset();
    tries_ = 0;
    stopped_ = false;
    automatic_ = false;
    userQuit_ = false;
}

void AutoReconnect::Stop()
{
    retryAt_.reset();
    stopped_ = true;
}

void AutoReconnect::say(EventKind kind, std::string_view a, std::string_view b)
{
    model_.AddText(MainCaption, "System", EventText(settings_.Language, kind, a, b),
                   static_cast<Rgb>(settings_.SystemColour));
}

} // namespace pell::session
