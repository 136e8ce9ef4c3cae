#include "direct/TcpClient.h"
#include "direct/TcpServer.h"
#include "direct/TransportError.h"
#include "support/Ngircd.h"

#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <mutex>
#include <set>
#include <thread>

namespace pell::direct {
namespace {

bool eventually(const std::function<bool()>& condition)
{
    for (int i = 0; i < 1000 && !condition(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return condition();
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

// A server whose handler reads one line per call and records which worker got it,
// in a worker class of its own that counts the calls.
class TcpServerTest : public ::testing::Test {
protected:
    struct CountingWorker : TcpServerWorker {
        using TcpServerWorker::TcpServerWorker;
        int calls = 0;
    };
    void SetUp() override
    {
        server.ThreadClass = [this](int socket) {
            ++made;
            return std::make_unique<CountingWorker>(socket);
        };
        server.SetOnExecute(handler);
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
    bool connections(std::size_t count)
    {
        return eventually([&] { return server.ConnectionCount() == count; });
    }

    const TcpServer::ExecuteHandler handler = [this](TcpServerWorker& worker) {
        const std::string line = worker.Connection().ReadLine();
        if (line == "boom")
            throw std::runtime_error("handler failed");
        std::lock_guard lock(mutex);
        lines[&worker].push_back(line + "#" + std::to_string(++static_cast<CountingWorker&>(worker).calls));
    };
    TcpServer server;
    std::atomic<int> made{0};
    std::mutex mutex;
    std::map<TcpServerWorker*, std::vector<std::string>> lines;
};

TEST_F(TcpServerTest, EachConnectionGetsItsOwnWorkerServedAtTheSameTime)
{
    EXPECT_TRUE(server.Active());
    EXPECT_EQ(server.BoundAddress(), "0.0.0.0");
    auto first = connectTo(server);
    auto second = connectTo(server);
    ASSERT_TRUE(connections(2));
    // Both workers block in a read at once; lines from either arrive.
    second->WriteLine("from second");
    first->WriteLine("from first");
    second->WriteLine("again\x01 second");
    ASSERT_TRUE(eventually([&] { return lineCount() == 3; }));
    EXPECT_EQ(made, 2);
    std::set<std::vector<std::string>> seen;
    for (const auto& [worker, got] : lines)
        seen.insert(got);
    EXPECT_EQ(seen, (std::set<std::vector<std::string>>{{"from first#1"}, {"from second#1", "again\x01 second#2"}}));

    // Sending to every live connection under the lock.
    int sentTo = 0;
    server.ForEachConnection([&](TcpConnection& connection) {
        connection.WriteLine("hello all");
        ++sentTo;
    });
    EXPECT_EQ(sentTo, 2);
    EXPECT_EQ(first->ReadLine(), "hello all");
    EXPECT_EQ(second->ReadLine(), "hello all");
    first->Disconnect();
    ASSERT_TRUE(connections(1));
    sentTo = 0;
    server.ForEachConnection([&](TcpConnection&) { ++sentTo; });
    EXPECT_EQ(sentTo, 1);
}

TEST_F(TcpServerTest, HandlerErrorEndsOnlyItsOwnConnection)
{
    auto failing = connectTo(server);
    auto healthy = connectTo(server);
    ASSERT_TRUE(connections(2));
    failing->WriteLine("boom");
    EXPECT_THROW(failing->ReadLine(), TransportError); // its connection was closed
    ASSERT_TRUE(connections(1));
    healthy->WriteLine("still here");
    EXPECT_TRUE(eventually([&] { return lineCount() == 1; }));
    healthy->WriteLine(std::string(20000, 'x')); // an over-long line fails the read the same way
    EXPECT_TRUE(connections(0));
}

TEST_F(TcpServerTest, DisconnectAllAndStopEndEveryWorkerAndTheServerCanStartAgain)
{
    // Closing a chat window: the handler goes quiet (returns without reading, so it never
    // sees the close itself), then every connection is dropped.
    auto first = connectTo(server);
    auto second = connectTo(server);
    ASSERT_TRUE(connections(2));
    server.SetOnExecute([](TcpServerWorker&) { std::this_thread::sleep_for(std::chrono::milliseconds(2)); });
    server.DisconnectAll();
    EXPECT_TRUE(connections(0));
    EXPECT_THROW(first->ReadLine(), TransportError);
    EXPECT_THROW(second->ReadLine(), TransportError);

    server.SetOnExecute(handler);
    auto blocked = connectTo(server);
    ASSERT_TRUE(connections(1));
    server.Stop();
    EXPECT_FALSE(server.Active());
    EXPECT_EQ(server.ConnectionCount(), 0u);
    EXPECT_THROW(blocked->ReadLine(), TransportError);
    server.Start();
    connectTo(server)->WriteLine("after restart");
    EXPECT_TRUE(eventually([&] { return lineCount() == 1; }));
}

TEST_F(TcpServerTest, StopWaitsForAWorkerThatIsBusyElsewhere)
{
    std::atomic<bool> inHandler{false}, finished{false};
    server.SetOnExecute([&](TcpServerWorker&) {
        inHandler = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        finished = true;
    });
    auto client = connectTo(server);
    ASSERT_TRUE(eventually([&] { return inHandler.load(); }));
    server.Stop();
    EXPECT_TRUE(finished);
    EXPECT_EQ(server.ConnectionCount(), 0u);
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
        EXPECT_STREQ(error.what(), "Socket konnte nicht gebunden werden. Adresse und Port werden bereits benutzt.");
    }
    EXPECT_FALSE(second.Active());
    const int free = test::freePort();
    second.DefaultPort = free;
    second.Start();
    EXPECT_EQ(second.BoundPort(), free);
}

} // namespace
} // namespace pell::direct
