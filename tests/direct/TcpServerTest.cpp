#include "direct/TcpClient.h"
#include "direct/TcpServer.h"
#include "direct/TransportError.h"
#include "support/Ngircd.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <thread>

namespace pell::direct {
namespace {

bool eventually(const std::function<bool()>& condition, int milliseconds = 5000)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

std::unique_ptr<TcpClient> connectTo(const TcpServer& server)
{
    auto client = std::make_unique<TcpClient>();
    client->Host = "127.0.0.1";
    client->Port = server.BoundPort();
    client->ReadTimeout = 5000;
    client->Connect(3000);
    return client;
}

// A server whose handler reads one line per call and records which worker got it.
class TcpServerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        server.SetOnExecute([this](TcpServerWorker& worker) {
            const std::string line = worker.Connection().ReadLine();
            if (line == "boom")
                throw std::runtime_error("handler failed");
            std::lock_guard lock(mutex);
            lines[&worker].push_back(line);
        });
        server.Start();
    }

    std::size_t lineCount()
    {
        std::lock_guard lock(mutex);
        std::size_t count = 0;
        for (const auto& [worker, got] : lines)
            count += got.size();
        return count;
    }

    TcpServer server;
    std::mutex mutex;
    std::map<TcpServerWorker*, std::vector<std::string>> lines;
};

TEST_F(TcpServerTest, ListensOnAllAddressesWithTheDefaults)
{
    EXPECT_TRUE(server.Active());
    EXPECT_EQ(server.BoundAddress(), "0.0.0.0");
    EXPECT_GT(server.BoundPort(), 0);
    EXPECT_EQ(server.ListenQueue, 15);
    EXPECT_EQ(server.TerminateWaitTime, 5000);
}

TEST_F(TcpServerTest, EachConnectionGetsItsOwnWorkerServedAtTheSameTime)
{
    auto first = connectTo(server);
    auto second = connectTo(server);
    ASSERT_TRUE(eventually([&] { return server.ConnectionCount() == 2; }));
    // Both workers block in a read at once; lines from either arrive.
    second->WriteLine("from second");
    first->WriteLine("from first");
    second->WriteLine("again\x01 second");
    ASSERT_TRUE(eventually([&] { return lineCount() == 3; }));
    std::lock_guard lock(mutex);
    ASSERT_EQ(lines.size(), 2u);
    std::set<std::vector<std::string>> seen;
    for (const auto& [worker, got] : lines)
        seen.insert(got);
    EXPECT_TRUE(seen.count({"from first"}));
    EXPECT_TRUE(seen.count({"from second", "again\x01 second"}));
}

TEST_F(TcpServerTest, HandlerErrorEndsOnlyItsOwnConnection)
{
    auto failing = connectTo(server);
    auto healthy = connectTo(server);
    ASSERT_TRUE(eventually([&] { return server.ConnectionCount() == 2; }));
    failing->WriteLine("boom");
    EXPECT_THROW(failing->ReadLine(), TransportError); // its connection was closed
    ASSERT_TRUE(eventually([&] { return server.ConnectionCount() == 1; }));
    healthy->WriteLine("still here");
    EXPECT_TRUE(eventually([&] { return lineCount() == 1; }));

    // An over-long line fails the handler's read in the same way.
    healthy->WriteLine(std::string(20000, 'x'));
    EXPECT_TRUE(eventually([&] { return server.ConnectionCount() == 0; }));
}

TEST_F(TcpServerTest, SendingToEveryLiveConnectionUnderTheLock)
{
    auto first = connectTo(server);
    auto second = connectTo(server);
    ASSERT_TRUE(eventually([&] { return server.ConnectionCount() == 2; }));
    int sentTo = 0;
    server.ForEachConnection([&](TcpConnection& connection) {
        connection.WriteLine("hello all");
        ++sentTo;
    });
    EXPECT_EQ(sentTo, 2);
    EXPECT_EQ(first->ReadLine(), "hello all");
    EXPECT_EQ(second->ReadLine(), "hello all");

    first->Disconnect();
    ASSERT_TRUE(eventually([&] { return server.ConnectionCount() == 1; }));
    sentTo = 0;
    server.ForEachConnection([&](TcpConnection&) { ++sentTo; });
    EXPECT_EQ(sentTo, 1);
}

