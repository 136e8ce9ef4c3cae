#include "doubles/EventQueue.h"
#include "platform/WorkerLink.h"

#include <gtest/gtest.h>

#include <atomic>
#include <numeric>
#include <thread>
#include <vector>

namespace pell::platform {
namespace {

using namespace std::chrono_literals;

// This test's thread is the GUI thread.
class WorkerLinkTest : public ::testing::Test {
protected:
    test::EventQueue gui;
    std::shared_ptr<WorkerLink> link = WorkerLink::create();
};

TEST_F(WorkerLinkTest, RunAndWaitRunsOnTheGuiThreadAndBlocksUntilThen)
{
    std::thread::id ranOn;
    std::atomic<bool> returned{false};
    std::thread worker([&] {
        EXPECT_TRUE(link->runAndWait(gui, [&] { ranOn = std::this_thread::get_id(); }));
        returned = true;
    });
    while (gui.pending() == 0)
        std::this_thread::sleep_for(1ms);
    std::this_thread::sleep_for(20ms);
    EXPECT_FALSE(returned); // nothing pumped yet: the worker still waits
    EXPECT_EQ(gui.pump(), 1);
    worker.join();
    EXPECT_EQ(ranOn, std::this_thread::get_id());
    // On the GUI thread itself it runs at once.
    int ran = 0;
    EXPECT_TRUE(link->runAndWait(gui, [&] { ++ran; }));
    EXPECT_EQ(ran, 1);
    EXPECT_EQ(gui.pending(), 0u);
}

// Cancelling wakes a waiting worker, so nothing deadlocks, and drops every routine not
// yet run, so nothing reports into an owner that is gone.
TEST_F(WorkerLinkTest, CancelWakesAWaitingWorkerAndDropsEveryRoutineNotYetRun)
{
    int ran = 0;
    std::thread([&] { link->post(gui, [&] { ++ran; }); }).join();
    std::thread worker([&] { EXPECT_FALSE(link->runAndWait(gui, [&] { ++ran; })); });
    while (gui.pending() < 2)
        std::this_thread::sleep_for(1ms);
    link->cancel();
    worker.join(); // would hang if cancel did not wake it
    EXPECT_TRUE(link->cancelled());
    // A worker left to finish on its own may outlive the dispatcher: after cancel, a
    // post does not even reach it.
    std::thread([&] { link->post(gui, [&] { ++ran; }); }).join();
    EXPECT_EQ(gui.pending(), 2u);
    std::thread late([&] {
        link->post(gui, [&] { ++ran; });
        EXPECT_FALSE(link->runAndWait(gui, [&] { ++ran; }));
    });
    late.join();
    EXPECT_FALSE(link->runAndWait(gui, [&] { ++ran; })); // on the GUI thread too
    gui.pump();
    EXPECT_EQ(ran, 0);
}

TEST_F(WorkerLinkTest, ManyWorkersEachSeeTheirOwnRoutinesRunInOrder)
{
    constexpr int kWorkers = 4, kCalls = 50;
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
    std::vector<int> expected(kCalls);
    std::iota(expected.begin(), expected.end(), 0);
    for (int w = 0; w < kWorkers; ++w)
        EXPECT_EQ(seen[w], expected);
}

} // namespace
} // namespace pell::platform
