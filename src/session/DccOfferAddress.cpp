// The address DCC offers name and the ports their listeners take, as the options say.
#include "session/DccOffers.h"

#include "dcc/DccNumbers.h"
#include "dcc/ListenPort.h"
#include "irc/CaseFold.h"
#include "net/Resolver.h"

#include <algorithm>
#include <exception>

namespace pell::session {

std::string DccOffers::LocalAddress()
{
    const std::string automatic = OfferAddress.empty() ? irc_.LocalAddress() : OfferAddress;
    if (settings_.OfferAddress == settings::OfferAddress::AsServerSees) {
        const std::string seen = seenAddress();
        if (!seen.empty())
            return seen;
        system(dcc::DccMessage::SeenAddressUnknown, {automatic});
        AskSeenAddress(); // for the next offer
        return automatic;
    }
    const std::string& typed = settings_.TypedOfferAddress;
    if (settings_.OfferAddress != settings::OfferAddress::Typed)
        return automatic;
    if (net::IsAddressLiteral(typed) && !dcc::NamesNoPeer(net::WithoutBrackets(typed)))
        return std::string(net::WithoutBrackets(typed));
    system(dcc::DccMessage::TypedAddressInvalid, {typed, automatic});
    return automatic;
}

dcc::PortRange DccOffers::ListenPorts() const
{
    return dcc::PortRangeOf(settings_.FirstDccPort, settings_.LastDccPort);
}

void DccOffers::AskSeenAddress()
{
    seenHost_.clear();
    seenAddress_.clear();
    if (settings_.OfferAddress != settings::OfferAddress::AsServerSees)
        return;
    askedSeenAddress_ = true;
    irc_.Raw("USERHOST " + irc_.Nick());
}

// :srv 302 me :alice=+al@198.51.100.7 (a "*" after the nick marks an operator, "-" an
// away user)
bool DccOffers::TakeUserhostReply(const std::string& content)
{
    if (!askedSeenAddress_)
        return false;
    const auto colon = content.find(':');
    const std::string_view replies = colon == std::string::npos ? std::string_view() : std::string_view(content).substr(colon + 1);
    const auto equals = replies.find('=');
    const auto at = replies.find('@');
    if (equals == std::string_view::npos || at == std::string_view::npos || at < equals)
        return false;
    std::string nick(replies.substr(0, equals));
    if (!nick.empty() && nick.back() == '*')
        nick.pop_back();
    if (!irc::sameTextIgnoringCase(nick, irc_.Nick()))
        return false;
    const std::string_view host = replies.substr(at + 1);
    askedSeenAddress_ = false;
    seenHost_ = std::string(host.substr(0, host.find(' ')));
    seenAddress_.clear();
    return true;
}

// The server's host looked up once, at the first offer that needs it; nothing for a
// cloak or a name that has no address.
std::string DccOffers::seenAddress()
{
    if (seenAddress_.empty() && !seenHost_.empty()) {
        try {
            // IPv4 first: every peer can take an offer naming one.
            auto addresses = net::ResolveAll(seenHost_, 0);
            std::stable_partition(addresses.begin(), addresses.end(),
                                  [](const net::SocketAddress& a) { return a.family() == AF_INET; });
            for (const net::SocketAddress& address : addresses) {
                const std::string text = net::FormatAddress(address.get());
                if (!text.empty() && !dcc::NamesNoPeer(text)) {
                    seenAddress_ = text;
                    break;
                }
            }
        } catch (const std::exception&) {
        }
        if (seenAddress_.empty())
            seenHost_.clear(); // asked again at the next offer
    }
    return seenAddress_;
}

} // namespace pell::session
