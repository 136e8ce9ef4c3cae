#include "irc/TIdIRC.h"

#include <charconv>

namespace pell::irc {

namespace {

// The numeric of a reply: the whole command as a decimal number of 0 or more; -1 when
// it is not one.
int numericOf(const std::string& command)
{
    int value = -1;
    const char* end = command.data() + command.size();
    const auto [ptr, ec] = std::from_chars(command.data(), end, value);
    if (command.empty() || ec != std::errc() || ptr != end || value < 0)
        return -1;
    return value;
}

} // namespace

void TIdIRC::Dispatch()
{
    const IrcMessage& m = message_;
    TIdIRCUser* user = Users.Add(m.SenderNick, m.SenderAddress);
    bool suppress = false;
    if (OnRaw)
        OnRaw(user, m.Command, m.Content, suppress);
    if (!suppress) {
        const int numeric = numericOf(m.Command);
        if (numeric >= 0) {
            HandleNumeric(numeric, user);
        } else if (m.Command == "PING") {
            Raw("PONG :" + m[2]);
            if (OnPingPong)
                OnPingPong();
        } else if (OnUnknownCommand) {
            OnUnknownCommand(user, m.Command, m.Content);
        }
    }
    Users.Remove(user);
}

void TIdIRC::HandleNumeric(int numeric, TIdIRCUser* user)
{
    const IrcMessage& m = message_;
    if (numeric >= 1 && numeric <= 4)
        welcomeServer_ = m.SenderAddress;
    if ((numeric >= 1 && numeric <= 4) || numeric == 375) {
        SetState(csConnected);
        return;
    }
    if (numeric >= 431 && numeric <= 433) {
        if (OnError)
            OnError(user, m.Command, m.Content);
        if (state_ == csLoggingOn)
            NickFallback();
        return;
    }
    if (OnUnknownCommand)
        OnUnknownCommand(user, m.Command, m.Content);
}

} // namespace pell::irc
