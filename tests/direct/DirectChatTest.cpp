#include "direct/DirectChat.h"
#include "direct/DirectChatListener.h"
#include "direct/ListenPort.h"
#include "platform/EventQueue.h"
#include "support/FakeServer.h"
#include "support/Loopback.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <unistd.h>

namespace pell::direct {
namespace {

using Lines = std::vector<std::string>;

struct DirectChatTest : ::testing::Test {
    platform::EventQueue queue;
    DirectChatListener listener{queue};
    void SetUp() override
    {
        NextListenPort() = 20000 + ::getpid() % 20000;
        listener.RemoteNick = "amy", listener.OwnNick = "bob";
        ASSERT_TRUE(listener.StartListen());
    }
    Lines linesOf(ChatLines& lines) { return {lines.Lines().begin(), lines.Lines().end()}; }
    bool shows(ChatLines& lines, const std::string& line)
    {
        return queue.pumpUntil([&] { return !lines.Lines().empty() && lines.Lines().back() == line; });
    }
    // Ticks until a line shows; each tick may take at most one.
    void tickUntilNewLine(DirectChat& chat)
    {
        const std::size_t before = chat.Lines().Lines().size();
        for (int i = 0; i < 500 && chat.Lines().Lines().size() == before; ++i)
            chat.onPollTick(), usleep(2000);
        EXPECT_EQ(chat.Lines().Lines().size(), before + 1);
    }
};

TEST_F(DirectChatTest, OurTwoSidesChatBothWaysWithTwoPartnersAndCloseInTwoPhases)
{
    DirectChat one, two;
    for (DirectChat* chat : {&one, &two}) {
        chat->Host = "127.0.0.1", chat->Port = listener.Port, chat->RemoteNick = "bob", chat->OwnNick = "amy";
        chat->Connect();
        ASSERT_TRUE(queue.pumpUntil([&] { return listener.Partners() == (chat == &one ? 1u : 2u); }));
    }
    ASSERT_TRUE(queue.pumpUntil([&] { return listener.Lines().Lines().size() == 2; }));
    EXPECT_TRUE(listener.Lines().Lines().at(1).starts_with("Connected: 127.0.0.1:")); // who came, for the user
    one.Send("hi");
    ASSERT_TRUE(shows(listener.Lines(), "<amy> hi"));
    two.Send("yo");
    ASSERT_TRUE(shows(listener.Lines(), "<amy> yo"));
    EXPECT_EQ(linesOf(one.Lines()), Lines{"<amy> hi"});
    listener.Send("both");
    for (DirectChat* chat : {&one, &two}) {
        tickUntilNewLine(*chat);
        EXPECT_EQ(linesOf(chat->Lines()).back(), "<bob> both\r");
    }

    bool again = false;
    listener.RequestClose = [&] { again = true; };
    EXPECT_FALSE(listener.CloseRequest());
    EXPECT_TRUE(listener.CloseTimerRunning());
    ASSERT_TRUE(queue.pumpUntil([&] { return listener.Partners() == 0; }));
    listener.onCloseTimer();
    EXPECT_TRUE(again && !listener.CloseTimerRunning());
    EXPECT_TRUE(listener.CloseRequest());
}

TEST_F(DirectChatTest, ConnectingSideTakesOneLinePerTickAndKeepsPartialLines)
{
    test::FakeServer partner;
    DirectChat chat;
    chat.Host = "127.0.0.1", chat.Port = partner.port(), chat.RemoteNick = "bob";
    chat.Connect();
    ASSERT_TRUE(partner.waitForClient());
    partner.send("hi\r\nyo\r\n");
    tickUntilNewLine(chat);
    chat.onPollTick(); // the second line waits in the socket for the next tick
    EXPECT_EQ(chat.Lines().Lines().back(), "<bob> yo\r");
    partner.send("pa");
    for (int i = 0; i < 20; ++i)
        chat.onPollTick(), usleep(2000);
    EXPECT_EQ(chat.ReceiveBuffer, "pa");
    partner.send("rt\n");
    tickUntilNewLine(chat);
    partner.closeClient();
    for (int i = 0; i < 20; ++i)
        chat.onPollTick();
    chat.Send("anyone?");
    EXPECT_EQ(linesOf(chat.Lines()), (Lines{"<bob> hi\r", "<bob> yo\r", "<bob> part", "<> anyone?"}));
}

int connectTo(int port)
{
    sockaddr_in address{AF_INET, htons(static_cast<std::uint16_t>(port)), {htonl(INADDR_LOOPBACK)}, {}};
    const int socket = ::socket(AF_INET, SOCK_STREAM, 0);
    return ::connect(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 ? socket : -1;
}

TEST_F(DirectChatTest, ListeningSideSurvivesPiecesLongLinesAndPartnersThatStopReading)
{
    const int partner = connectTo(listener.Port);
    test::sendAll(partner, "ab\r\nc");
    test::sendAll(partner, "d\n");
    EXPECT_TRUE(shows(listener.Lines(), "<amy> cd"));
    test::sendAll(partner, std::string(20000, 'x') + "\n"); // over-long: ends this partner only
    EXPECT_TRUE(queue.pumpUntil([&] { return listener.Partners() == 0; }));
    ::close(partner);

    const int stalled = connectTo(listener.Port); // never reads
    ASSERT_TRUE(queue.pumpUntil([&] { return listener.Partners() == 1; }));
    for (int i = 0; i < 1000 && !listener.Lines().Lines().back().starts_with("Disconnected"); ++i)
        listener.Send(std::string(65536, 'y'));
    EXPECT_TRUE(listener.Lines().Lines().back().starts_with("Disconnected 127.0.0.1:"));
    EXPECT_TRUE(queue.pumpUntil([&] { return listener.Partners() == 0; }));
    ::close(stalled);
    const auto& all = listener.Lines().Lines();
    EXPECT_EQ(std::count(all.begin(), all.end(), "<amy> ab"), 1);
    EXPECT_EQ(std::count_if(all.begin(), all.end(), [](auto& l) { return l.starts_with("<amy> x"); }), 0);
}

TEST_F(DirectChatTest, ClosingWhileWorkersWaitForTheGuiThreadDropsTheirLines)
{
    auto other = std::make_unique<DirectChatListener>(queue);
    ASSERT_TRUE(other->StartListen());
    int shown = 0;
    other->Lines().LineAdded = [&](const std::string&) { ++shown; };
    const int partner = connectTo(other->Port);
    test::sendAll(partner, "one\ntwo\n");
    for (int i = 0; i < 500 && queue.pending() == 0; ++i)
        usleep(10000);
    other.reset(); // its worker waits in a report now
    queue.pump();
    ::close(partner);
    EXPECT_EQ(shown, 0);
}

} // namespace
} // namespace pell::direct
