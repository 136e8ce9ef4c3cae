#include "direct/TcpClient.h"
#include "direct/TransportError.h"
#include "irc/TIdIRC.h"
#include "platform/EventQueue.h"
#include "support/Ngircd.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

using namespace pell;
using irc::TIdIRC;

namespace {

// A plain line-level client on the same server, to see what the engine sends.
class Observer {
public:
    Observer(int port, const std::string& nick)
    {
        socket_.Host = "127.0.0.1";
        socket_.Port = port;
        socket_.Connect(3000);
        socket_.WriteLine("NICK " + nick);
        socket_.WriteLine("USER " + nick + " 0 * :observer");
        waitFor(" 001 ");
    }

    void send(const std::string& line) { socket_.WriteLine(line); }

    // Reads lines until one contains the text; answers PINGs meanwhile.
    std::string waitFor(const std::string& text, int milliseconds = 5000)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
        while (std::chrono::steady_clock::now() < deadline) {
            std::string line;
            try {
                line = socket_.ReadLine('\n', 200);
            } catch (const direct::TransportError& error) {
                if (error.kind() == direct::TransportError::Kind::ReadTimeout)
                    continue;
                throw;
            }
            if (line.rfind("PING ", 0) == 0)
                socket_.WriteLine("PONG " + line.substr(5));
            if (line.find(text) != std::string::npos)
                return line;
        }
        ADD_FAILURE() << "never saw: " << text;
        return {};
    }

private:
    direct::TcpClient socket_;
};

class EngineOnNgircd : public ::testing::Test {
protected:
    void SetUp() override { server = std::make_unique<test::Ngircd>(options); }

    std::unique_ptr<TIdIRC> engine(const std::string& nick)
    {
        auto irc = std::make_unique<TIdIRC>(gui);
        irc->Host = "127.0.0.1";
        irc->Port = server->port();
        irc->SetNick(nick);
        irc->Username = nick;
        return irc;
    }

    bool registered(TIdIRC& irc)
    {
        return gui.pumpUntil([&] { return irc.State() == irc::csConnected; });
    }

    test::Ngircd::Options options;
    platform::EventQueue gui;
    std::unique_ptr<test::Ngircd> server;
};

TEST_F(EngineOnNgircd, RegistrationCompletesAndTheServerNameIsLearned)
{
    auto irc = engine("alice");
    irc->Connect(3000);
    ASSERT_TRUE(registered(*irc)) << server->log();
    EXPECT_EQ(irc->WelcomeServer(), server->name());
    EXPECT_EQ(irc->Nick(), "alice");

    // A second connect sends the learned name as the third USER field; the server
    // accepts that too.
    std::vector<std::string> sent;
    irc->OnSend = [&](const std::string& line) { sent.push_back(line); };
    irc->Connect(3000);
    ASSERT_TRUE(registered(*irc));
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_NE(sent[1].find(" " + server->name() + " :"), std::string::npos) << sent[1];
}

TEST_F(EngineOnNgircd, ANickHeldElsewhereFallsBackToAltNickThenAsks)
{
    Observer holder(server->port(), "taken");
    Observer holder2(server->port(), "taken2");
    auto irc = engine("taken");
    irc->AltNick = "taken2";
    std::vector<std::string> asked;
    irc->OnNicksInUse = [&](std::string& nick) {
        asked.push_back(nick);
        nick = "free3";
    };
    irc->Connect(3000);
    ASSERT_TRUE(registered(*irc));
    EXPECT_EQ(asked, std::vector<std::string>{"taken2"});
    EXPECT_EQ(irc->CurrentNick(), "free3");
    EXPECT_EQ(irc->Nick(), "free3");
}

TEST_F(EngineOnNgircd, SentCommandsArriveAtAnotherClientAsSent)
{
    auto irc = engine("sender");
    irc->Connect(3000);
    ASSERT_TRUE(registered(*irc));
    Observer bob(server->port(), "bob");
    bob.send("JOIN #room");
    bob.waitFor(" 366 ");

    irc->Say("bob", "hello bob");
    EXPECT_NE(bob.waitFor("PRIVMSG bob").find(":sender!"), std::string::npos);
    irc->Notice("bob", "a notice");
    EXPECT_NE(bob.waitFor("NOTICE bob").find(":a notice"), std::string::npos);
    irc->Join("#room");
    bob.waitFor("JOIN :#room");
    irc->Say("#room", "hi all");
    EXPECT_NE(bob.waitFor("PRIVMSG #room").find(":hi all"), std::string::npos);
    // bob joined first and holds op there; the engine cannot op, but bob can.
    bob.send("MODE #room +o sender");
    bob.waitFor("MODE #room +o sender");
    irc->Mode("#room", "+v", "bob");
    bob.waitFor("MODE #room +v bob");
    irc->Kick("#room", "bob", "bye bob");
    EXPECT_NE(bob.waitFor("KICK #room bob").find(":bye bob"), std::string::npos);
    bob.send("JOIN #room");
    bob.waitFor("JOIN :#room");
    irc->Part("#room", "leaving");
    EXPECT_NE(bob.waitFor("PART #room").find("leaving"), std::string::npos);
    // A quit reaches only those who share a channel.
    irc->Join("#room");
    bob.waitFor("JOIN :#room");
    irc->Quit("see you");
    EXPECT_NE(bob.waitFor("QUIT").find("see you"), std::string::npos);
}

TEST_F(EngineOnNgircd, AServerSideCloseEndsTheReaderWithoutAnEvent)
{
    auto irc = engine("closer");
    bool disconnectEvent = false;
    irc->OnDisconnect = [&] { disconnectEvent = true; };
    irc->Connect(3000);
    ASSERT_TRUE(registered(*irc));
    irc->Quit("bye");
    ASSERT_TRUE(gui.pumpUntil([&] { return !irc->Connected(); }));
    EXPECT_FALSE(disconnectEvent);
    EXPECT_EQ(irc->State(), irc::csConnected);
}

class EngineOnNgircdWithPassword : public EngineOnNgircd {
protected:
    EngineOnNgircdWithPassword() { options.password = "letmein"; }
};

TEST_F(EngineOnNgircdWithPassword, ThePasswordIsAccepted)
{
    auto irc = engine("passer");
    irc->Password = "letmein";
    irc->Connect(3000);
    EXPECT_TRUE(registered(*irc)) << server->log();
}

TEST_F(EngineOnNgircdWithPassword, AWrongPasswordIsRefusedByTheServer)
{
    auto irc = engine("wrong");
    irc->Password = "nope";
    std::string unknown;
    irc->OnUnknownCommand = [&](irc::TIdIRCUser*, const std::string& command, const std::string& content) {
        unknown = command + " " + content;
    };
    irc->Connect(3000);
    ASSERT_TRUE(gui.pumpUntil([&] { return !irc->Connected(); }));
    EXPECT_NE(irc->State(), irc::csConnected);
    EXPECT_NE(unknown.find("ERROR"), std::string::npos) << unknown;
}

} // namespace
