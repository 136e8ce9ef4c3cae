#include "session/ConnectionText.h"

#include <array>

namespace pell::session {

namespace {

using settings::Language;
using net::CertificateProblem;

struct Row {
    ConnectionTextKind Kind;
    std::string_view English;
    std::string_view German;
};

constexpr std::array<Row, 13> Rows{{
    {ConnectionTextKind::Encrypted, "Encrypted connection (TLS): {a}",
     "Verschl\xC3\xBCsselte Verbindung (TLS): {a}"},
    {ConnectionTextKind::CertificateCaption, "Certificate", "Zertifikat"},
    {ConnectionTextKind::CertificateRefused, "Not connected: the certificate of {a} was not trusted.",
     "Nicht verbunden: dem Zertifikat von {a} wurde nicht vertraut."},
    {ConnectionTextKind::CertificateUnsaved, "The trusted certificate could not be saved, it holds for this connection only: {a}",
     "Das Zertifikat konnte nicht gespeichert werden und gilt nur f\xC3\xBCr diese Verbindung: {a}"},
    {ConnectionTextKind::LoggedIn, "You are now logged in as {a}.", "Sie sind jetzt angemeldet als {a}."},
    {ConnectionTextKind::LoginRejected, "Login failed: the server refused it ({a}).",
     "Anmeldung fehlgeschlagen: der Server hat sie abgelehnt ({a})."},
    {ConnectionTextKind::LoginAborted, "Login failed: the server broke it off ({a}).",
     "Anmeldung fehlgeschlagen: der Server hat sie abgebrochen ({a})."},
    {ConnectionTextKind::LoginNotOffered, "Login failed: the server does not offer SASL {a}.",
     "Anmeldung fehlgeschlagen: der Server bietet SASL {a} nicht an."},
    {ConnectionTextKind::LoginNotEncrypted,
     "Login not sent: SASL PLAIN goes only over TLS (or to 127.0.0.1 and ::1), and this connection is not encrypted.",
     "Anmeldung nicht gesendet: SASL PLAIN geht nur \xC3\xBC" "ber TLS (oder an 127.0.0.1 und ::1), und diese Verbindung ist nicht verschl\xC3\xBCsselt."},
    {ConnectionTextKind::LoginNoAnswer, "Login failed: the server did not answer.",
     "Anmeldung fehlgeschlagen: der Server hat nicht geantwortet."},
    {ConnectionTextKind::LoginGoesOn, "The connection goes on without login.",
     "Die Verbindung geht ohne Anmeldung weiter."},
    {ConnectionTextKind::LoginRequired, "Disconnected: this server entry requires a login.",
     "Getrennt: dieser Servereintrag verlangt eine Anmeldung."},
    {ConnectionTextKind::InviteNotify, "{a} invited {b} to {c}", "{a} hat {b} nach {c} eingeladen"},
}};

struct ProblemRow {
    CertificateProblem Problem;
    std::string_view English;
    std::string_view German;
};

constexpr std::array<ProblemRow, 5> Problems{{
    {CertificateProblem::SelfSigned, "it is self-signed", "es ist selbst signiert"},
    {CertificateProblem::Expired, "it has expired", "es ist abgelaufen"},
    {CertificateProblem::NotYetValid, "it is not valid yet", "es ist noch nicht g\xC3\xBCltig"},
    {CertificateProblem::UnknownIssuer, "its issuer is not a trusted authority",
     "sein Aussteller ist keine vertrauensw\xC3\xBCrdige Stelle"},
    {CertificateProblem::WrongName, "it was made for another name", "es gilt f\xC3\xBCr einen anderen Namen"},
}};

std::string problemText(Language language, CertificateProblem problem, const std::string& other)
{
    for (const auto& row : Problems)
        if (row.Problem == problem)
            return std::string(language == Language::German ? row.German : row.English);
    return other;
}

} // namespace

std::string ConnectionText(Language language, ConnectionTextKind kind, std::string_view a, std::string_view b,
                           std::string_view c)
{
    std::string_view pattern;
    for (const auto& row : Rows)
        if (row.Kind == kind)
            pattern = language == Language::German ? row.German : row.English;
    // One pass over the pattern, so nothing in an argument is read as a mark.
    std::string text;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const bool mark = pattern[i] == '{' && i + 2 < pattern.size() && pattern[i + 2] == '}';
        if (mark && (pattern[i + 1] == 'a' || pattern[i + 1] == 'b' || pattern[i + 1] == 'c')) {
            text += pattern[i + 1] == 'a' ? a : pattern[i + 1] == 'b' ? b : c;
            i += 2;
        } else {
            text += pattern[i];
        }
    }
    return text;
}

std::string HostAndPort(const std::string& host, int port)
{
    const bool ipv6 = host.find(':') != std::string::npos && !host.starts_with('[');
    return (ipv6 ? "[" + host + "]" : host) + ":" + std::to_string(port);
}

std::string CertificateQuestion(Language language, const net::CertificateReport& report)
{
    const bool german = language == Language::German;
    const std::string where = HostAndPort(report.Host, report.Port);
    std::string why;
    for (const CertificateProblem problem : report.Problems)
        why += (why.empty() ? "" : "; ") + problemText(language, problem, report.OtherProblem);
    std::string text;
    if (report.Changed)
        text = german ? "Das Zertifikat von " + where + " hat sich ge\xC3\xA4ndert, seit Sie ihm vertraut haben, und das neue kann nicht gepr\xC3\xBC" "ft werden: "
                      : "The certificate of " + where + " has changed since you trusted it, and the new one cannot be verified: ";
    else
        text = german ? "Das Zertifikat von " + where + " kann nicht gepr\xC3\xBC" "ft werden: "
                      : "The certificate of " + where + " cannot be verified: ";
    text += why + ".\n\n";
    text += (german ? "Inhaber: " : "Subject: ") + report.Subject + "\n";
    text += (german ? "Aussteller: " : "Issuer: ") + report.Issuer + "\n";
    text += (german ? "G\xC3\xBCltig: " : "Valid: ") + report.ValidFrom + (german ? " bis " : " to ") + report.ValidUntil + "\n";
    text += "SHA-256: " + report.Sha256 + "\n\n";
    text += german ? "Diesem Zertifikat f\xC3\xBCr " + where + " vertrauen? Nur wenn Sie wissen, dass es das des Servers ist."
                   : "Trust this certificate for " + where + "? Only if you know it is the server's own.";
    return text;
}

std::string ConnectFailure(Language language, const std::exception& error)
{
    const auto* transport = dynamic_cast<const net::TransportError*>(&error);
    // The socket's own texts stay the fixed German ones the box always showed; only the
    // newer TLS and certificate texts have an English form here.
    const bool newer = transport && (transport->kind() == net::TransportError::Kind::Tls ||
                                     transport->kind() == net::TransportError::Kind::Certificate);
    if (newer && language == Language::English)
        return transport->english();
    return error.what();
}

} // namespace pell::session
