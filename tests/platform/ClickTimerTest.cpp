// The click thread of this system: ticks on its own thread, hands a run's end to the UI
// thread, and leaves no tick behind a stop. Nothing here measures time: the schedule's
// timing is TickScheduleTest's, and its figures are the benchmark's.
#include "SystemTimers.h"
#include "platform/ThreadClickTimer.h"
#include "support/PumpUntil.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <thread>
#include <vector>

namespace tivrel::test {
namespace {

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
    timer.start(c.interval,
                {.tick =
                     [&] {
                         if (QThread::currentThread() == ui)
                             tickedOnUiThread = true;
                         return ++ticks < c.ticksUntilEnd;
                     }},
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
    timer.start(1,
                {.tick =
                     [&] {
                         inTick = true;
                         std::this_thread::sleep_for(std::chrono::milliseconds(c.tickDurationMs));
                         const int made = ++ticks;
                         inTick = false;
                         return !(c.endBeforeStop && made >= 3);
                     }},
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
    timer.start(1, {.tick = [&] { return ++second < 4; }}, [&] { ++ends; });
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
    timer.start(999, {.tick = [&] { return ++ticks < 100; }}, [] {});
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    QElapsedTimer clock;
    clock.start();
    timer.stop();
    EXPECT_LT(clock.elapsed(), 500) << "stop waited for the tick it cancelled";
    EXPECT_EQ(ticks, 0);
}

// A click thread on a clock of the test's own. It stands still but for its waits, which move
// it to their deadlines, the request for priority, which takes `raiseNs`, and what a tick
// adds to it.
class FakeClockTimer final : public ThreadClickTimer {
public:
    explicit FakeClockTimer(std::int64_t raiseNs) : m_raiseNs(raiseNs) {}
    ~FakeClockTimer() override { shutDown(); }
    static constexpr std::int64_t kStart = 1'000'000'000;
    std::atomic<std::int64_t> clock{kStart};
    std::vector<std::int64_t> deadlines; // since kStart; the thread's, read once it has ended

protected:
    std::int64_t now() override { return clock; }
    Wake sleepUntil(std::int64_t deadline) override {
        deadlines.push_back(deadline - kStart);
        clock = std::max<std::int64_t>(clock, deadline);
        return Wake::Due;
    }
    void wake() override {}
    void clearWake() override {}
    bool raisePriority() override {
        clock += m_raiseNs;
        return true;
    }

private:
    const std::int64_t m_raiseNs;
};

constexpr std::int64_t kMs = 1'000'000;

// Runs `ticks` ticks 10 ms apart; `tickTakes(n)` is how long the n-th (from 1) keeps the
// thread. Returns the deadlines the thread waited for.
std::vector<std::int64_t> deadlinesOfARun(std::int64_t raiseNs, int ticks,
                                          const std::function<std::int64_t(int)>& tickTakes) {
    FakeClockTimer timer(raiseNs);
    std::atomic<int> made = 0;
    timer.start(10,
                {.tick =
                     [&] {
                         timer.clock += tickTakes(++made);
                         return made < ticks;
                     }},
                [] {});
    EXPECT_TRUE(pumpUntil([&] { return !timer.isRunning(); }));
    return timer.deadlines;
}

// The run's clock starts before the thread asks for its priority: the first click stays due
// one interval after the start, however long the answer takes.
TEST(ClickTimerTest, FirstTickIsDueOneIntervalAfterTheStart) {
    const auto deadlines = deadlinesOfARun(4 * kMs, 2, [](int) { return 0; });
    EXPECT_EQ(deadlines, (std::vector<std::int64_t>{10 * kMs, 20 * kMs}));
}

// A tick held 18 ms by a display that kept its look at the pointer waiting sends its click
// at 28 ms, just after the display took it: the next keeps half an interval from that click,
// and the run catches up at that spacing until it is on time again.
TEST(ClickTimerTest, ATickHeldUpKeepsHalfAnIntervalBeforeTheNext) {
    const auto deadlines =
        deadlinesOfARun(0, 5, [](int n) { return n == 1 ? 18 * kMs : std::int64_t(0); });
    EXPECT_EQ(deadlines,
              (std::vector<std::int64_t>{10 * kMs, 33 * kMs, 38 * kMs, 43 * kMs, 50 * kMs}));
}

TEST(ClickTimerTest, StopWhenIdleAndTwiceIsHarmless) {
    SystemClickTimer timer;
    timer.stop();
    timer.stop();
    EXPECT_FALSE(timer.isRunning());
}

} // namespace
} // namespace tivrel::test
