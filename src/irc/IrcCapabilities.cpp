#include "irc/Client.h"

#include "net/Resolver.h"

#include <algorithm>
#include <utility>

namespace pell::irc {

namespace {

// Each asked for only when the server offers it, and each changes what the user sees:
// see the session's handling of the events they bring.
const std::vector<std::string> kWanted = {
    "away-notify", "account-notify", "cap-notify", "chghost", "extended-join", "invite-notify", "multi-prefix", "server-time",
};

// The longest AUTHENTICATE argument: longer payloads go in pieces of this size.
constexpr std::size_t kAuthenticateChunk = 400;

std::string base64(std::string_view bytes)
{
    static const char* const digits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        const std::size_t left = bytes.size() - i;
        const unsigned a = static_cast<unsigned char>(bytes[i]);
        const unsigned b = left > 1 ? static_cast<unsigned char>(bytes[i + 1]) : 0;
        const unsigned c = left > 2 ? static_cast<unsigned char>(bytes[i + 2]) : 0;
        const unsigned group = (a << 16) | (b << 8) | c;
        out += digits[(group >> 18) & 63];
        out += digits[(group >> 12) & 63];
        out += left > 1 ? digits[(group >> 6) & 63] : '=';
        out += left > 2 ? digits[group & 63] : '=';
    }
    return out;
}

// The words of a capability list; "name=value" words keep their value apart.
std::vector<std::pair<std::string, std::string>> capabilityWords(std::string_view list)
{
    std::vector<std::pair<std::string, std::string>> words;
    while (!list.empty()) {
        const std::size_t end = std::min(list.find(' '), list.size());
        const std::string_view word = list.substr(0, end);
        if (!word.empty()) {
            const std::size_t equals = std::min(word.find('='), word.size());
            words.emplace_back(word.substr(0, equals), word.substr(std::min(equals + 1, word.size())));
        }
        list.remove_prefix(std::min(end + 1, list.size()));
    }
    return words;
}

bool listed(std::string_view commaList, std::string_view item)
{
    while (!commaList.empty()) {
        const std::size_t end = std::min(commaList.find(','), commaList.size());
        if (commaList.substr(0, end) == item)
            return true;
        commaList.remove_prefix(std::min(end + 1, commaList.size()));
    }
    return false;
}

const char* mechanismName(LoginMechanism mechanism)
{
    return mechanism == LoginMechanism::External ? "EXTERNAL" : "PLAIN";
}

bool loopback(const std::string& host)
{
    const std::string address = net::WithoutBrackets(host);
    return address == "127.0.0.1" || address == "::1";
}

// The number in text[at, at + count) (the caller has checked the length), or -1 when
// those are not all digits.
int digitsAt(std::string_view text, std::size_t at, std::size_t count)
{
    int value = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        const unsigned digit = static_cast<unsigned char>(text[i]) - static_cast<unsigned>('0');
        if (digit > 9)
            return -1;
        value = value * 10 + static_cast<int>(digit);
    }
    return value;
}

// Days from 1970-01-01 to the date (proleptic Gregorian).
long long daysFromCivil(int year, int month, int day)
{
    year -= month <= 2 ? 1 : 0;
    const int era = year / 400;
    const int yearOfEra = year - era * 400;
    const int dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return static_cast<long long>(era) * 146097 + dayOfEra - 719468;
}

// "2026-12-07T03:08:53.749Z" (the fraction may be left out or longer): the time, or
// nothing when the text is not one. Read by hand: it runs for every line.
std::optional<std::chrono::system_clock::time_point> isoTime(std::string_view text)
{
    if (text.size() < 20)
        return std::nullopt;
    const int year = digitsAt(text, 0, 4);
    const int month = digitsAt(text, 5, 2);
    const int day = digitsAt(text, 8, 2);
    const int hour = digitsAt(text, 11, 2);
    const int minute = digitsAt(text, 14, 2);
    const int second = digitsAt(text, 17, 2);
    if (text[4] != '-' || text[7] != '-' || text[10] != 'T' || text[13] != ':' || text[16] != ':' ||
        year < 1970 || month < 1 || month > 12 || day < 1 || day > 31 || hour < 0 || hour > 23 || minute < 0 ||
        minute > 59 || second < 0 || second > 60)
        return std::nullopt;
    std::size_t at = 19;
    int millis = 0;
    if (text[at] == '.') {
        int scale = 100;
        for (++at; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
            millis += (text[at] - '0') * scale; // past the third digit the scale is 0
            scale /= 10;
        }
        if (at == 20)
            return std::nullopt;
    }
    if (at + 1 != text.size() || text[at] != 'Z')
        return std::nullopt;
    const long long seconds = daysFromCivil(year, month, day) * 86400 + hour * 3600 + minute * 60 + second;
    return std::chrono::system_clock::time_point(std::chrono::seconds(seconds) + std::chrono::milliseconds(millis));
}

} // namespace

