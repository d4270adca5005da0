// The UI thread's precise timer of this system.
#include "SystemTimers.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <chrono>
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
// held up are made afterwards, never closer than half an interval. Only lower bounds are
// asserted, so a slow machine cannot fail it; a further stall long enough to restart the
// schedule is let off.
TEST_F(SystemTickSourceTest, AStallIsMadeUpWithoutBunching) {
    constexpr qint64 kInterval = 10'000'000;
    source.setInterval(10);
    const qint64 start = clock.nsecsElapsed();
    source.setEnabled(true);
    // The UI thread is busy for six intervals; at twice the speed the run is back on its
    // schedule by the twelfth tick.
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    QElapsedTimer limit;
    limit.start();
    while (ticks.size() < 20 && limit.elapsed() < 10'000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    source.setEnabled(false);
    ASSERT_GE(ticks.size(), 20u);
    bool restarted = false;
    for (std::size_t n = 1; n < ticks.size(); ++n) {
        // The source notes a tick's time just before this test's handler does.
        EXPECT_GE(ticks[n] - ticks[n - 1], kInterval / 2 - 1'000'000) << "ticks bunched at " << n;
        restarted = restarted || ticks[n] - ticks[n - 1] > 250'000'000;
    }
    if (!restarted) {
        const qint64 periods = (ticks.back() - start) / kInterval;
        EXPECT_GE(qint64(ticks.size()), periods - 1) << "ticks of the stall were dropped";
    }
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
