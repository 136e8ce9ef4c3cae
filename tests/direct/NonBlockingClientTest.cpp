#include "direct/NonBlockingClient.h"
#include "support/FakeServer.h"
#include "support/Ngircd.h"

#include <gtest/gtest.h>

#include <thread>

namespace pell::direct {
namespace {

TEST(NonBlockingClient, HostAndPortRules)
{
    NonBlockingClient client;
    for (const auto& [given, host] : {std::pair{"", "0.0.0.0"}, {"127.0.0.1", "127.0.0.1"}, {"localhost", "127.0.0.1"},
                                      {"1.2.3", ""}, {"300.1.1.1", ""}, {"12abc", ""}}) {
        client.SetRemoteHost(given);
        EXPECT_EQ(client.RemoteHost(), host) << "host: " << given;
    }
    for (const auto& [given, port] : {std::pair{"ircd", 6667}, {"6667", 6667}, {"59", 59}}) {
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
        client.OnError = [this](int error) { errors.push_back(error); };
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
    std::vector<int> errors;
};

TEST_F(NonBlockingClientTest, EachPollTakesAtMostOneLineOrAllThereIsWithoutLineEnd)
{
    server.send("hi\r\nyo\r\n");
    EXPECT_EQ(pollOnce(), "hi\r\n");
    EXPECT_EQ(client.PollLine(), "yo");
    EXPECT_EQ(chunks.back(), "yo\r\n");
    EXPECT_EQ(client.PollLine(), "");
    EXPECT_EQ(chunks.size(), 2u);
    server.send("hal");
    EXPECT_EQ(pollOnce(), "hal");
    server.send(std::string("f a line\rstill\n\0\r\nnext\r\n", 24));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(pollOnce(), std::string("f a line\rstill\n\0\r\n", 18));
    EXPECT_EQ(pollOnce(), "next\r\n");

    client.SendLine("hello there");
    client.SendLine("");
    client.SendLine("x", "\n");
    EXPECT_TRUE(server.waitForReceived("hello there\r\n\r\nx\n"));

    // The partner going away is not noticed.
    server.closeClient();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(client.PollLine(), "");
    EXPECT_EQ(chunks.size(), 5u);
    EXPECT_TRUE(errors.empty());
}

TEST(NonBlockingClient, ErrorsGoOnlyToTheErrorCallbackOrPassSilently)
{
    for (const bool withCallback : {true, false}) {
        NonBlockingClient client;
        std::vector<int> errors;
        if (withCallback)
            client.OnError = [&](int error) { errors.push_back(error); };
        client.OnReceive = [&](const char*, std::size_t) { ADD_FAILURE() << "received from nowhere"; };
        client.SendLine("before open");
        EXPECT_EQ(client.PollLine(), "");
        client.SetRemoteHost("999.1.1.1"); // becomes empty: no valid address
        client.SetRemotePort("6667");
        EXPECT_NO_THROW(client.Open());
        EXPECT_NO_THROW(client.SendLine("nowhere"));
        errors.clear();
        client.SetRemoteHost("127.0.0.1");
        client.SetRemotePort(std::to_string(test::freePort()));
        client.Open();
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        EXPECT_EQ(client.PollLine(), ""); // the refusal shows at the first poll
        EXPECT_EQ(errors, withCallback ? std::vector<int>{ECONNREFUSED} : std::vector<int>{});
        for (int i = 0; i < 5; ++i) {
            EXPECT_NO_THROW(client.SendLine("refused"));
            EXPECT_EQ(client.PollLine(), "");
        }
        client.Close();
        client.Close();
        EXPECT_FALSE(client.IsOpen());
    }
}

} // namespace
} // namespace pell::direct
