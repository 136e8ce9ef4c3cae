#include "app/HelpText.h"

#include <array>
#include <map>
#include <string_view>

namespace pell::app {

namespace {

struct HelpEntry {
    std::string_view command;
    std::string_view syntaxLabel;
    std::string_view englishSyntax;
    std::string_view germanSyntax;
    std::array<std::string_view, 2> english; // one or two description lines
    std::array<std::string_view, 2> german;
};

// The commands in the order the help shows them; texts exactly as users have always
// read them, slips included (kept as users know them). The client's own commands follow
// the server's.
constexpr std::array<HelpEntry, 41> entries{{
    {"WHOIS ", "Syntax:", "/Whois [Nick] ", "/Whois [Nick] ", {"Shows informations about the nickname"}, {"Zeigt Informationen über den jeweiligen Nickname an"}},
    {"NICK", "Syntax :", "/nick [Nick] ", "/nick [Nick] ", {"Changes own Nickname:"}, {"Ändert den eigenen Nickname:"}},
    {"WHO", "Syntax: ", "/who [Nick]", "/who [Nick]", {"Shows more information about the nicknaem"}, {"Zeigt weiteres Infos an"}},
    {"WHOWAS", "Syntax: ", "/whowas [Nick] ", "/whowas [Nick] ", {"Show the time the user was online"}, {"Zeigt an ,wer und wann ein User online war."}},
    {"NAMES ", "Syntax: ", "/Names #Channel", "/Names #Channel", {"Shows all user-nicks, who are online in that channel"}, {"Zeigt alle Nicks in nem bestimmten Channel an "}},
    {"JOIN ", "Syntax: ", "/join #Channel ", "/join #Channel ", {"Joins that channel"}, {"Betritt einen Channel"}},
    {"PART", "Syntax: ", "/part #Channel", "/part #Channel", {"Leaves that channel"}, {"Verlässt einen Channel"}},
    {"MOTD", "Syntax:", "/motd Server oder nur /motd", "/motd Server oder nur /motd", {"Shows news of the day"}, {"Zeigt die Nachrichten des Tages an"}},
    {"RULES ", "Syntax: ", "/rules", "/rules", {"Shows rules.conf"}, {"Zeigt die rules.conf an"}},
    {"LUSERS ", "Syntax: ", "/luser ", "/luser ", {"Shows connect count of Global and Local", "Im Format : Aktuell , Max."}, {"Gibt Informationen über die Anzahl von Verbindungen, Global und Lokal", "Im Format : Aktuell , Max."}},
    {"MAP", "Syntax: ", "/Map ", "/Map ", {"Shows all servers"}, {"Listet alle Server auf, die mit dem Server verbunden sind"}},
    {"QUIT", "Syntax: ", "/quit Message", "/quit Message", {"Quit connection to server"}, {"Beendet die Verbindung mit dem Internet "}},
    {"PING", "Syntax: ", "/pink [Nick]", "/pink [Nick]", {"Pings a Server or a nick to get the pingtime"}, {"Pingt den Server oder einen nick an , um die PingZeit zu messen "}},
    {"VERSION", "Syntax: ", "/version ", "/version ", {"Shows the version of the server"}, {"Zeigt die Version des Servers an "}},
    {"STATS", "Syntax: ", "/stat STAT", "/stat STAT", {"Shows Serverstatistics . Use STATS the get all"}, {"Zeigt Serverstatistiken an . Siehe STATS um alle Stats-Abfragen zu bekommen"}},
    {"LINKS", "Syntax: ", "/links ", "/links ", {"Shows linked Servers"}, {"Zeigt die verlinkten Server an "}},
    {"ADMIN", "Syntax: ", "/Admin ", "/Admin ", {"Shows ServerAdmin"}, {"Zeigt den ServerAdmin an "}},
    {"INVITE", "Syntax: ", "/invite [Nick] #Channel ", "/invite [Nick] #Channel ", {"Invite someone the the Channel"}, {"Lädt jemanden in den #Channel ein "}},
    {"KICK", "Syntax: ", "/kick #Channel [Nick]", "/kick #Channel [Nick]", {"Kicks someone from the Channel "}, {"Kickt jemanden aus dem jeweiligen Channel "}},
    {"AWAY", "Syntax: ", "/away Reason", "/away GRUND", {"Mark as \"Away\""}, {"Um sich als \"Away\" zu markieren. "}},
    {"LIST", "Syntax: ", "/list ", "/list ", {"Shows all channels"}, {"Lässt alle Channels anzeigen"}},
    {"PRIVMSG", "Syntax: ", "/PRIVMSG [Nick] Message", "/PRIVMSG [Nick] NACHRICHT", {"Creates privatcaht"}, {"Um einen PrivatChat aufzurufen"}},
    {"NOTICE", "Syntax: ", "/notice [Nick] Nachricht", "/notice [Nick] Nachricht", {"Schickt jemanden eine Nachricht"}, {"Schickt jemanden eine Nachricht"}},
    {"KNOCK", "Syntax: ", "/knock #Channel", "/knock #Channel", {"Knocks to a channel"}, {"Für Channels, die auf INVITE (ChannelModes)stehen, im anzuklopfen"}},
    {"SETNAME", "Syntax: ", "/setname Name", "/setname Name", {"Change your IRC-Name"}, {"Verändert den eigenen IRC-Name"}},
    {"VHOST ", "Syntax: ", "/vhost USERNAME PASSWORT", "/vhost USERNAME PASSWORT", {"Changes the vhost"}, {"Verändert den vhost"}},
    {"MODE ", "Syntax: ", "/mode EIGENER_NICK FLAG(mode)", "/mode EIGENER_NICK FLAG(mode)", {"Change with mode Channel or User settings (User-Modes IRCOP-Modes)"}, {"Mit Mode lassen sich die einzelnen Channels oder Usereigenschaften einstellen (User-Modes IRCOP-Modes)."}},
    {"SILENCE", "Syntax: ", "/silence Nick or Host", "/silence Nick oder Host", {"Ignores nick or host (like /ignore)"}, {"Selbe Kommando wie /ignore Nick , ignoriert einen gewissen Nick bzw Host"}},
    {"ME", "Syntax: ", "/me Text", "/me Text", {"Sends an action to the active tab, as the Action button does"}, {"Schickt eine Aktion an den aktiven Tab, wie der Knopf Aktion"}},
    {"MSG", "Syntax: ", "/msg Nick Message", "/msg Nick Nachricht", {"Sends a message to a nick or a channel"}, {"Schickt eine Nachricht an einen Nick oder einen Channel"}},
    {"QUERY", "Syntax: ", "/query Nick [Message]", "/query Nick [Nachricht]", {"Opens a tab for a private chat, and sends the message if one is given"}, {"Öffnet einen Tab für einen privaten Chat und schickt die Nachricht, falls angegeben"}},
    {"NOTICE", "Syntax: ", "/notice Nick Message", "/notice Nick Nachricht", {"Sends a notice to a nick or a channel"}, {"Schickt eine Notice an einen Nick oder einen Channel"}},
    {"CTCP", "Syntax: ", "/ctcp Nick Request [Text]", "/ctcp Nick Anfrage [Text]", {"Sends a CTCP request such as VERSION, PING or TIME"}, {"Schickt eine CTCP-Anfrage wie VERSION, PING oder TIME"}},
    {"SAY", "Syntax: ", "/say Text", "/say Text", {"Sends the text as a message to the active tab, also when it starts with /"}, {"Schickt den Text als Nachricht an den aktiven Tab, auch wenn er mit / beginnt"}},
    {"QUOTE", "Syntax: ", "/quote Line", "/quote Zeile", {"Sends the rest of the line to the server unchanged"}, {"Schickt den Rest der Zeile unverändert an den Server"}},
    {"RAW", "Syntax: ", "/raw Line", "/raw Zeile", {"Same as /quote"}, {"Wie /quote"}},
    {"CLEAR", "Syntax: ", "/clear", "/clear", {"Empties the active tab"}, {"Leert den aktiven Tab"}},
    {"CLOSE", "Syntax: ", "/close", "/close", {"Leaves the active channel and closes its tab, or closes a private tab"}, {"Verlässt den aktiven Channel und schließt seinen Tab, oder schließt einen privaten Tab"}},
    {"HELP", "Syntax: ", "/help", "/help", {"Opens this help"}, {"Öffnet diese Hilfe"}},
    {"TAB", "Syntax: ", "Tab, Shift+Tab", "Tab, Umschalt+Tab", {"Completes the nick or #channel before the cursor; Tab again for the next match, Shift+Tab for the one before"}, {"Ergänzt den Nick oder #Channel vor dem Cursor; noch einmal Tab für den nächsten Treffer, Umschalt+Tab für den vorigen"}},
    {"FIND", "Syntax: ", "Ctrl+F", "Strg+F", {"Opens the find bar over the active tab: Enter finds older lines, Escape closes it"}, {"Öffnet die Suchleiste über dem aktiven Tab: Enter sucht ältere Zeilen, Escape schließt sie"}},
}};

// The built-in text words these German descriptions differently.
const std::map<std::string_view, std::string_view>& builtInWording()
{
    static const std::map<std::string_view, std::string_view> wording{
        {"WHOIS ", "Zeigt Informationen über einen Nickname an"},
        {"WHO", "Zeigt weitere Informationen über einen Nickname an"},
        {"QUIT", "Beendet die Verbindung zum Server "},
        {"PING", "Pingt den Server oder einen Nick an, um die Pingzeit zu messen "},
        {"LIST", "Zeigt alle Channels an"},
    };
    return wording;
}

std::vector<std::string> lines(Language language, bool builtIn)
{
    const bool english = language == Language::English;
    std::vector<std::string> out{english ? "User Command" : "User Befehle", ""};
    for (const HelpEntry& entry : entries) {
        const auto& description = english ? entry.english : entry.german;
        const auto reworded = builtIn ? builtInWording().find(entry.command) : builtInWording().end();
        for (std::string_view line : description)
            if (!line.empty())
                out.emplace_back(reworded != builtInWording().end() ? reworded->second : line);
        out.emplace_back(entry.command);
        out.emplace_back(entry.syntaxLabel);
        out.emplace_back(english ? entry.englishSyntax : entry.germanSyntax);
        out.emplace_back();
        if (entry.command == "QUIT")
            out.emplace_back();
    }
    return out;
}

} // namespace

std::vector<std::string> HelpLines(Language language)
{
    return lines(language, false);
}

std::vector<std::string> BuiltInHelpLines()
{
    return lines(Language::German, true);
}

} // namespace pell::app
