// The click thread of this system: ticks on its own thread, hands a run's end to the UI
// thread, and leaves no tick behind a stop. Nothing here measures time: the schedule's
// timing is TickScheduleTest's, and its figures are the benchmark's.
#include "SystemTimers.h"
#include "platform/ThreadClickTimer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

namespace tivrel::test {
namespace {

// Runs the UI thread's event loop until `done` or a generous deadline.
template <typename Done> bool pumpUntil(Done done) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < 10'000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return done();
}

struct EndCase {
    const char* name;
    int interval;
    int ticksUntilEnd; // the tick that returns false
};

class ClickTimerEndTest : public ::testing::TestWithParam<EndCase> {};

TEST_P(ClickTimerEndTest, EndsByItselfOnceAndTellsTheUiThread) {
    const EndCase& c = GetParam();
    SystemClickTimer timer;
    ASSERT_TRUE(timer.isValid());
    std::atomic<int> ticks = 0;
    std::atomic<bool> tickedOnUiThread = false;
    QThread* const ui = QThread::currentThread();
    int ends = 0;
    bool endOnUiThread = false;
    timer.start(
        c.interval,
        [&] {
            if (QThread::currentThread() == ui)
                tickedOnUiThread = true;
            return ++ticks < c.ticksUntilEnd;
        },
        [&] {
            ++ends;
            endOnUiThread = QThread::currentThread() == ui;
        });
    EXPECT_TRUE(timer.isRunning());
    ASSERT_TRUE(pumpUntil([&] { return ends > 0; })) << ticks << " ticks, no end";
    QCoreApplication::processEvents(); // a second end would be here by now
    EXPECT_EQ(ticks, c.ticksUntilEnd);
    EXPECT_EQ(ends, 1);
    EXPECT_TRUE(endOnUiThread);
    EXPECT_FALSE(tickedOnUiThread);
    EXPECT_FALSE(timer.isRunning());
}

INSTANTIATE_TEST_SUITE_P(Runs, ClickTimerEndTest,
                         ::testing::Values(EndCase{"FirstTick", 5, 1},
                                           EndCase{"TwentiethAt5ms", 5, 20},
                                           EndCase{"FiftiethAt1ms", 1, 50}),
                         [](const auto& info) { return std::string(info.param.name); });

// However the stop meets the thread (asleep, in a tick, with its end on the way), no tick
// runs after stop() returns and the end is not reported.
struct StopCase {
    const char* name;
    int tickDurationMs; // a slow tick holds the thread inside it
    bool endBeforeStop; // the run has ended by itself, its end not yet delivered
};

class ClickTimerStopTest : public ::testing::TestWithParam<StopCase> {};

TEST_P(ClickTimerStopTest, NoTickAfterStopAndNoEnd) {
    const StopCase& c = GetParam();
    SystemClickTimer timer;
    std::atomic<int> ticks = 0;
    std::atomic<bool> inTick = false;
    int ends = 0;
    timer.start(
        1,
        [&] {
            inTick = true;
            std::this_thread::sleep_for(std::chrono::milliseconds(c.tickDurationMs));
            const int made = ++ticks;
            inTick = false;
            return !(c.endBeforeStop && made >= 3);
        },
        [&] { ++ends; });
    // Wait on this thread without running the event loop: the end stays undelivered.
    QElapsedTimer clock;
    clock.start();
    while (ticks < 3 && clock.elapsed() < 10'000)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_GE(ticks, 3);
    timer.stop();
    EXPECT_FALSE(inTick) << "stop returned while a tick ran";
    const int ticksAtStop = ticks;
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    QCoreApplication::processEvents();
    EXPECT_EQ(ticks, ticksAtStop);
    EXPECT_EQ(ends, 0);
    EXPECT_FALSE(timer.isRunning());

    // And it starts again afresh.
    std::atomic<int> second = 0;
    timer.start(
        1, [&] { return ++second < 4; }, [&] { ++ends; });
    ASSERT_TRUE(pumpUntil([&] { return ends > 0; }));
    EXPECT_EQ(second, 4);
    EXPECT_EQ(ends, 1);
}

INSTANTIATE_TEST_SUITE_P(Stops, ClickTimerStopTest,
                         ::testing::Values(StopCase{"BetweenTicks", 0, false},
                                           StopCase{"DuringASlowTick", 20, false},
                                           StopCase{"AfterItsOwnEnd", 0, true}),
                         [](const auto& info) { return std::string(info.param.name); });

// A stop cuts the thread's sleep short: at the slowest fast delay it would otherwise wait
// most of a second for the tick it cancels.
TEST(ClickTimerTest, StopWakesASleepingThreadAtOnce) {
    SystemClickTimer timer;
    std::atomic<int> ticks = 0;
    timer.start(
        999, [&] { return ++ticks < 100; }, [] {});
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    QElapsedTimer clock;
    clock.start();
    timer.stop();
    EXPECT_LT(clock.elapsed(), 500) << "stop waited for the tick it cancelled";
    EXPECT_EQ(ticks, 0);
}

// A click thread whose own clock stands still but for its wait and its request for priority,
// which takes a service's 4 ms.
class SlowToRaiseTimer final : public ThreadClickTimer {
public:
    ~SlowToRaiseTimer() override { shutDown(); }
    std::atomic<std::int64_t> clock{1'000'000'000};
    std::atomic<std::int64_t> firstDeadline{0};

protected:
    std::int64_t now() override { return clock; }
    bool sleepUntil(std::int64_t deadline) override {
        if (firstDeadline == 0)
            firstDeadline = deadline;
        clock = std::max<std::int64_t>(clock, deadline);
        return true;
    }
    void wake() override {}
    void clearWake() override {}
    bool raisePriority() override {
        clock += 4'000'000;
        return true;
    }
};

// The run's clock starts before the thread asks for its priority: the first click stays due
// one interval after the start, however long the answer takes.
TEST(ClickTimerTest, FirstTickIsDueOneIntervalAfterTheStart) {
    SlowToRaiseTimer timer;
    const std::int64_t startedAt = timer.clock;
    std::atomic<int> ticks = 0;
    timer.start(
        5, [&] { return ++ticks < 3; }, [] {});
    ASSERT_TRUE(pumpUntil([&] { return !timer.isRunning(); }));
    EXPECT_EQ(ticks, 3);
    EXPECT_EQ(timer.firstDeadline - startedAt, 5'000'000);
}

TEST(ClickTimerTest, StopWhenIdleAndTwiceIsHarmless) {
    SystemClickTimer timer;
    timer.stop();
    timer.stop();
    EXPECT_FALSE(timer.isRunning());
}

} // namespace
} // namespace tivrel::test
