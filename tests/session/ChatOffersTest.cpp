#include "EventsHarness.h"
#include "direct/ListenPort.h"
#include "session/ChatOffers.h"

#include <gtest/gtest.h>

namespace pell::session::testing {
namespace {

// Offers from inside the open question box, as a real box's event loop would.
struct ReenteringPrompts : FakePrompts {
    std::function<void()> whileOpen;
    bool askYesNo(const std::string& caption, const std::string& question) override
    {
        if (whileOpen)
            std::exchange(whileOpen, nullptr)();
        return FakePrompts::askYesNo(caption, question);
    }
};

struct ChatOffersTest : ::testing::Test, EventsHarness {
    ReenteringPrompts asking;
    DccOffers files{irc, model, settings, asking, queue};
    ChatOffers chats{irc, model, settings, asking, queue, files};
    ChatOffersTest() { chats.Bind(); }
};

TEST_F(ChatOffersTest, RequestsAreAskedAndRefusedByModeOrBadNumbers)
{
    struct Row { int mode; bool yes; std::string words, line; std::size_t chats, asked; };
    const Row rows[] = {
        {0, true, "2130706433 5000", "DCC: bob: (2130706433:5000) ", 1, 1},
        {0, false, "2130706433 5000", "DCC: bob: (2130706433:5000) ", 1, 2},
        {2, true, "2130706433 5000", "DCC: bob: (2130706433:5000) ", 1, 3},
        {0, true, "0x7f000001 5000", "DCC: bob: (0x7f000001:5000) ", 1, 3},
        {0, true, "2130706433 99999", "DCC: bob: (2130706433:99999) ", 2, 4},
        {1, true, "-1062731510 ", "DCC: bob: (-1062731510:) ", 3, 5},
    };
    for (const Row& row : rows) {
        settings.DownloadMode = row.mode;
        asking.yesNoAnswers = {row.yes};
        serverSends({":bob!b@h PRIVMSG me :\x01" "DCC CHAT chat " + row.words + "\x01"});
        EXPECT_EQ(linesOf("Main").back(), "<System>:" + row.line) << row.words;
        EXPECT_EQ(chats.Chats().size(), row.chats) << row.words;
        EXPECT_EQ(asking.asked.size(), row.asked) << row.words;
    }
    EXPECT_EQ(asking.asked.at(0), "Confirm|Accept Directchat with bob(2130706433)");
    EXPECT_EQ(chats.Chats().at(0)->Caption(), "Direct Chat [bob]");
    EXPECT_EQ(chats.Chats().at(1)->Caption(), "Direct Chat"); // no port: never connects
    EXPECT_EQ(chats.Chats().at(2)->Host, "192.168.1.10");
    EXPECT_EQ(chats.Chats().at(2)->Port, 59);
    EXPECT_EQ(chats.Chats().at(2)->OwnNick, "me");

    settings.DownloadMode = 0;
    asking.whileOpen = [&] { chats.IdIRC1DCCChat("eve", "2130706433", "1"); };
    files.IdIRC1DCCSend("bob", "2130706433", "1", "a.txt", "1");
    EXPECT_EQ(asking.asked.size(), 6u);
    EXPECT_EQ(linesOf("Main").back(), "<System>:DCC chat dropped: eve: (2130706433:1)");
}

TEST_F(ChatOffersTest, OfferingAChatListensThenSendsNoticeAndRequest)
{
    direct::NextListenPort() = 20000 + ::getpid() % 20000;
    chats.OnChannelDCCChat("bob");
    ASSERT_EQ(chats.Listeners().size(), 1u);
    const int port = chats.Listeners().front()->Port;
    EXPECT_TRUE(fake.waitForReceived("NOTICE bob :DCC CHAT  (127.0.0.1)\r\nPRIVMSG bob :\x01" "DCC CHAT chat 2130706433 " +
                                     std::to_string(port) + "\x01\r\n"));
    EXPECT_EQ(linesOf("Main").back(), "<System>:DCC chat:  bob");

    direct::NextListenPort() = 50001;
    chats.OnChannelDCCChat("amy");
    EXPECT_EQ(linesOf("Main").back(), "<System>:DCC chat failed: no free port for amy");
    irc::TIdIRC offline{queue};
    std::vector<std::string> errors; // the engine's own rule: each line it cannot send
    offline.OnError = [&](auto, auto, auto message) { errors.emplace_back(message); };
    ChatOffers unconnected{offline, model, settings, asking, queue, files};
    direct::NextListenPort() = port + 1;
    unconnected.OnChannelDCCChat("bob");
    EXPECT_EQ(errors, std::vector<std::string>(2, "Nicht mit Server verbunden."));
    irc.Raw("PING :done");
    EXPECT_TRUE(fake.waitForReceived("PING :done"));
    EXPECT_EQ(fake.received().find("amy"), std::string::npos);
}

} // namespace
} // namespace pell::session::testing
