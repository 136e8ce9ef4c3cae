#include "platform/EventQueue.h"
#include "platform/WorkerLink.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

namespace pell::platform {
namespace {

using namespace std::chrono_literals;

class WorkerLinkTest : public ::testing::Test {
protected:
    EventQueue gui; // this test's thread is the GUI thread
    std::shared_ptr<WorkerLink> link = WorkerLink::create();
};

TEST_F(WorkerLinkTest, RunAndWaitRunsOnTheGuiThreadAndBlocksUntilThen)
{
    std::thread::id ranOn;
    std::atomic<bool> returned{false};
    bool result = false;
    std::thread worker([&] {
        result = link->runAndWait(gui, [&] { ranOn = std::this_thread::get_id(); });
        returned = true;
    });
    while (gui.pending() == 0)
        std::this_thread::sleep_for(1ms);
    std::this_thread::sleep_for(20ms);
    EXPECT_FALSE(returned); // nothing pumped yet: the worker still waits
    EXPECT_EQ(gui.pump(), 1);
    worker.join();
    EXPECT_TRUE(result);
    EXPECT_EQ(ranOn, std::this_thread::get_id());
}

TEST_F(WorkerLinkTest, CancelWakesAWaitingWorkerAndTheRoutineNeverRuns)
{
    bool ran = false;
    bool result = true;
    std::thread worker([&] { result = link->runAndWait(gui, [&] { ran = true; }); });
    while (gui.pending() == 0)
        std::this_thread::sleep_for(1ms);
    link->cancel();
    worker.join(); // would hang if cancel did not wake it
    EXPECT_FALSE(result);
    gui.pump();
    EXPECT_FALSE(ran);
    EXPECT_TRUE(link->cancelled());
}

TEST_F(WorkerLinkTest, PostsAfterOrBeforeCancelAreDropped)
{
    int ran = 0;
    std::thread worker([&] { link->post(gui, [&] { ++ran; }); });
    worker.join();
    link->cancel(); // queued, not yet run
    std::thread late([&] {
        link->post(gui, [&] { ++ran; });
        EXPECT_FALSE(link->runAndWait(gui, [&] { ++ran; }));
    });
    late.join();
    gui.pump();
    EXPECT_EQ(ran, 0);
}

TEST_F(WorkerLinkTest, OnTheGuiThreadItRunsAtOnceUnlessCancelled)
{
    int ran = 0;
    EXPECT_TRUE(link->runAndWait(gui, [&] { ++ran; }));
    EXPECT_EQ(ran, 1);
    EXPECT_EQ(gui.pending(), 0u);
    link->cancel();
    EXPECT_FALSE(link->runAndWait(gui, [&] { ++ran; }));
    EXPECT_EQ(ran, 1);
}

TEST_F(WorkerLinkTest, ManyWorkersEachSeeTheirOwnRoutinesRunInOrder)
{
    constexpr int kWorkers = 4;
    constexpr int kCalls = 50;
    std::vector<std::vector<int>> seen(kWorkers);
    std::atomic<int> finished{0};
    std::vector<std::thread> workers;
    for (int w = 0; w < kWorkers; ++w)
        workers.emplace_back([&, w] {
            for (int i = 0; i < kCalls; ++i)
                link->runAndWait(gui, [&, w, i] { seen[w].push_back(i); });
            ++finished;
        });
    EXPECT_TRUE(gui.pumpUntil([&] { return finished == kWorkers; }, 20s));
    for (std::thread& worker : workers)
        worker.join();
    for (int w = 0; w < kWorkers; ++w) {
        ASSERT_EQ(seen[w].size(), static_cast<std::size_t>(kCalls));
        for (int i = 0; i < kCalls; ++i)
            EXPECT_EQ(seen[w][i], i);
    }
}

} // namespace
} // namespace pell::platform
