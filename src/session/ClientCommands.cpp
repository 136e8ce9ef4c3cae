#include "session/ClientCommands.h"

#include "irc/CaseFold.h"
#include "irc/Client.h"
#include "session/EventText.h"

#include <array>

namespace pell::session {

namespace {

constexpr std::array<std::string_view, 11> Words{"me",    "msg",   "query", "notice", "ctcp", "say",
                                                 "quote", "raw",   "clear", "close",  "help"};

struct Split {
    std::string_view First;
    std::string_view Rest;
};

// The first word (leading blanks skipped) and what follows its blank, unchanged.
Split firstWord(std::string_view text)
{
    const auto start = text.find_first_not_of(' ');
    if (start == std::string_view::npos)
        return {};
    text = text.substr(start);
    const auto blank = text.find(' ');
    if (blank == std::string_view::npos)
        return {text, {}};
    return {text.substr(0, blank), text.substr(blank + 1)};
}

// The command word of a slash line, folded, and the rest after its blank.
Split commandOf(std::string_view line)
{
    const std::string_view body = line.substr(1);
    const auto blank = body.find(' ');
    if (blank == std::string_view::npos)
        return {body, {}};
    return {body.substr(0, blank), body.substr(blank + 1)};
}

bool isWord(std::string_view typed, std::string_view word)
{
    return irc::sameTextIgnoringCase(typed, word);
}

// Tabs that are no one's name: plain text typed there would go to a user of that name.
bool speaksToNoOne(const std::string& caption)
{
    return caption == MainCaption || caption == "Channels" || caption == IgnoreCaption;
}

} // namespace

ClientCommands::ClientCommands(irc::Client& irc, SessionModel& model, const settings::AppSettings& settings)
    : irc_(irc), model_(model), settings_(settings)
{
}

bool ClientCommands::Handles(std::string_view line)
{
    if (!line.starts_with('/'))
        return false;
    const std::string_view word = commandOf(line).First;
    for (const std::string_view ours : Words)
        if (isWord(word, ours))
            return true;
    return false;
}

bool ClientCommands::Run(const std::string& line, const std::string& active)
{
    const auto [word, rest] = commandOf(line);
    if (isWord(word, "me"))
        return toActiveTab(rest, active, true);
    if (isWord(word, "say"))
        return toActiveTab(rest, active, false);
    if (isWord(word, "msg"))
        return message(line, rest, active, false);
    if (isWord(word, "notice"))
        return message(line, rest, active, true);
    if (isWord(word, "query"))
        return query(rest);
    if (isWord(word, "ctcp"))
        return ctcp(line, rest, active);
    if (isWord(word, "quote") || isWord(word, "raw")) {
        if (!online(rest, "/raw Text"))
            return false;
        echo(active, line);
        irc_.Raw(rest);
        return true;
    }
    if (isWord(word, "clear"))
        model_.ClearActive();
    else if (isWord(word, "close"))
        closeTab(active);
    else if (isWord(word, "help") && ShowHelp)
        ShowHelp();
    return true;
}

bool ClientCommands::toActiveTab(std::string_view text, const std::string& active, bool action)
{
    if (!online(text, action ? "/me Text" : "/say Text"))
        return false;
    if (speaksToNoOne(active)) {
        model_.AddText(MainCaption, "System", EventText(settings_.Language, EventKind::PlainTextRefused, active),
                       static_cast<Rgb>(settings_.SystemColour));
        return false;
    }
    // A channel left (parted, kicked, connection lost) would only bring a server error.
    if (model_.IsLeftChannel(active)) {
        model_.AddText(active, "System", EventText(settings_.Language, EventKind::NotInChannel, active),
                       static_cast<Rgb>(settings_.SystemColour));
        return false;
    }
    if (action) {
        model_.AddText(active, "Action", irc_.Nick() + ": " + std::string(text),
                       static_cast<Rgb>(settings_.ActionColour));
        irc_.Action(active, text);
    } else {
        model_.AddText(active, irc_.Nick(), std::string(text), static_cast<Rgb>(settings_.OwnColour));
        irc_.Say(active, text);
    }
    return true;
}

bool ClientCommands::message(const std::string& line, std::string_view rest, const std::string& active, bool notice)
{
    const auto [target, text] = firstWord(rest);
    const std::string_view syntax = notice ? "/notice Nick Text" : "/msg Nick Text";
    if (target.empty() || text.empty())
        return usage(syntax);
    if (!online(text, syntax))
        return false;
    echo(active, line);
    if (notice)
        irc_.Notice(target, text);
    else
        irc_.Say(target, text);
    return true;
}

bool ClientCommands::query(std::string_view rest)
{
    const auto [target, text] = firstWord(rest);
    if (target.empty())
        return usage("/query Nick [Text]");
    const std::string nick(target);
    model_.Tabs().NewChannel(nick);
    if (text.empty())
        return true;
    if (!irc_.Connected())
        return false;
    model_.AddText(nick, irc_.Nick(), std::string(text), static_cast<Rgb>(settings_.OwnColour));
    irc_.Say(nick, text);
    return true;
}

// A query without arguments goes out as "\1WORD\1", with no blank before the end mark.
bool ClientCommands::ctcp(const std::string& line, std::string_view rest, const std::string& active)
{
    const auto [target, after] = firstWord(rest);
    const auto [command, arguments] = firstWord(after);
    if (target.empty() || command.empty())
        return usage("/ctcp Nick CTCP [Text]");
    if (!online(command, ""))
        return false;
    std::string word(command);
    for (char& c : word)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    echo(active, line);
    irc_.Say(target, "\x01" + word + (arguments.empty() ? "" : " " + std::string(arguments)) + "\x01");
    return true;
}

// A channel is parted first; a query or another tab only closes. "Main" and the ignore
// tab stay.
void ClientCommands::closeTab(const std::string& active)
{
    SessionTabs& tabs = model_.Tabs();
    const int index = tabs.ActiveIndex();
    if (tabs.IsFixed(index))
        return;
    if (irc::Client::IsChannel(active) && irc_.Connected())
        irc_.Part(active);
    tabs.CloseTab(index);
}

bool ClientCommands::usage(std::string_view syntax)
{
    model_.AddText(MainCaption, "System", EventText(settings_.Language, EventKind::CommandUsage, syntax),
                   static_cast<Rgb>(settings_.SystemColour));
    return false;
}

void ClientCommands::echo(const std::string& active, const std::string& line)
{
    model_.AddText(active, irc_.Nick(), line, static_cast<Rgb>(settings_.OwnColour));
}

// An empty text is a usage error; offline the line stays in the input line, as any
// typed line does.
bool ClientCommands::online(std::string_view text, std::string_view syntax)
{
    if (text.empty()) {
        if (!syntax.empty())
            usage(syntax);
        return false;
    }
    return irc_.Connected();
}

} // namespace pell::session
