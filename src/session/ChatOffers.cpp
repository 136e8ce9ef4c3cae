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
    *alive_ = false;
    CloseAll();
}

void ChatOffers::system(const std::string& text)
{
    model_.AddText("Main", "System", text, static_cast<Rgb>(settings_.SystemColour));
}

bool ChatOffers::full(const std::string& nick)
{
    if (chats_.size() + listeners_.size() < MaxChats)
        return false;
    system("DCC chat dropped: " + nick + ": too many chats open");
    return true;
}

void ChatOffers::OnChatOffer(const std::string& nick, const std::string& address, const std::string& offeredPort)
{
    try {
        system("DCC: " + nick + ": (" + address + ":" + offeredPort + ") ");
        const std::string port = offeredPort.empty() ? "59" : offeredPort;
        const auto host = dcc::HostFromOffer(address);
        if (!host)
            return;
        bool& asking = files_.Asking();
        if (asking) {
            system("DCC chat dropped: " + nick + ": (" + address + ":" + port + ")");
            return;
        }
        asking = true;
        const auto alive = alive_;
        const bool yes = prompts_.askYesNo("Confirm", "Accept Directchat with " + nick + "(" + address + ")");
        if (!*alive)
            return; // the session went while the box was open
        asking = false;
        if (!yes || settings_.DownloadMode == settings::DownloadMode::IgnoreAll || full(nick))
            return;
        auto& chat = chats_.emplace_back(std::make_unique<dcc::DirectChat>());
        chat->Host = *host;
        chat->RemoteNick = nick;
        chat->OwnNick = irc_.Nick();
        const auto number = dcc::ReadOfferPort(port);
        chat->Port = number.value_or(0);
        if (ChatOpened)
            ChatOpened(*chat);
        // A port that is not one leaves the window open without a connection.
        if (number)
            chat->Connect();
    } catch (const std::exception&) {
        files_.Asking() = false;
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
        const bool listening = listener->StartListen();
        if (ListenerOpened)
            ListenerOpened(*listener);
        if (!listening) {
            system("DCC chat failed: no free port for " + nick);
            return;
        }
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