TEST_F(TcpServerTest, NoOpHandlerAndDisconnectAllEndEveryWorker)
{
    // Closing a chat window: the handler goes quiet, then every connection is dropped.
    auto first = connectTo(server);
    auto second = connectTo(server);
    ASSERT_TRUE(eventually([&] { return server.ConnectionCount() == 2; }));
    server.SetOnExecute([](TcpServerWorker&) {});
    server.DisconnectAll();
    EXPECT_TRUE(eventually([&] { return server.ConnectionCount() == 0; }));
    EXPECT_THROW(first->ReadLine(), TransportError);
    EXPECT_THROW(second->ReadLine(), TransportError);
}

TEST_F(TcpServerTest, StopClosesConnectionsOfBlockedWorkersAndCanStartAgain)
{
    auto client = connectTo(server);
    ASSERT_TRUE(eventually([&] { return server.ConnectionCount() == 1; }));
    server.Stop();
    EXPECT_FALSE(server.Active());
    EXPECT_EQ(server.ConnectionCount(), 0u);
    EXPECT_THROW(client->ReadLine(), TransportError);

    server.Start();
    auto again = connectTo(server);
    again->WriteLine("after restart");
    EXPECT_TRUE(eventually([&] { return lineCount() == 1; }));
}

TEST(TcpServer, DisconnectAllEndsAWorkerWhoseHandlerDoesNotRead)
{
    // A handler that returns without touching the socket never sees the close itself.
    TcpServer server;
    server.SetOnExecute([](TcpServerWorker&) { std::this_thread::sleep_for(std::chrono::milliseconds(2)); });
    server.Start();
    auto client = connectTo(server);
    ASSERT_TRUE(eventually([&] { return server.ConnectionCount() == 1; }));
    server.DisconnectAll();
    EXPECT_TRUE(eventually([&] { return server.ConnectionCount() == 0; }));
}

TEST(TcpServer, StopWaitsForAWorkerThatIsBusyElsewhere)
{
    TcpServer server;
    std::atomic<bool> inHandler{false};
    std::atomic<bool> finished{false};
    server.SetOnExecute([&](TcpServerWorker&) {
        inHandler = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        finished = true;
    });
    server.Start();
    auto client = connectTo(server);
    ASSERT_TRUE(eventually([&] { return inHandler.load(); }));
    server.Stop();
    EXPECT_TRUE(finished);
    EXPECT_EQ(server.ConnectionCount(), 0u);
}

TEST(TcpServer, WorkerClassAndDataBelongToTheConnection)
{
    struct CountingWorker : TcpServerWorker {
        using TcpServerWorker::TcpServerWorker;
        int calls = 0;
    };
    TcpServer server;
    std::atomic<int> made{0};
    server.ThreadClass = [&](int socket) {
        ++made;
        return std::make_unique<CountingWorker>(socket);
    };
    std::mutex mutex;
    std::vector<std::string> seen;
    server.SetOnExecute([&](TcpServerWorker& worker) {
        auto& own = static_cast<CountingWorker&>(worker);
        const std::string line = worker.Connection().ReadLine();
        std::lock_guard lock(mutex);
        seen.push_back(line + "#" + std::to_string(++own.calls));
    });
    server.Start();
    auto client = connectTo(server);
    client->WriteLine("a");
    client->WriteLine("b");
    ASSERT_TRUE(eventually([&] {
        std::lock_guard lock(mutex);
        return seen.size() == 2;
    }));
    EXPECT_EQ(made, 1);
    EXPECT_EQ(seen, (std::vector<std::string>{"a#1", "b#2"}));
}

TEST(TcpServer, TakenPortGivesTheBindError)
{
    TcpServer first;
    first.Start();
    TcpServer second;
    second.DefaultPort = first.BoundPort();
    try {
        second.Start();
        FAIL() << "bound a taken port";
    } catch (const TransportError& error) {
        EXPECT_EQ(error.kind(), TransportError::Kind::BindFailed);
        EXPECT_STREQ(error.what(),
                     "Socket konnte nicht gebunden werden. Adresse und Port werden bereits benutzt.");
    }
    EXPECT_FALSE(second.Active());

    const int free = test::freePort();
    second.DefaultPort = free;
    second.Start();
    EXPECT_EQ(second.BoundPort(), free);
}

} // namespace
} // namespace pell::direct
