#include "app/CommandLineLink.h"

#include "settings/Identity.h"
#include "settings/LineText.h"
#include "settings/SettingsError.h"

#include <algorithm>

namespace pell::app {

namespace {

constexpr std::string_view Scheme = "irc://";

char lower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// A host name of at most 253 bytes, without blanks, controls or the characters that
// would make it more than a name ("@", "#", "?", "%"). An IPv6 literal in brackets is
// refused as a host too, with the colons inside it.
bool usableHost(std::string_view host)
{
    return !host.empty() && host.size() <= 253 && std::none_of(host.begin(), host.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte <= ' ' || byte == 0x7f || std::string_view("@#?%[]:").find(c) != std::string_view::npos;
    });
}

// Shown in a message: a host too long to read is cut.
std::string shownHost(std::string_view host)
{
    constexpr std::size_t Shown = 100;
    return host.size() <= Shown ? std::string(host) : std::string(host.substr(0, Shown)) + "...";
}

// The port as a number from 1 to 65535, or nothing.
std::optional<std::int32_t> usablePort(const std::string& port)
{
    try {
        const std::int32_t value = settings::ParseInt32(port);
        if (value >= 1 && value <= 65535)
            return value;
    } catch (const settings::ConversionError&) {
    }
    return std::nullopt;
}

std::string refusal(Language language, bool host, const std::string& text)
{
    if (language == Language::German)
        return (host ? "Der Link nennt keinen gültigen Server: " : "Der Port des Links ist keine Zahl von 1 bis 65535: ") + text;
    return (host ? "The link does not name a valid server: " : "The link's port is not a number from 1 to 65535: ") + text;
}

} // namespace

bool ContainsNoCase(std::string_view pattern, std::string_view text)
{
    if (pattern.size() > text.size())
        return false;
    for (std::size_t at = 0; at + pattern.size() <= text.size(); ++at)
        if (std::equal(pattern.begin(), pattern.end(), text.begin() + static_cast<std::ptrdiff_t>(at),
                       [](char a, char b) { return lower(a) == lower(b); }))
            return true;
    return false;
}

std::string CollectLink(std::span<const std::string> arguments)
{
    std::string link;
    for (const std::string& argument : arguments) {
        if (!ContainsNoCase(Scheme, argument))
            continue;
        if (!link.empty())
            link += ' ';
        link += argument;
    }
    return link;
}

std::optional<LinkTarget> ParseLink(std::string_view link)
{
    if (!ContainsNoCase(Scheme, link))
        return std::nullopt;
    std::string_view rest = link.substr(std::min(link.size(), Scheme.size()));
    rest = rest.substr(0, rest.find('/'));
    LinkTarget target;
    // "[::1]:6667": the colons of an IPv6 literal belong to the host.
    const std::size_t close = rest.starts_with('[') ? rest.find(']') : std::string_view::npos;
    const auto colon = rest.find(':', close == std::string_view::npos ? 0 : close);
    target.colon = colon != std::string_view::npos;
    target.host = rest.substr(0, colon);
    target.port = target.colon ? std::string(rest.substr(colon + 1)) : std::string();
    if (target.port.empty())
        target.port = "6667";
    return target;
}

void CommandLineLink::Handle(std::span<const std::string> arguments)
{
    const auto target = ParseLink(CollectLink(arguments));
    if (!target)
        return;
    const Language language = settings_.Language;
    if (!usableHost(target->host)) {
        prompts_.showError(refusal(language, true, shownHost(target->host)));
        return;
    }
    const auto port = usablePort(target->port);
    if (!port) {
        prompts_.showError(refusal(language, false, target->port));
        return;
    }
    if (target->colon)
        prompts_.showMessage(target->host);
    if (!prompts_.askYesNo("Confirm", "Connect to " + target->host + ":" + target->port))
        return;
    settings::ServerProfile profile;
    profile.Name = target->host;
    profile.Host = target->host;
    profile.Port = *port;
    settings::applyIdentity(settings::identityOf(settings_), profile);
    launcher_.StartSession(profile);
}

} // namespace pell::app
