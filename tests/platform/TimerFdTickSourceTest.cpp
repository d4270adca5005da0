#include "platform/linux/TimerFdTickSource.h"

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

class TimerFdTest : public ::testing::Test {
protected:
    TimerFdTest() {
        source.onTick([this] { ticks.push_back(clock.nsecsElapsed()); });
        clock.start();
    }
    TimerFdTickSource source;
    QElapsedTimer clock;
    std::vector<qint64> ticks;
};

TEST_F(TimerFdTest, TicksOnScheduleAndNeverEarly) {
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

TEST_F(TimerFdTest, AStallGivesOneTickNotACatchUp) {
    source.setInterval(2);
    source.setEnabled(true);
    std::this_thread::sleep_for(std::chrono::milliseconds(40)); // the UI thread is busy
    const qint64 afterStall = clock.nsecsElapsed();
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    const qint64 since = clock.nsecsElapsed() - afterStall;
    source.setEnabled(false);
    // Twenty missed deadlines are one tick; only deadlines passed after the stall, however
    // slowly this machine got through the two passes, may add one each.
    ASSERT_GE(ticks.size(), 1u);
    EXPECT_LE(qint64(ticks.size()), 1 + since / 2000000 + 1) << "missed deadlines were made up";
}

TEST_F(TimerFdTest, DisableDropsWhatWasNotDelivered) {
    source.setInterval(1);
    source.setEnabled(true);
    std::this_thread::sleep_for(std::chrono::milliseconds(10)); // expirations are pending
    source.setEnabled(false);
    pump(20);
    EXPECT_TRUE(ticks.empty());
    EXPECT_FALSE(source.isEnabled());
}

TEST_F(TimerFdTest, NewIntervalAppliesAtTheNextEnable) {
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

TEST_F(TimerFdTest, NoDriftOverManyTicks) {
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
