#include "SessionFakes.h"
#include "dcc/ListenPort.h"
#include "session/ChatOffers.h"

#include <gtest/gtest.h>

namespace pell::session::testing {
namespace {

struct ChatOffersTest : ::testing::Test, WiredSession {
    ChatOffers& chats = session->Chats();
    ChatOffersTest() { connect(); }
};

TEST_F(ChatOffersTest, RequestsAreAskedAndOffersListenFirst)
{
    struct Row {
        int mode;
        bool yes;
        std::string words;
        std::string line;
        std::size_t chats;
        std::size_t asked;
    };
    const Row rows[] = {
        {0, true, "2130706433 5000", "DCC: bob: (2130706433:5000) ", 1, 1},
        {0, false, "2130706433 5000", "DCC: bob: (2130706433:5000) ", 1, 2},
        {2, true, "2130706433 5000", "DCC: bob: (2130706433:5000) ", 1, 3},
        {0, true, "0x7f000001 5000", "DCC: bob: (0x7f000001:5000) ", 1, 3},
        {0, true, "2130706433 99999", "DCC: bob: (2130706433:99999) ", 2, 4},
        {1, true, "-1062731510 ", "DCC: bob: (-1062731510:) ", 3, 5},
    };
    for (const Row& row : rows) {
        settings.DownloadMode = static_cast<settings::DownloadMode>(row.mode);
        prompts.yesNoAnswers = {row.yes};
        serverSends({":bob!b@h PRIVMSG me :\x01" "DCC CHAT chat " + row.words + "\x01"});
        EXPECT_EQ(linesOf("Main").back(), "<System>:" + row.line) << row.words;
        EXPECT_EQ(chats.Chats().size(), row.chats) << row.words;
        EXPECT_EQ(prompts.asked.size(), row.asked) << row.words;
    }
    EXPECT_EQ(prompts.asked.at(0), "Confirm|Accept Directchat with bob(2130706433)");
    EXPECT_EQ(chats.Chats().at(0)->Caption() + chats.Chats().at(1)->Caption(), "Direct Chat [bob]Direct Chat");
    EXPECT_EQ(chats.Chats().at(2)->Host + ":" + std::to_string(chats.Chats().at(2)->Port), "192.168.1.10:59");

    // Offering one: listen first, then the notice and the request.
    dcc::NextListenPort() = 20000 + ::getpid() % 20000;
    chats.OfferChat("bob");
    const int port = chats.Listeners().at(0)->Port;
    EXPECT_EQ(sent(), (std::vector<std::string>{"NOTICE bob :DCC CHAT  (127.0.0.1)",
                                                "PRIVMSG bob :\x01" "DCC CHAT chat 2130706433 " + std::to_string(port) + "\x01"}));
    EXPECT_EQ(linesOf("Main").back(), "<System>:DCC chat:  bob");

    dcc::NextListenPort() = 50001;
    chats.OfferChat("amy");
    EXPECT_EQ(linesOf("Main").back(), "<System>:DCC chat failed: no free port for amy");
    dcc::NextListenPort() = port + 1;
    EXPECT_TRUE(sent().empty());
}

} // namespace
} // namespace pell::session::testing
