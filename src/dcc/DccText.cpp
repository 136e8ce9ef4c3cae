#include "dcc/DccText.h"

#include <array>
#include <vector>

namespace pell::dcc {

namespace {

struct Row {
    std::string_view english;
    std::string_view german;
};

// In the order of DccMessage.
constexpr std::array<Row, 34> rows{{
    {"DCC dropped: from {0}", "DCC verworfen: von {0}"},
    {"DCC refused: from {0}: the address {1} reaches nobody", "DCC abgelehnt: von {0}: die Adresse {1} erreicht niemanden"},
    {"DCC refused: from {0}: {1} is no port to connect to", "DCC abgelehnt: von {0}: {1} ist kein Port zum Verbinden"},
    {"DCC chat dropped: {0}: ({1})", "DCC-Chat verworfen: {0}: ({1})"},
    {"DCC chat dropped: {0}: too many chats open", "DCC-Chat verworfen: {0}: zu viele Chats offen"},
    {"DCC chat refused: {0}: ({1}): the address {2} reaches nobody",
     "DCC-Chat abgelehnt: {0}: ({1}): die Adresse {2} erreicht niemanden"},
    {"DCC chat refused: {0}: ({1}): {2} is no port to connect to",
     "DCC-Chat abgelehnt: {0}: ({1}): {2} ist kein Port zum Verbinden"},
    {"DCC send failed: no free port for {0}", "DCC senden fehlgeschlagen: kein freier Port für {0}"},
    {"DCC chat failed: no free port for {0}", "DCC-Chat fehlgeschlagen: kein freier Port für {0}"},
    {"File incomplete: {0} of {1} bytes", "Datei unvollständig: {0} von {1} Bytes"},
    {"More data than announced: {0} bytes after the {1} announced were not stored",
     "Mehr Daten als angekündigt: {0} Bytes nach den angekündigten {1} wurden nicht gespeichert"},
    {"File ended early: {0} of {1} bytes", "Datei endete vorzeitig: {0} von {1} Bytes"},
    {"Disconnected {0}: no acknowledgement for {1} s", "Getrennt {0}: {1} s lang keine Bestätigung"},
    {"Connected: {0}", "Verbunden: {0}"},
    {"Disconnected {0}: it does not read", "Getrennt {0}: liest nicht"},
    {"Disconnected: the partner does not take what is sent", "Getrennt: der Partner nimmt nichts mehr an"},
    {"{0} closed the chat", "{0} hat den Chat beendet"},
    {"No connection to {0}: {1}", "Keine Verbindung zu {0}: {1}"},
    {"Resume {0}({1}) from {2}({3}) after the {4} bytes already here?",
     "{0}({1}) von {2}({3}) nach den schon vorhandenen {4} Bytes fortsetzen?"},
    {"DCC resume refused: {0}: ({1}) {2}", "DCC-Fortsetzen abgelehnt: {0}: ({1}) {2}"},
    {"no offer of ours is on that port", "kein Angebot von uns auf diesem Port"},
    {"it was offered to {0}", "es wurde {0} angeboten"},
    {"position {0} is beyond the {1} bytes of the file", "Position {0} liegt hinter den {1} Bytes der Datei"},
    {"DCC accept ignored: {0}: ({1}) no resume was asked for there", "DCC-Accept ignoriert: {0}: ({1}) dort wurde kein Fortsetzen erbeten"},
    {"Resuming after {0} bytes", "Fortsetzen nach {0} Bytes"},
    {"No answer to the request to resume after {0} bytes", "Keine Antwort auf die Bitte, nach {0} Bytes fortzusetzen"},
    {"DCC receive failed: no free port for {0}", "DCC-Empfang fehlgeschlagen: kein freier Port für {0}"},
    {"Waiting for {0} to connect to port {1}", "Warte, bis {0} sich mit Port {1} verbindet"},
    {"Nobody connected within {0} s", "Niemand hat sich innerhalb von {0} s verbunden"},
    {"DCC reply ignored: {0}: {1}", "DCC-Antwort ignoriert: {0}: {1}"},
    {"no passive offer of ours has the token {0}", "kein passives Angebot von uns hat das Token {0}"},
    {"the offer was answered already", "das Angebot wurde schon beantwortet"},
    {"DCC: the server has not said which address it sees; offers name {0}",
     "DCC: der Server hat nicht gesagt, welche Adresse er sieht; Angebote nennen {0}"},
    {"DCC: {0} is no address; offers name {1}", "DCC: {0} ist keine Adresse; Angebote nennen {1}"},
}};

std::string fill(std::string_view pattern, std::initializer_list<std::string_view> args)
{
    const std::vector<std::string_view> values(args);
    std::string text;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const bool slot = pattern[i] == '{' && i + 2 < pattern.size() && pattern[i + 2] == '}' &&
                          pattern[i + 1] >= '0' && pattern[i + 1] <= '9';
        if (!slot) {
            text += pattern[i];
            continue;
        }
        const auto index = static_cast<std::size_t>(pattern[i + 1] - '0');
        if (index < values.size())
            text += values[index];
        i += 2;
    }
    return text;
}

} // namespace

std::string DccText(Language language, DccMessage message, std::initializer_list<std::string_view> args)
{
    const Row& row = rows.at(static_cast<std::size_t>(message));
    return fill(language == Language::German ? row.german : row.english, args);
}

StatusLine Both(DccMessage message, std::initializer_list<std::string_view> args)
{
    return {DccText(Language::English, message, args), DccText(Language::German, message, args)};
}

} // namespace pell::dcc
