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

using Lines = std::deque<std::string>;

struct DirectChatTest : ::testing::Test {
    platform::EventQueue queue;
    std::unique_ptr<DirectChatListener> listener = std::make_unique<DirectChatListener>(queue);
    const Lines& shown() { return listener->Lines().Lines(); }
    void SetUp() override
    {
        NextListenPort() = 20000 + ::getpid() % 20000;
        listener->RemoteNick = "amy", listener->OwnNick = "bob";
        ASSERT_TRUE(listener->StartListen());
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

int connectTo(int port)
{
    sockaddr_in address{AF_INET, htons(static_cast<std::uint16_t>(port)), {htonl(INADDR_LOOPBACK)}, {}};
    const int socket = ::socket(AF_INET, SOCK_STREAM, 0);
    return ::connect(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 ? socket : -1;
}

TEST_F(DirectChatTest, OurTwoSidesChatBothWaysWithTwoPartnersAndCloseInTwoPhases)
{
    DirectChat one, two;
    for (DirectChat* chat : {&one, &two}) {
        chat->Host = "127.0.0.1", chat->Port = listener->Port, chat->RemoteNick = "bob", chat->OwnNick = "amy";
        chat->Connect();
        ASSERT_TRUE(queue.pumpUntil([&] { return shown().size() == (chat == &one ? 1u : 2u); }));
    }
    EXPECT_TRUE(shown().at(1).starts_with("Connected: 127.0.0.1:")); // who came, for the user
    one.Send("hi");
    EXPECT_TRUE(queue.pumpUntil([&] { return shown().back() == "<amy> hi"; }));
    two.Send(""); // just CR LF
    EXPECT_TRUE(queue.pumpUntil([&] { return shown().back() == "<amy> "; }));
    listener->Send("both");
    for (DirectChat* chat : {&one, &two}) {
        tickUntilNewLine(*chat);
        EXPECT_EQ(chat->Lines().Lines().back(), "<bob> both\r");
    }
    bool again = false;
    listener->RequestClose = [&] { again = true; };
    EXPECT_TRUE(!listener->CloseRequest() && listener->CloseTimerRunning()); // partners go first
    ASSERT_TRUE(queue.pumpUntil([&] { return listener->Partners() == 0; }));
    listener->onCloseTimer();
    EXPECT_TRUE(again && !listener->CloseTimerRunning() && listener->CloseRequest());
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
    chat.onPollTick(); // the second line waited in the socket for this tick
    partner.send("pa");
    for (int i = 0; i < 20; ++i)
        chat.onPollTick(), usleep(2000);
    EXPECT_EQ(chat.ReceiveBuffer, "pa");
    partner.send("rt\n");
    tickUntilNewLine(chat);
    partner.closeClient(); // gone: nothing more shows, nothing breaks
    for (int i = 0; i < 20; ++i)
        chat.onPollTick(), chat.Send("");
    EXPECT_EQ(Lines(chat.Lines().Lines().begin(), chat.Lines().Lines().begin() + 4),
              (Lines{"<bob> hi\r", "<bob> yo\r", "<bob> part", "<> "}));
}

TEST_F(DirectChatTest, ListeningSideSurvivesPiecesLongLinesStalledPartnersAndClosing)
{
    const int partner = connectTo(listener->Port);
    test::sendAll(partner, "ab\r\nc");
    test::sendAll(partner, "d\n" + std::string(20000, 'x') + "\n"); // over-long: ends this partner only
    EXPECT_TRUE(queue.pumpUntil([&] { return listener->Partners() == 0 && shown().size() == 3; }));
    EXPECT_EQ(shown().at(1) + shown().at(2), "<amy> ab<amy> cd");
    const int stalled = connectTo(listener->Port); // never reads
    EXPECT_TRUE(queue.pumpUntil([&] { return listener->Partners() == 1; }));
    for (int i = 0; i < 1000 && !shown().back().starts_with("Disconnected"); ++i)
        listener->Send(std::string(65536, 'y'));
    EXPECT_TRUE(shown().back().starts_with("Disconnected 127.0.0.1:"));

    // Closed while a worker waits for the GUI thread: its report falls on the floor.
    int late = 0;
    listener->Lines().LineAdded = [&](const std::string&) { ++late; };
    const int last = connectTo(listener->Port);
    while (queue.pending() == 0)
        usleep(10000);
    listener.reset();
    queue.pump();
    ::close(partner), ::close(stalled), ::close(last);
    EXPECT_EQ(late, 0);
}

} // namespace
} // namespace pell::direct
