#include "dcc/DirectChat.h"
#include "dcc/DirectChatListener.h"
#include "dcc/ListenPort.h"
#include "doubles/EventQueue.h"
#include "support/FakeServer.h"

#include <gtest/gtest.h>

#include <unistd.h>

namespace pell::dcc {
namespace {

using Lines = std::deque<std::string>;

struct DirectChatTest : ::testing::Test {
    test::EventQueue queue;
    std::unique_ptr<DirectChatListener> listener = std::make_unique<DirectChatListener>(queue);
    const Lines& shown() { return listener->Lines().Lines(); }
    void SetUp() override
    {
        NextListenPort() = 20000 + ::getpid() % 20000;
        listener->RemoteNick = "amy", listener->OwnNick = "bob";
        ASSERT_TRUE(listener->StartListen());
    }
    // Our connecting side as the listener's partner; it reads only when ticked.
    std::unique_ptr<DirectChat> partner(int port = 0)
    {
        auto chat = std::make_unique<DirectChat>();
        chat->Host = "127.0.0.1", chat->Port = port ? port : listener->Port, chat->RemoteNick = "bob";
        chat->Connect();
        return chat;
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

// The two-phase close is tested through its window.
TEST_F(DirectChatTest, OurTwoSidesChatBothWaysWithTwoPartners)
{
    auto one = partner(), two = partner();
    ASSERT_TRUE(queue.pumpUntil([&] { return shown().size() == 2; }));
    EXPECT_TRUE(shown().at(1).starts_with("Connected: 127.0.0.1:")); // who came, for the user
    two->Send("c\nd"); // a bare line feed ends a line too
    EXPECT_TRUE(queue.pumpUntil([&] { return shown().size() == 4 && shown().at(2) + shown().at(3) == "<amy> c<amy> d"; }));
    listener->Send("both");
    for (DirectChat* chat : {one.get(), two.get()}) {
        tickUntilNewLine(*chat);
        EXPECT_EQ(chat->Lines().Lines().back(), "<bob> both\r");
    }
}

TEST_F(DirectChatTest, ConnectingSideTakesOneLinePerTickKeepsPartialLinesAndOutlivesItsPartner)
{
    test::FakeServer scripted;
    auto chat = partner(scripted.port());
    ASSERT_TRUE(scripted.waitForClient());
    scripted.send("hi\r\nyo\r\n");
    tickUntilNewLine(*chat);
    chat->onPollTick(); // the second line waited in the socket for this tick
    scripted.send("pa");
    for (int i = 0; i < 20; ++i)
        chat->onPollTick(), usleep(2000);
    EXPECT_EQ(chat->ReceiveBuffer, "pa");
    scripted.send("rt\n");
    tickUntilNewLine(*chat);
    scripted.closeClient(); // gone: nothing more shows, nothing breaks
    for (int i = 0; i < 20; ++i)
        chat->onPollTick(), chat->Send("");
    EXPECT_EQ(Lines(chat->Lines().Lines().begin(), chat->Lines().Lines().begin() + 4),
              (Lines{"<bob> hi\r", "<bob> yo\r", "<bob> part", "<> "}));
}

TEST_F(DirectChatTest, ListeningSideSurvivesLongLinesStalledPartnersAndClosing)
{
    auto first = partner();
    first->Send(std::string(20000, 'x')); // over-long: ends this partner only
    EXPECT_TRUE(queue.pumpUntil([&] { return shown().size() == 1 && listener->Partners() == 0; }));
    auto stalled = partner(); // never reads
    EXPECT_TRUE(queue.pumpUntil([&] { return listener->Partners() == 1; }));
    for (int i = 0; i < 1000 && !shown().back().starts_with("Disconnected"); ++i)
        listener->Send(std::string(65536, 'y'));
    EXPECT_TRUE(shown().back().starts_with("Disconnected 127.0.0.1:"));

    // Closed while a worker waits for the GUI thread: its report falls on the floor.
    int late = 0;
    listener->Lines().LineAdded = [&](const std::string&) { ++late; };
    auto last = partner();
    while (queue.pending() == 0)
        usleep(10000);
    listener.reset();
    queue.pump();
    EXPECT_EQ(late, 0);
}

} // namespace
} // namespace pell::dcc
