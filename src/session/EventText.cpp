#include "session/EventText.h"

#include <array>

namespace pell::session {

namespace {

struct EventSentence {
    EventKind Kind;
    // {a}, {b} and {r} stand for the arguments.
    std::string_view English;
    std::string_view German;
};

constexpr std::array<EventSentence, 25> Sentences{{
    {EventKind::Kick, "{a} kicked {b}", "{a} wirft {b} raus"},
    {EventKind::Join, "{a} joined", "{a} tritt ein"},
    // "in gebrauch" (not "Gebrauch") is kept as users know it.
    {EventKind::NickInUse, "Nick is in use: {a}", "Nick ist in gebrauch: {a}"},
    {EventKind::Kill, "{a} kicked {b} because of {r}", "{a} wirft {b} raus wegen: {r}"},
    {EventKind::NickChange, "{a} changed to {b}", "{a} ändert sich zu {b}"},
    {EventKind::Ban, "{a} got banned", "{a} got banned"},
    {EventKind::Away, "{a} is away", "{a} ist weg"},
    {EventKind::PlainTextRefused, "Plain text cannot be sent from the tab {a}: only /commands work here",
     "Normaler Text kann vom Tab {a} nicht gesendet werden: hier gehen nur /Befehle"},
    {EventKind::HandlerError, "A line from the server could not be handled: {a}",
     "Eine Zeile vom Server konnte nicht verarbeitet werden: {a}"},
    {EventKind::NotInChannel, "Not sent: you are no longer in {a}", "Nicht gesendet: du bist nicht mehr in {a}"},
    {EventKind::ServerError, "Error from the server: {a}", "Fehler vom Server: {a}"},
    {EventKind::ConnectionEnded, "Connection closed", "Verbindung beendet"},
    {EventKind::ConnectionEndedBecause, "Connection closed: {a}", "Verbindung beendet: {a}"},
    {EventKind::TopicSetBy, "Topic set by {a} on {b}", "Topic gesetzt von {a} am {b}"},
    {EventKind::ChannelCreated, "Channel created on {a}", "Channel erstellt am {a}"},
    {EventKind::CommandUsage, "Usage: {a}", "Aufruf: {a}"},
    {EventKind::MentionTitle, "{a} in {b}", "{a} in {b}"},
    {EventKind::PrivateMessageTitle, "Private message from {a}", "Private Nachricht von {a}"},
    {EventKind::ReconnectWaiting, "Not connected. Reconnecting in {a} s (try {b}).",
     "Nicht verbunden. Neuer Versuch in {a} s (Versuch {b})."},
    {EventKind::ReconnectTrying, "Reconnecting (try {a}) ...", "Verbinde neu (Versuch {a}) ..."},
    {EventKind::ReconnectFailed, "Reconnecting failed: {a}", "Neu verbinden fehlgeschlagen: {a}"},
    {EventKind::ReconnectGivenUp, "No more automatic reconnects after {a} failed tries. Press Reconnect to try again.",
     "Keine automatischen Versuche mehr nach {a} Fehlschlägen. Mit Reconnect neu versuchen."},
    {EventKind::ReconnectRefused, "The server turned us away ({a}): no automatic reconnects. Press Reconnect to try again.",
     "Der Server hat uns abgewiesen ({a}): kein automatisches Neuverbinden. Mit Reconnect neu versuchen."},
    {EventKind::PingTimeout, "The server has sent nothing for {a} s, not even an answer to a PING: the connection counts as lost.",
     "Der Server hat seit {a} s nichts geschickt, auch keine Antwort auf ein PING: die Verbindung gilt als verloren."},
    {EventKind::LogFailed, "Cannot write the log \"{a}\": {b}. Its lines are not kept.",
     "Das Log \"{a}\" kann nicht geschrieben werden: {b}. Seine Zeilen gehen verloren."},
}};

} // namespace

std::string EventText(settings::Language language, EventKind kind, std::string_view a, std::string_view b, std::string_view reason)
{
    std::string_view pattern;
    for (const auto& sentence : Sentences)
        if (sentence.Kind == kind)
            pattern = language == settings::Language::English ? sentence.English : sentence.German;

    // One pass over the pattern only, so nothing in an argument is ever read as a mark.
    std::string text;
    text.reserve(pattern.size() + a.size() + b.size() + reason.size());
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '{' && i + 2 < pattern.size() && pattern[i + 2] == '}') {
            const char mark = pattern[i + 1];
            text += mark == 'a' ? a : mark == 'b' ? b : reason;
            i += 2;
        } else {
            text += pattern[i];
        }
    }
    return text;
}

} // namespace pell::session
