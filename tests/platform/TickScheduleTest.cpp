// The schedule of a periodic timer, against a simulated clock: a machine that makes each tick
// at its time unless a stall holds the timer's thread up.
#include "platform/TickSchedule.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace tivrel::test {
namespace {

constexpr std::int64_t kNsPerMs = 1'000'000;

struct Stall {
    std::int64_t from; // while the thread is held up, from..to, no tick can be made
    std::int64_t to;
};

// The times of the ticks made until `end`, for a timer started at 0.
std::vector<std::int64_t> run(std::int64_t interval, std::int64_t end,
                              const std::vector<Stall>& stalls) {
    TickSchedule schedule(0, interval);
    std::vector<std::int64_t> ticks;
    for (;;) {
        std::int64_t at = schedule.nextTickAt();
        for (const Stall& s : stalls) {
            if (at >= s.from && at < s.to)
                at = s.to;
        }
        if (at > end)
            return ticks;
        schedule.ticked(at);
        ticks.push_back(at);
    }
}

struct ScheduleCase {
    const char* name;
    std::int64_t interval;
    std::vector<Stall> stalls;
    std::int64_t end;
    std::size_t ticks;     // made by the end
    std::int64_t lastTick; // when the last of them came
};

class TickScheduleTest : public ::testing::TestWithParam<ScheduleCase> {};

TEST_P(TickScheduleTest, KeepsTheRateWithoutBunching) {
    const ScheduleCase& c = GetParam();
    const std::vector<std::int64_t> ticks = run(c.interval, c.end, c.stalls);
    ASSERT_EQ(ticks.size(), c.ticks);
    EXPECT_EQ(ticks.back(), c.lastTick);
    for (std::size_t i = 1; i < ticks.size(); ++i)
        ASSERT_GE(ticks[i] - ticks[i - 1], c.interval / 2) << "ticks " << i - 1 << " and " << i;
    EXPECT_GE(ticks.front(), c.interval) << "the first tick waits one interval";
}

INSTANTIATE_TEST_SUITE_P(
    Stalls, TickScheduleTest,
    ::testing::Values(
        // Undisturbed: exactly on the grid.
        ScheduleCase{"OnTime", 5 * kNsPerMs, {}, 10'000 * kNsPerMs, 2000, 10'000 * kNsPerMs},
        // A stall of 12.5 intervals: the missed ticks are made at twice the
        // speed, and the run is back on its grid with not one tick lost.
        ScheduleCase{"ShortStallCaughtUp",
                     5 * kNsPerMs,
                     {{100 * kNsPerMs, 162 * kNsPerMs + kNsPerMs / 2}},
                     1000 * kNsPerMs,
                     200,
                     1000 * kNsPerMs},
        // A stall of 249 ms is still made up in full.
        ScheduleCase{"StallJustUnderTheLimit",
                     10 * kNsPerMs,
                     {{50 * kNsPerMs, 299 * kNsPerMs}},
                     2000 * kNsPerMs,
                     200,
                     2000 * kNsPerMs},
        // A stall of 400 ms: the tick after it starts the schedule again from
        // there, so the ticks of the stall are given up and the grid moves.
        ScheduleCase{"LongStallRestarts",
                     10 * kNsPerMs,
                     {{55 * kNsPerMs, 455 * kNsPerMs}},
                     1000 * kNsPerMs,
                     5 + 1 + 54,
                     455 * kNsPerMs + 54 * 10 * kNsPerMs},
        // Slow mode's clock: a second held up 240 ms is made late, not
        // dropped; one held up 1.6 s restarts the clock from its late tick.
        ScheduleCase{"SecondLateIsMade",
                     1000 * kNsPerMs,
                     {{2000 * kNsPerMs, 2240 * kNsPerMs}},
                     10'000 * kNsPerMs,
                     10,
                     10'000 * kNsPerMs},
        ScheduleCase{"SecondsFarBehindRestart",
                     1000 * kNsPerMs,
                     {{2000 * kNsPerMs, 3600 * kNsPerMs}},
                     10'000 * kNsPerMs,
                     8,
                     9600 * kNsPerMs}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TickScheduleTest, LateTickIsMadeAtOnceAndTheNextKeepsItsOwnTime) {
    TickSchedule schedule(0, 10 * kNsPerMs);
    schedule.ticked(13 * kNsPerMs); // the first tick, 3 ms late
    EXPECT_EQ(schedule.nextTickAt(), 20 * kNsPerMs) << "the second keeps its due time";
    schedule.ticked(20 * kNsPerMs);
    schedule.ticked(38 * kNsPerMs); // the third, 8 ms late
    EXPECT_EQ(schedule.nextTickAt(), 43 * kNsPerMs) << "half an interval after the late one";
}

} // namespace
} // namespace tivrel::test
