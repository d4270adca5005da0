// The UI thread's precise timer of this system.
#include "SystemTimers.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <limits>
#include <thread>
#include <vector>

namespace tivrel::test {
namespace {

// Runs the event loop for about the given time. Bounds below are loose on purpose: the
// assertions are about the schedule (never early, never made up, nothing after disable),
// not about how fast this machine is.
void pump(int milliseconds) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < milliseconds)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
}

class SystemTickSourceTest : public ::testing::Test {
protected:
    SystemTickSourceTest() {
        source.onTick([this] { ticks.push_back(clock.nsecsElapsed()); });
        clock.start();
    }
    SystemTickSource source;
    QElapsedTimer clock;
    std::vector<qint64> ticks;
};

TEST_F(SystemTickSourceTest, TicksOnScheduleAndNeverEarly) {
    ASSERT_TRUE(source.isValid());
    source.setInterval(5);
    const qint64 start = clock.nsecsElapsed();
    source.setEnabled(true);
    pump(200);
    source.setEnabled(false);
    const qint64 elapsed = clock.nsecsElapsed() - start;
    ASSERT_GE(ticks.size(), 5u) << "a 5 ms timer ticked far too rarely";
    EXPECT_LE(qint64(ticks.size()), elapsed / 5000000) << "more ticks than periods";
    // The n-th tick is never before start + n x interval (the schedule is absolute).
    for (std::size_t n = 0; n < ticks.size(); ++n)
        EXPECT_GE(ticks[n] - start, qint64(n + 1) * 5000000 - 1000000) << "tick " << n;
}

// A stall of the UI thread shorter than the schedule's limit loses no tick: the ticks it
// held up are made afterwards, never closer than half an interval. Each bound leaves a
// loaded machine milliseconds a tick, far from what a dropped or bunched tick would show;
// a further stall long enough to restart the schedule is let off. The interval is long
// beside what a loaded machine adds to each tick, which would otherwise slow the catch-up
// past the end of the test.
TEST_F(SystemTickSourceTest, AStallIsMadeUpWithoutBunching) {
    constexpr int kIntervalMs = 40;
    constexpr qint64 kInterval = kIntervalMs * 1'000'000;
    constexpr std::size_t kTicks = 24;
    source.setInterval(kIntervalMs);
    const qint64 start = clock.nsecsElapsed();
    source.setEnabled(true);
    // The UI thread is busy for four intervals; at twice the speed the run is back on its
    // schedule by the eighth tick.
    std::this_thread::sleep_for(std::chrono::milliseconds(4 * kIntervalMs));
    QElapsedTimer limit;
    limit.start();
    while (ticks.size() < kTicks && limit.elapsed() < 10'000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    source.setEnabled(false);
    ASSERT_GE(ticks.size(), kTicks);
    bool restarted = false;
    for (std::size_t n = 1; n < ticks.size(); ++n) {
        // The source notes a tick's time before this test's handler does, and a loaded machine
        // can hold the handler up by a few milliseconds; bunched ticks come well under one.
        EXPECT_GE(ticks[n] - ticks[n - 1], kInterval / 2 - 5'000'000) << "ticks bunched at " << n;
        restarted = restarted || ticks[n] - ticks[n - 1] > 250'000'000;
    }
    if (restarted)
        return;
    // Tick n is due at start + (n + 1) intervals. Had the stall's ticks been dropped, every
    // later tick would be at least three intervals behind its due time; a loaded machine
    // makes single ticks late, so the best of the last ticks is what counts.
    qint64 leastLate = std::numeric_limits<qint64>::max();
    for (std::size_t n = 16; n < ticks.size(); ++n)
        leastLate = std::min(leastLate, ticks[n] - start - qint64(n + 1) * kInterval);
    EXPECT_LT(leastLate, 2 * kInterval) << "ticks of the stall were dropped";
}

TEST_F(SystemTickSourceTest, DisableDropsWhatWasNotDelivered) {
    source.setInterval(1);
    source.setEnabled(true);
    std::this_thread::sleep_for(std::chrono::milliseconds(10)); // expirations are pending
    source.setEnabled(false);
    pump(20);
    EXPECT_TRUE(ticks.empty());
    EXPECT_FALSE(source.isEnabled());
}

TEST_F(SystemTickSourceTest, NewIntervalAppliesAtTheNextEnable) {
    source.setInterval(1000);
    source.setEnabled(true);
    source.setInterval(2); // a running timer keeps its period
    pump(60);
    EXPECT_TRUE(ticks.empty());
    source.setEnabled(false);
    source.setEnabled(true);
    pump(60);
    source.setEnabled(false);
    EXPECT_GE(ticks.size(), 3u);
    EXPECT_EQ(source.interval(), 2);
}

TEST_F(SystemTickSourceTest, NoDriftOverManyTicks) {
    // With deadlines at start + n x interval the n-th tick cannot come before its deadline,
    // and late ticks do not push the later ones back: the last tick is due at a fixed time.
    source.setInterval(3);
    const qint64 start = clock.nsecsElapsed();
    source.setEnabled(true);
    pump(600);
    source.setEnabled(false);
    ASSERT_GE(ticks.size(), 20u);
    const qint64 last = ticks.back() - start;
    const std::size_t n = ticks.size();
    EXPECT_GE(last, qint64(n) * 3000000 - 1000000) << "ticks came early";
    // Each tick at or after its own deadline, so the count never exceeds the periods elapsed.
    EXPECT_LE(qint64(n), last / 3000000 + 1);
}

} // namespace
} // namespace tivrel::test
