#include "direct/NonBlockingClient.h"
#include "support/FakeServer.h"
#include "support/Ngircd.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <thread>
#include <vector>

namespace pell::direct {
namespace {

TEST(NonBlockingClientAddress, HostAndPortRules)
{
    struct Case {
        const char* given;
        const char* host;
    };
    const Case hosts[] = {
        {"", "0.0.0.0"},
        {"127.0.0.1", "127.0.0.1"},
        {"localhost", "127.0.0.1"},
        {"1.2.3", ""},
        {"300.1.1.1", ""},
        {"12abc", ""},
    };
    NonBlockingClient client;
    for (const Case& c : hosts) {
        client.SetRemoteHost(c.given);
        EXPECT_EQ(client.RemoteHost(), c.host) << "host: " << c.given;
    }

    const std::pair<const char*, int> ports[] = {{"ircd", 6667}, {"6667", 6667}, {"59", 59}};
    for (const auto& [given, port] : ports) {
        client.SetRemotePort(given);
        EXPECT_EQ(client.RemotePort(), port) << "port: " << given;
    }
}

// A client polling a fake peer the way the connecting chat window does.
class NonBlockingClientTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        client.OnReceive = [this](const char* data, std::size_t length) { chunks.emplace_back(data, length); };
        client.SetRemoteHost("127.0.0.1");
        client.SetRemotePort(std::to_string(server.port()));
        client.Open();
        ASSERT_TRUE(server.waitForClient());
    }

    // Polls until a chunk arrives; a poll that finds nothing waiting hands out nothing.
    std::string pollOnce()
    {
        const std::size_t before = chunks.size();
        for (int i = 0; i < 200 && chunks.size() == before; ++i) {
            client.PollLine();
            if (chunks.size() == before)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return chunks.size() > before ? chunks.back() : std::string("<nothing>");
    }

    test::FakeServer server;
    NonBlockingClient client;
    std::vector<std::string> chunks;
};

TEST_F(NonBlockingClientTest, EachPollTakesAtMostOneLine)
{
    server.send("hi\r\nyo\r\n");
    EXPECT_EQ(pollOnce(), "hi\r\n");
    EXPECT_EQ(client.PollLine(), "yo");
    ASSERT_EQ(chunks.size(), 2u);
    EXPECT_EQ(chunks[1], "yo\r\n");
    EXPECT_EQ(client.PollLine(), "");
    EXPECT_EQ(chunks.size(), 2u);
}

TEST_F(NonBlockingClientTest, WithoutLineEndAPollTakesEverythingAvailable)
{
    server.send("hal");
    EXPECT_EQ(pollOnce(), "hal");
    server.send("f a line\rstill\n\r\nnext\r\n");
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(pollOnce(), "f a line\rstill\n\r\n");
    EXPECT_EQ(pollOnce(), "next\r\n");
}

TEST_F(NonBlockingClientTest, EmbeddedNulReachesTheCallbackWhole)
{
    server.send(std::string("a\0b\r\n", 5));
    EXPECT_EQ(pollOnce(), std::string("a\0b\r\n", 5));
}

TEST_F(NonBlockingClientTest, SendLineAddsTheLineEnd)
{
    client.SendLine("hello there");
    client.SendLine("");
    client.SendLine("x", "\n");
    EXPECT_TRUE(server.waitForReceived("hello there\r\n\r\nx\n"));
}

TEST_F(NonBlockingClientTest, PartnerGoingAwayIsNotNoticed)
{
    std::vector<int> errors;
    client.OnError = [&](int error) { errors.push_back(error); };
    server.closeClient();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(client.PollLine(), "");
    EXPECT_TRUE(chunks.empty());
    EXPECT_TRUE(errors.empty());
}

TEST(NonBlockingClient, ErrorsGoOnlyToTheErrorCallback)
{
    NonBlockingClient client;
    std::vector<int> errors;
    std::vector<std::string> chunks;
    client.OnError = [&](int error) { errors.push_back(error); };
    client.OnReceive = [&](const char* data, std::size_t length) { chunks.emplace_back(data, length); };
    client.SetRemoteHost("127.0.0.1");
    client.SetRemotePort(std::to_string(test::freePort()));
    client.Open();
    for (int i = 0; i < 100 && errors.empty(); ++i) {
        client.SendLine("lost");
        client.PollLine();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_FALSE(errors.empty());
    EXPECT_EQ(errors.front(), ECONNREFUSED);
    EXPECT_TRUE(chunks.empty());
}

TEST(NonBlockingClient, WithoutErrorCallbackFailuresPassSilently)
{
    NonBlockingClient client;
    client.SendLine("before open");
    EXPECT_EQ(client.PollLine(), "");

    client.SetRemoteHost("999.1.1.1"); // becomes empty: no valid address
    client.SetRemotePort("6667");
    EXPECT_NO_THROW(client.Open());
    EXPECT_NO_THROW(client.SendLine("nowhere"));
    EXPECT_EQ(client.PollLine(), "");

    client.SetRemoteHost("127.0.0.1");
    client.SetRemotePort(std::to_string(test::freePort()));
    EXPECT_NO_THROW(client.Open());
    for (int i = 0; i < 5; ++i) {
        EXPECT_NO_THROW(client.SendLine("refused"));
        EXPECT_EQ(client.PollLine(), "");
    }
    client.Close();
    client.Close();
    EXPECT_FALSE(client.IsOpen());
}

} // namespace
} // namespace pell::direct
