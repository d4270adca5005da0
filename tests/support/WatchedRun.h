#pragma once

// The click thread as the program runs it on Linux, woken by its deadline and by the pointer
// watch's news together, over a rig of the watch's contract that also names that news
// descriptor (news()); its ticks as ClickRun::Timer1_Timer makes them: a look, the click, a
// look at what the click's answer brought. TIVREL_WATCHED_RUN_CASES adds the case every such
// rig must pass.
#include "platform/linux/DeadlineClickTimer.h"
#include "support/PumpUntil.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace tivrel::test {

template <class Rig> class WatchedRun : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(rig.ready()) << qPrintable(rig.error());
        rig.movePointer(600, 500);
        rig.settle();
    }
    void TearDown() override {
        timer.stop();
        rig.watch().end();
    }

    void start(int intervalMs) {
        ticks = 0;
        clicks = 0;
        ended = false;
        rig.watch().begin();
        timer.start(intervalMs,
                    {.tick =
                         [this] {
                             ++ticks;
                             if (rig.watch().moved())
                                 return false;
                             rig.mouse().click(MouseButton::Left);
                             ++clicks;
                             return !rig.watch().movedSoFar();
                         },
                     .look = [this] { return !rig.watch().moved(); }},
                    [this] { ended = true; });
    }
    bool waitForTheEnd() {
        return pumpUntil([this] { return ended; });
    }

    Rig rig;
    DeadlineClickTimer timer{rig.news()};
    std::atomic<int> ticks = 0;
    std::atomic<int> clicks = 0;
    bool ended = false;
};

// A move ends the run at once, however far off the next click is.
#define TIVREL_WATCHED_RUN_CASES(Fixture)                                                          \
    TEST_F(Fixture, AMoveEndsTheRunBeforeItsNextTick) {                                            \
        start(60'000);                                                                             \
        std::this_thread::sleep_for(std::chrono::milliseconds(20));                                \
        rig.movePointer(601, 500);                                                                 \
        EXPECT_TRUE(waitForTheEnd()) << "the move never reached the click thread";                 \
        EXPECT_EQ(ticks, 0);                                                                       \
    }

} // namespace tivrel::test
