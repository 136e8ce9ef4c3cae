#include "session/ChatOffers.h"

#include "dcc/DccNumbers.h"
#include "net/LocalAddress.h"

#include <exception>

namespace pell::session {

ChatOffers::ChatOffers(irc::Client& irc, SessionModel& model, const settings::AppSettings& settings,
                       platform::UserPrompts& prompts, platform::GuiDispatcher& gui, DccOffers& files)
    : irc_(irc), model_(model), settings_(settings), prompts_(prompts), gui_(gui), files_(files)
{
}

ChatOffers::~ChatOffers()
{
    CloseAll();
}

void ChatOffers::system(const std::string& text)
{
    model_.AddText("Main", "System", text, static_cast<Rgb>(settings_.SystemColour));
}

void ChatOffers::system(dcc::DccMessage message, std::initializer_list<std::string_view> args)
{
    system(dcc::DccText(DccLanguage(settings_.Language), message, args));
}

bool ChatOffers::full(const std::string& nick)
{
    if (chats_.size() + listeners_.size() < MaxChats)
        return false;
    system(dcc::DccMessage::ChatTooMany, {nick});
    return true;
}

// DCC CHAT chat 2130706433 5000
void ChatOffers::OnChatOffer(const std::string& nick, const std::string& address, const std::string& offeredPort)
{
    try {
        system("DCC: " + nick + ": (" + address + ":" + offeredPort + ") ");
        const std::string port = offeredPort.empty() ? "59" : offeredPort;
        const auto host = dcc::HostFromOffer(address);
        if (!host)
            return;
        const std::string where = address + ":" + port;
        // What cannot be taken is refused before anyone is asked.
        if (dcc::NamesNoPeer(*host))
            return system(dcc::DccMessage::ChatBadAddress, {nick, where, *host});
        const auto number = dcc::ReadOfferPort(port);
        if (!number)
            return system(dcc::DccMessage::ChatBadPort, {nick, where, port});
        if (full(nick))
            return;
        const bool asked = files_.Question().Ask("Accept Directchat with " + nick + "(" + address + ")",
                                                 [this, nick, host = *host, port = *number](bool yes) {
                                                     if (yes)
                                                         openChat(nick, host, port);
                                                 });
        if (!asked)
            system(dcc::DccMessage::ChatDropped, {nick, where});
    } catch (const std::exception&) {
    }
}

void ChatOffers::openChat(const std::string& nick, const std::string& host, int port)
{
    // A refusal by the download mode is silent, as a No is.
    if (settings_.DownloadMode == settings::DownloadMode::IgnoreAll || full(nick))
        return;
    try {
        auto& chat = chats_.emplace_back(std::make_unique<dcc::DirectChat>());
        chat->Host = host;
        chat->Port = port;
        chat->RemoteNick = nick;
        chat->OwnNick = irc_.Nick();
        const settings::AppSettings& settings = settings_;
        chat->LanguageNow = [&settings] { return DccLanguage(settings.Language); };
        if (ChatOpened)
            ChatOpened(*chat);
        chat->Connect();
    } catch (const std::exception&) {
    }
}

void ChatOffers::OfferChat(const std::string& nick)
{
    platform::runReported(prompts_, [&] {
        system("DCC chat:  " + nick);
        if (full(nick))
            return;
        auto& listener = listeners_.emplace_back(std::make_unique<dcc::DirectChatListener>(gui_));
        listener->RemoteNick = nick;
        listener->OwnNick = irc_.Nick();
        const settings::AppSettings& settings = settings_;
        listener->LanguageNow = [&settings] { return DccLanguage(settings.Language); };
        const bool listening = listener->StartListen(files_.ListenPorts());
        if (ListenerOpened)
            ListenerOpened(*listener);
        if (!listening)
            return system(dcc::DccMessage::ChatNoPort, {nick});
        const std::string local = files_.LocalAddress();
        irc_.Notice(nick, "DCC CHAT  (" + local + ")");
        irc_.CtcpQuery(nick, "DCC CHAT", "chat " + net::OfferAddressOf(local) + " " + std::to_string(listener->Port));
    });
}

void ChatOffers::Close(const dcc::DirectChat* chat)
{
    std::erase_if(chats_, [chat](const auto& c) { return c.get() == chat; });
}

void ChatOffers::Close(const dcc::DirectChatListener* listener)
{
    std::erase_if(listeners_, [listener](const auto& l) { return l.get() == listener; });
}

void ChatOffers::CloseAll()
{
    chats_.clear();
    listeners_.clear();
}

} // namespace pell::session
