#pragma once

#include "direct/DirectChat.h"
#include "direct/DirectChatListener.h"
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

    ChatOffers(irc::TIdIRC& irc, SessionModel& model, const settings::AppSettings& settings,
               platform::UserPrompts& prompts, platform::GuiDispatcher& gui, DccOffers& files);
    ~ChatOffers();
    ChatOffers(const ChatOffers&) = delete;
    ChatOffers& operator=(const ChatOffers&) = delete;

    // Assigns OnDCCChat.
    void Bind();

    // DCC CHAT chat 2130706433 5000
    void IdIRC1DCCChat(const std::string& ANick, const std::string& AIp, const std::string& APort);
    // Listens and offers a chat to the nick; errors (not connected, say) are shown.
    void OnChannelDCCChat(const std::string& ANick);

    const std::vector<std::unique_ptr<direct::DirectChat>>& Chats() const { return chats_; }
    const std::vector<std::unique_ptr<direct::DirectChatListener>>& Listeners() const { return listeners_; }
    void Close(const direct::DirectChat* chat);
    void Close(const direct::DirectChatListener* listener);
    void CloseAll();

    // The views make a window for each new chat, before it connects or listens.
    std::function<void(direct::DirectChat&)> ChatOpened;
    std::function<void(direct::DirectChatListener&)> ListenerOpened;

private:
    void system(const std::string& text);
    bool full(const std::string& nick);

    irc::TIdIRC& irc_;
    SessionModel& model_;
    const settings::AppSettings& settings_;
    platform::UserPrompts& prompts_;
    platform::GuiDispatcher& gui_;
    DccOffers& files_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
    std::vector<std::unique_ptr<direct::DirectChat>> chats_;
    std::vector<std::unique_ptr<direct::DirectChatListener>> listeners_;
};

} // namespace pell::session
