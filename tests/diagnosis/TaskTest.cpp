#include "diagnosis/QtScheduler.h"
#include "diagnosis/Task.h"
#include "diagnosis/VirtualScheduler.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace kw::diagnosis;
using namespace std::chrono_literals;

namespace {

struct Log {
    std::vector<std::string> events;
};

Task sleeper(Log& log, std::chrono::nanoseconds d)
{
    log.events.push_back("start");
    const bool full = co_await sleepFor(d);
    log.events.push_back(full ? "woke" : "interrupted");
    log.events.push_back(co_await isCancelled() ? "cancelled" : "running");
}

Task worker(Log& log, std::thread::id& workThread)
{
    const int value = co_await inBackground([&workThread] {
        workThread = std::this_thread::get_id();
        return 42;
    });
    log.events.push_back("got " + std::to_string(value));
}

} // namespace

TEST(Task, StartsQueuedAndSleepsOnTheSchedulersTime)
{
    VirtualScheduler scheduler;
    auto owner = std::make_shared<int>();
    Log log;
    auto handle = sleeper(log, 100ms).start(scheduler, owner);
    EXPECT_TRUE(log.events.empty()) << "the caller returns before the body runs";
    scheduler.runDue();
    EXPECT_EQ(log.events, (std::vector<std::string>{"start"}));
    scheduler.advance(99ms);
    EXPECT_EQ(log.events.size(), 1u);
    scheduler.advance(1ms);
    EXPECT_EQ(log.events, (std::vector<std::string>{"start", "woke", "running"}));
    EXPECT_TRUE(handle.isFinished());
}

TEST(Task, CancellationCutsASleepShortAtOnce)
{
    VirtualScheduler scheduler;
    auto owner = std::make_shared<int>();
    Log log;
    auto handle = sleeper(log, 10s).start(scheduler, owner);
    scheduler.runDue();
    handle.cancel();
    scheduler.runDue();
    EXPECT_EQ(log.events, (std::vector<std::string>{"start", "interrupted", "cancelled"}));
    EXPECT_EQ(scheduler.pendingTimers(), 0u) << "the sleep's timer is gone";
    handle.cancel(); // no effect on a finished task
}

TEST(Task, SleepAfterCancellationEndsAtOnce)
{
    VirtualScheduler scheduler;
    auto owner = std::make_shared<int>();
    Log log;
    auto handle = sleeper(log, 10s).start(scheduler, owner);
    handle.cancel(); // before it has even started
    scheduler.runDue();
    EXPECT_EQ(log.events, (std::vector<std::string>{"start", "interrupted", "cancelled"}));
}

TEST(Task, BackgroundWorkRunsOffTheMainThread)
{
    VirtualScheduler scheduler;
    auto owner = std::make_shared<int>();
    Log log;
    std::thread::id workThread;
    worker(log, workThread).start(scheduler, owner);
    scheduler.runDue();
    EXPECT_EQ(log.events, (std::vector<std::string>{"got 42"}));
    EXPECT_NE(workThread, std::this_thread::get_id());
}

TEST(Task, GoneOwnerMeansTheTaskIsNeverResumed)
{
    VirtualScheduler scheduler;
    auto owner = std::make_shared<int>();
    Log log;
    auto handle = sleeper(log, 1s).start(scheduler, owner);
    scheduler.runDue();
    owner.reset();
    scheduler.advance(2s);
    EXPECT_EQ(log.events, (std::vector<std::string>{"start"}));
    EXPECT_TRUE(handle.isFinished()) << "destroyed, not leaked";
}

TEST(Task, SchedulerGoingFirstDestroysSuspendedTasks)
{
    auto owner = std::make_shared<int>();
    Log log;
    TaskHandle handle;
    {
        VirtualScheduler scheduler;
        handle = sleeper(log, 1s).start(scheduler, owner);
        scheduler.runDue();
    }
    EXPECT_TRUE(handle.isFinished());
    EXPECT_EQ(log.events, (std::vector<std::string>{"start"}));
}

TEST(VirtualScheduler, RunsTimersByDueTimeThenPostingOrder)
{
    VirtualScheduler scheduler;
    std::string order;
    scheduler.postDelayed(20ms, [&] { order += 'c'; });
    scheduler.postDelayed(10ms, [&] { order += 'a'; });
    scheduler.postDelayed(10ms, [&] { order += 'b'; });
    const auto dropped = scheduler.postDelayed(15ms, [&] { order += 'x'; });
    scheduler.cancelTimer(dropped);
    const auto start = scheduler.now();
    scheduler.advance(15ms);
    EXPECT_EQ(order, "ab");
    EXPECT_EQ(scheduler.now() - start, 15ms);
    EXPECT_TRUE(scheduler.runUntil([&] { return order.size() == 3; }, 1h));
    EXPECT_EQ(scheduler.now() - start, 20ms) << "time stops where the condition came true";
    EXPECT_FALSE(scheduler.runUntil([] { return false; }, 5s));
    EXPECT_EQ(scheduler.now() - start, 5020ms);
}

TEST(VirtualScheduler, TimeStandsStillWhileBackgroundWorkRuns)
{
    VirtualScheduler scheduler;
    std::atomic<bool> release = false;
    bool done = false;
    scheduler.runInBackground(
        [&] {
            while (!release)
                std::this_thread::yield();
        },
        [&] { done = true; });
    const auto start = scheduler.now();
    std::thread releaser([&] { release = true; });
    scheduler.advance(0ns);
    releaser.join();
    EXPECT_TRUE(done);
    EXPECT_EQ(scheduler.now(), start);
}

TEST(QtScheduler, RealTimersAndBackgroundWorkOnTheEventLoop)
{
    int argc = 1;
    char name[] = "test";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    QtScheduler scheduler;
    auto owner = std::make_shared<int>();
    Log log;
    std::thread::id workThread;
    worker(log, workThread).start(scheduler, owner);
    auto handle = sleeper(log, 20ms).start(scheduler, owner);
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (handle.isFinished() && log.events.size() == 4)
            loop.quit();
    });
    poll.start(1);
    QTimer::singleShot(5000, &loop, &QEventLoop::quit);
    const auto start = std::chrono::steady_clock::now();
    loop.exec();
    EXPECT_GE(std::chrono::steady_clock::now() - start, 20ms);
    std::sort(log.events.begin(), log.events.end());
    EXPECT_EQ(log.events, (std::vector<std::string>{"got 42", "running", "start", "woke"}));
    EXPECT_NE(workThread, std::this_thread::get_id());
}