const std::vector<std::string>& Client::WantedCapabilities()
{
    return kWanted;
}

std::optional<std::chrono::system_clock::time_point> Client::LineTime() const
{
    if (!serverTime_)
        return std::nullopt;
    const auto time = message_.RawTag("time"); // a time has nothing to escape
    return time ? isoTime(*time) : std::nullopt;
}

void Client::startNegotiation()
{
    capabilities_.clear();
    offered_.clear();
    serverTime_ = false;
    loginEnded_ = false;
    capPhase_ = CapPhase::Listing;
    held_.clear();
    negotiationDeadline_ = std::chrono::steady_clock::now() + NegotiationTimeout;
    Raw("CAP LS 302");
}

// A server registers nobody before CAP END and refuses their commands meanwhile (451):
// while it negotiates, what the user sends waits; the registration's own lines go out.
bool Client::holdsUntilNegotiated(std::string_view line) const
{
    if (capPhase_ != CapPhase::Requesting && capPhase_ != CapPhase::LoggingIn)
        return false;
    const std::string_view command = line.substr(0, line.find(' '));
    for (const std::string_view passes : {"CAP", "AUTHENTICATE", "PONG", "PING", "NICK", "USER", "PASS", "QUIT"})
        if (command == passes)
            return false;
    return true;
}

void Client::Tick(std::chrono::steady_clock::time_point now)
{
    if (!negotiationDeadline_ || now < *negotiationDeadline_ || !Connected())
        return;
    negotiationDeadline_.reset();
    if (capPhase_ == CapPhase::LoggingIn) {
        Raw("AUTHENTICATE *");
        loginFailed(LoginFailure::NoAnswer, "");
    } else if (capPhase_ == CapPhase::Requesting) {
        endNegotiation();
    }
}

// :irc.example.net CAP * LS * :multi-prefix sasl=PLAIN,EXTERNAL
// :irc.example.net CAP me ACK :multi-prefix server-time
void Client::commandCap(User*)
{
    const IrcMessage& m = message_;
    const std::string& sub = m[3];
    const bool more = m[4] == "*"; // a list continued on the next line
    const std::string& list = more ? m[5] : m[4];
    if (sub == "LS" && capPhase_ == CapPhase::Listing) {
        for (auto& [name, value] : capabilityWords(list))
            offered_[name] = value;
        if (!more)
            requestCapabilities();
    } else if (sub == "ACK") {
        acknowledged(list);
    } else if (sub == "NAK" && capPhase_ == CapPhase::Requesting) {
        if (loginWanted() && !loginEnded_)
            loginFailed(LoginFailure::NotOffered, "");
        endNegotiation();
    } else if (sub == "NEW" && capPhase_ == CapPhase::Done) {
        std::string wanted;
        for (const auto& [name, value] : capabilityWords(list))
            if (std::find(kWanted.begin(), kWanted.end(), name) != kWanted.end() && !HasCapability(name))
                wanted += (wanted.empty() ? "" : " ") + name;
        if (!wanted.empty())
            Raw("CAP REQ :" + wanted);
    } else if (sub == "DEL") {
        for (const auto& [name, value] : capabilityWords(list))
            capabilities_.erase(name);
        serverTime_ = HasCapability("server-time");
    }
}

void Client::requestCapabilities()
{
    std::string wanted;
    for (const std::string& name : kWanted)
        if (offered_.count(name))
            wanted += (wanted.empty() ? "" : " ") + name;
    if (loginWanted()) {
        const auto sasl = offered_.find("sasl");
        if (sasl == offered_.end() || (!sasl->second.empty() && !listed(sasl->second, mechanismName(Login.Mechanism))))
            loginFailed(LoginFailure::NotOffered, "");
        else if (Login.Mechanism == LoginMechanism::Plain && transport_->Encryption().empty() && !loopback(Host))
            loginFailed(LoginFailure::NotEncrypted, "");
        else
            wanted += (wanted.empty() ? "" : " ") + std::string("sasl");
        if (lineReset() || !Connected())
            return;
    }
    if (wanted.empty()) {
        endNegotiation();
        return;
    }
    capPhase_ = CapPhase::Requesting;
    Raw("CAP REQ :" + wanted);
}

