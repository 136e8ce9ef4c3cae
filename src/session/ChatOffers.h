#pragma once

#include "dcc/DirectChat.h"
#include "dcc/DirectChatListener.h"
#include "session/DccOffers.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace pell::session {

// The chat side of DCC in a session window: asks about incoming chat requests, offers
// chats from the nick list, and owns the chat windows' models it opens. Shares the
// file side's question box, so one box at a time is open per session.
class ChatOffers {
public:
    // Chat windows per session at once; further requests are logged and dropped.
    static constexpr std::size_t MaxChats = 32;

    ChatOffers(irc::Client& irc, SessionModel& model, const settings::AppSettings& settings,
               platform::UserPrompts& prompts, platform::GuiDispatcher& gui, DccOffers& files);
    ~ChatOffers();
    ChatOffers(const ChatOffers&) = delete;
    ChatOffers& operator=(const ChatOffers&) = delete;

    // DCC CHAT chat 2130706433 5000
    void OnChatOffer(const std::string& nick, const std::string& address, const std::string& offeredPort);
    // Listens and offers a chat to the nick; errors (not connected, say) are shown.
    void OfferChat(const std::string& nick);

    const std::vector<std::unique_ptr<dcc::DirectChat>>& Chats() const { return chats_; }
    const std::vector<std::unique_ptr<dcc::DirectChatListener>>& Listeners() const { return listeners_; }
    void Close(const dcc::DirectChat* chat);
    void Close(const dcc::DirectChatListener* listener);
    void CloseAll();

    // The views make a window for each new chat, before it connects or listens.
    std::function<void(dcc::DirectChat&)> ChatOpened;
    std::function<void(dcc::DirectChatListener&)> ListenerOpened;

private:
    void system(const std::string& text);
    bool full(const std::string& nick);

    irc::Client& irc_;
    SessionModel& model_;
    const settings::AppSettings& settings_;
    platform::UserPrompts& prompts_;
    platform::GuiDispatcher& gui_;
    DccOffers& files_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
    std::vector<std::unique_ptr<dcc::DirectChat>> chats_;
    std::vector<std::unique_ptr<dcc::DirectChatListener>> listeners_;
};

} // namespace pell::session
