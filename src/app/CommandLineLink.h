#pragma once

#include "app/Captions.h"
#include "platform/UserPrompts.h"
#include "settings/AppSettings.h"
#include "app/SessionLauncher.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace pell::app {

// True when the text holds the pattern, letter case aside (ASCII letters).
bool ContainsNoCase(std::string_view pattern, std::string_view text);

// The link of a command line: every argument after the program's own name that holds
// "irc://" or "ircs://", in order, joined by single blanks. Other arguments ("/m" among
// them) are passed over.
std::string CollectLink(std::span<const std::string> arguments);

struct LinkTarget {
    std::string host;        // an IPv6 address without its brackets
    std::string port;        // "6667" when the link names none, "6697" for ircs://
    bool colon = false;      // the link named a port, even an empty one
    bool tls = false;        // ircs://, or a port written "+6697"
};

// Where a link points: the first six characters (the scheme) dropped, or seven for a
// link that starts with "ircs://", the rest cut at its first "/", then split at the
// first ":" (after the "]" of an IPv6 address in brackets). Nothing when the link holds
// neither "irc://" nor "ircs://".
std::optional<LinkTarget> ParseLink(std::string_view link);

// Opens a session for an irc:// or ircs:// link on the command line, once at start-up:
// shows the host when the link names a port, asks "Connect to host:port" (with "(TLS)"
// after it for TLS) and on Yes starts a session with the global identity. A port that is
// not a number from 1 to 65535, and a host that is empty or holds blanks, control bytes,
// "@" or a stray bracket, are refused with a message before anything is asked.
class CommandLineLink {
public:
    CommandLineLink(const settings::AppSettings& settings, SessionLauncher& launcher,
                    platform::UserPrompts& prompts)
        : settings_(settings), launcher_(launcher), prompts_(prompts) {}

    void Handle(std::span<const std::string> arguments);

private:
    const settings::AppSettings& settings_;
    SessionLauncher& launcher_;
    platform::UserPrompts& prompts_;
};

} // namespace pell::app