void Client::acknowledged(std::string_view list)
{
    for (const auto& [name, value] : capabilityWords(list)) {
        if (name.starts_with('-'))
            capabilities_.erase(name.substr(1));
        else
            capabilities_.insert(name);
    }
    serverTime_ = HasCapability("server-time");
    if (capPhase_ != CapPhase::Requesting)
        return;
    if (loginWanted() && !loginEnded_ && HasCapability("sasl"))
        startLogin();
    else
        endNegotiation();
}

void Client::startLogin()
{
    capPhase_ = CapPhase::LoggingIn;
    Raw(std::string("AUTHENTICATE ") + mechanismName(Login.Mechanism));
}

// AUTHENTICATE +
void Client::commandAuthenticate(User*)
{
    if (capPhase_ != CapPhase::LoggingIn || message_[2] != "+")
        return;
    if (Login.Mechanism == LoginMechanism::External) {
        Raw("AUTHENTICATE +");
        return;
    }
    const std::string payload = base64(Login.Account + '\0' + Login.Account + '\0' + Login.Password);
    for (std::size_t at = 0; at < payload.size(); at += kAuthenticateChunk)
        Raw("AUTHENTICATE " + payload.substr(at, kAuthenticateChunk));
    if (payload.size() % kAuthenticateChunk == 0)
        Raw("AUTHENTICATE +"); // says that nothing more follows
}

// :irc.example.net 900 me me!u@h account :You are now logged in as account
// :irc.example.net 903 me :SASL authentication successful
// :irc.example.net 904 me :SASL authentication failed
void Client::numericSasl(int numeric, User*)
{
    const IrcMessage& m = message_;
    switch (numeric) {
    case 900:
        events_.OnLoggedIn(m[4]);
        return;
    case 903:
    case 907: // already logged in
        loginEnded_ = true;
        if (capPhase_ == CapPhase::LoggingIn)
            endNegotiation();
        return;
    case 902:
    case 904:
    case 905:
        loginFailed(LoginFailure::Rejected, m[3]);
        return;
    case 906:
        loginFailed(LoginFailure::Aborted, m[3]);
        return;
    case 908:
        loginFailed(LoginFailure::NotOffered, m[3]);
        return;
    default:
        return; // 901: logged out
    }
}

void Client::loginFailed(LoginFailure why, const std::string& serverText)
{
    if (loginEnded_ || !loginWanted())
        return;
    loginEnded_ = true;
    const std::uint64_t generation = generation_;
    events_.OnLoginFailed(why, serverText, Login.Required);
    if (generation != generation_ || !Connected())
        return; // the listener connected anew, or closed
    if (Login.Required) {
        Disconnect(true);
        return;
    }
    if (capPhase_ == CapPhase::LoggingIn)
        endNegotiation();
}

void Client::endNegotiation()
{
    if (capPhase_ != CapPhase::Listing && capPhase_ != CapPhase::Requesting && capPhase_ != CapPhase::LoggingIn)
        return;
    capPhase_ = CapPhase::Done;
    negotiationDeadline_.reset();
    if (!Connected())
        return;
    Raw("CAP END");
    for (const std::string& line : std::exchange(held_, {}))
        Raw(line);
}

// :bob!b@h AWAY :gone fishing  (and AWAY alone when back)
void Client::commandAway(User* user)
{
    user->Away = !message_[2].empty();
    events_.OnAwayChange(user, user->Away, message_[2]);
}

// :bob!b@h ACCOUNT bobsaccount  ("*" once logged out)
void Client::commandAccount(User* user)
{
    user->Account = message_[2] == "*" ? std::string() : message_[2];
    events_.OnAccount(user, user->Account);
}

// :bob!old@old.host CHGHOST newuser new.host
void Client::commandChghost(User* user)
{
    if (message_[2].empty() || message_[3].empty())
        return;
    user->Address = message_[2] + "@" + message_[3];
    events_.OnHostChange(user);
}

} // namespace pell::irc
