#pragma once

#include "session/SessionModel.h"

#include <functional>
#include <string>
#include <string_view>

namespace pell::irc {
class Client;
}

namespace pell::session {

// The slash commands no IRC server knows, handled here: /me, /msg, /query, /notice,
// /ctcp, /say, /quote, /raw, /clear, /close and /help. Every other slash line still goes
// to the server as it stands. Command words match without regard to case.
class ClientCommands {
public:
    ClientCommands(irc::Client& irc, SessionModel& model, const settings::AppSettings& settings);

    // Opens the help window; unset, /help does nothing.
    std::function<void()> ShowHelp;

    // True when the line (starting with "/") is one of ours.
    static bool Handles(std::string_view line);
    // Runs one of ours, typed on the tab with this caption. True when it is done and the
    // input line may be cleared; false leaves the text for the user to fix or resend
    // (a usage line in "Main" says what was missing; offline nothing is sent).
    bool Run(const std::string& line, const std::string& activeCaption);

private:
    bool message(const std::string& line, std::string_view rest, const std::string& active, bool notice);
    bool query(std::string_view rest);
    bool ctcp(const std::string& line, std::string_view rest, const std::string& active);
    bool toActiveTab(std::string_view text, const std::string& active, bool action);
    void closeTab(const std::string& active);
    bool usage(std::string_view syntax);
    // The typed line echoed into the active tab, as every typed line is.
    void echo(const std::string& active, const std::string& line);
    // False with a usage line for an empty text, false offline, true otherwise.
    bool online(std::string_view text, std::string_view syntax);

    irc::Client& irc_;
    SessionModel& model_;
    const settings::AppSettings& settings_;
};

} // namespace pell::session
