#include "dcc/DirectChat.h"
#include "dcc/DirectChatListener.h"
#include "dcc/ListenPort.h"
#include "doubles/EventQueue.h"
#include "support/FakeServer.h"
#include "support/Loopback.h"

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
        listener->RemoteNick = "amy";
        listener->OwnNick = "bob";
        ASSERT_TRUE(listener->StartListen());
    }
    // Our connecting side as the listener's partner; it reads only when ticked.
    std::unique_ptr<DirectChat> partner(int port = 0)
    {
        auto chat = std::make_unique<DirectChat>();
        chat->Host = "127.0.0.1";
        chat->Port = port ? port : listener->Port;
        chat->RemoteNick = "bob";
        chat->Connect();
        return chat;
    }
    // Ticks until a line shows (each tick may take at most one); the line.
    std::string nextLine(DirectChat& chat)
    {
        const std::size_t before = chat.Lines().Lines().size();
        for (int i = 0; i < 500 && chat.Lines().Lines().size() == before; ++i) {
            chat.onPollTick();
            usleep(2000);
        }
        return chat.Lines().Lines().size() > before ? chat.Lines().Lines().back() : "(nothing)";
    }
};

// The two-phase close is tested through its window.
TEST_F(DirectChatTest, OurTwoSidesChatBothWaysWithTwoPartners)
{
    auto one = partner();
    auto two = partner();
    ASSERT_TRUE(queue.pumpUntil([&] { return shown().size() == 2; }));
    EXPECT_TRUE(shown().at(1).starts_with("Connected: 127.0.0.1:")); // who came, for the user
    two->Send("c\nd"); // a bare line feed ends a line too
    EXPECT_TRUE(queue.pumpUntil([&] { return shown().size() == 4; }));
    EXPECT_EQ(Lines(shown().begin() + 2, shown().end()), (Lines{"<amy> c", "<amy> d"}));
    listener->Send("both");
    EXPECT_EQ(nextLine(*one), "<bob> both\r");
    EXPECT_EQ(nextLine(*two), "<bob> both\r");
}

// One line per tick, whatever ends it; partial lines wait; a partner that goes is said.
TEST_F(DirectChatTest, ConnectingSideTakesOneLinePerTickAndSaysWhenThePartnerGoes)
{
    test::FakeServer scripted;
    auto chat = partner(scripted.port());
    ASSERT_TRUE(scripted.waitForClient());
    scripted.send("hi\r\nyo\nho\n");
    EXPECT_EQ(nextLine(*chat), "<bob> hi\r");
    EXPECT_EQ(nextLine(*chat), "<bob> yo");
    EXPECT_EQ(nextLine(*chat), "<bob> ho");
    scripted.send("pa");
    for (int i = 0; i < 20; ++i)
        chat->onPollTick();
    EXPECT_EQ(chat->ReceiveBuffer, "pa");
    scripted.send("rt\n");
    EXPECT_EQ(nextLine(*chat), "<bob> part");
    scripted.closeClient();
    EXPECT_EQ(nextLine(*chat), "bob closed the chat");
    chat->Send(""); // gone: the typed line shows, goes nowhere and breaks nothing
    EXPECT_EQ(nextLine(*chat), "(nothing)");
}

TEST_F(DirectChatTest, AConnectionThatFailsIsSaidInTheLanguageOfTheWindow)
{
    auto chat = partner(test::freePort());
    chat->LanguageNow = [] { return Language::German; };
    EXPECT_EQ(nextLine(*chat), "Keine Verbindung zu bob: Connection refused");
}

TEST_F(DirectChatTest, ListeningSideSurvivesLongLinesStalledPartnersAndClosing)
{
    auto first = partner();
    first->Send(std::string(20000, 'x')); // over-long: ends this partner only
    EXPECT_TRUE(queue.pumpUntil([&] { return shown().size() == 1; }));
    EXPECT_TRUE(queue.pumpUntil([&] { return listener->Partners() == 0; }));
    auto stalled = partner(); // never reads
    EXPECT_TRUE(queue.pumpUntil([&] { return listener->Partners() == 1; }));
    for (int i = 0; i < 1000 && !shown().back().starts_with("Disconnected"); ++i)
        listener->Send(std::string(65536, 'y'));
    EXPECT_TRUE(shown().back().starts_with("Disconnected 127.0.0.1:"));

    // Closed while a worker waits for the GUI thread: its report falls on the floor.
    int late = 0;
    listener->Lines().LineAdded = [&](const std::string&) { ++late; };
    auto last = partner();
    for (int i = 0; i < 500 && queue.pending() == 0; ++i)
        usleep(10000);
    ASSERT_EQ(queue.pending(), 1u);
    listener.reset();
    queue.pump();
    EXPECT_EQ(late, 0);
}

// A window holds a few MB at most, and a very long line is cut for display, never
// inside a character.
TEST(ChatLines, AreBoundedInBytesAndLongLinesCut)
{
    ChatLines lines;
    std::size_t dropped = 0;
    lines.LinesDropped = [&](std::size_t count) { dropped += count; };
    const std::string umlauts(3000, 'a');
    lines.Add("amy", "\xC3\xBC" + umlauts);
    EXPECT_EQ(lines.Lines().back(), "<amy> \xC3\xBC" + std::string(2040, 'a') + "\xE2\x80\xA6");
    lines.Add("amy", std::string(2041, 'a') + "\xC3\xBC");
    EXPECT_EQ(lines.Lines().back(), "<amy> " + std::string(2041, 'a') + "\xE2\x80\xA6");
    for (int i = 0; i < 4000; ++i)
        lines.Add("amy", umlauts);
    EXPECT_LE(lines.Bytes(), ChatLines::MaxBytes);
    EXPECT_EQ(dropped + lines.Lines().size(), 4002u);
}

} // namespace
} // namespace pell::dcc
