#include "session/ChatOffers.h"

#include "direct/DccNumbers.h"
#include "direct/LocalAddress.h"

#include <exception>

namespace pell::session {

ChatOffers::ChatOffers(irc::TIdIRC& irc, SessionModel& model, const settings::AppSettings& settings,
                       platform::UserPrompts& prompts, platform::GuiDispatcher& gui, DccOffers& files)
    : irc_(irc), model_(model), settings_(settings), prompts_(prompts), gui_(gui), files_(files)
{
}

ChatOffers::~ChatOffers()
{
    *alive_ = false;
    CloseAll();
}

void ChatOffers::Bind()
{
    irc_.OnDCCChat = [this](auto nick, auto ip, auto port) {
        IdIRC1DCCChat(std::string(nick), std::string(ip), std::string(port));
    };
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

void ChatOffers::IdIRC1DCCChat(const std::string& ANick, const std::string& AIp, const std::string& APort)
{
    try {
        system("DCC: " + ANick + ": (" + AIp + ":" + APort + ") ");
        const std::string port = APort.empty() ? "59" : APort;
        const auto host = direct::DottedFromOffer(AIp);
        if (!host)
            return;
        bool& asking = files_.Asking();
        if (asking) {
            system("DCC chat dropped: " + ANick + ": (" + AIp + ":" + port + ")");
            return;
        }
        asking = true;
        const auto alive = alive_;
        const bool yes = prompts_.askYesNo("Confirm", "Accept Directchat with " + ANick + "(" + AIp + ")");
        if (!*alive)
            return; // the session went while the box was open
        asking = false;
        if (!yes || settings_.DownloadMode == 2 || full(ANick))
            return;
        auto& chat = chats_.emplace_back(std::make_unique<direct::DirectChat>());
        chat->Host = *host;
        chat->RemoteNick = ANick;
        chat->OwnNick = irc_.Nick();
        const auto number = direct::ReadOfferPort(port);
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

void ChatOffers::OnChannelDCCChat(const std::string& ANick)
{
    platform::runReported(prompts_, [&] {
        system("DCC chat:  " + ANick);
        if (full(ANick))
            return;
        auto& listener = listeners_.emplace_back(std::make_unique<direct::DirectChatListener>(gui_));
        listener->RemoteNick = ANick;
        listener->OwnNick = irc_.Nick();
        const bool listening = listener->StartListen();
        if (ListenerOpened)
            ListenerOpened(*listener);
        if (!listening) {
            system("DCC chat failed: no free port for " + ANick);
            return;
        }
        const std::string local = files_.LocalAddress();
        irc_.Notice(ANick, "DCC CHAT  (" + local + ")");
        const std::uint32_t number = direct::OfferNumberOf(local).value_or(0x7f000001u);
        irc_.CTCPQuery(ANick, "DCC CHAT", "chat " + std::to_string(number) + " " + std::to_string(listener->Port));
    });
}

void ChatOffers::Close(const direct::DirectChat* chat)
{
    std::erase_if(chats_, [chat](const auto& c) { return c.get() == chat; });
}

void ChatOffers::Close(const direct::DirectChatListener* listener)
{
    std::erase_if(listeners_, [listener](const auto& l) { return l.get() == listener; });
}

void ChatOffers::CloseAll()
{
    chats_.clear();
    listeners_.clear();
}

} // namespace pell::session
