// The KWin script pointer watch against a real headless KWin, the moves made through KWin's fake
// input as another program's: a move reaches the click thread while the UI thread handles no
// event at all.
#include "KWinFakeInput.h"
#include "KWinSession.h"

#include "platform/linux/DeadlineClickTimer.h"
#include "platform/wayland/KWinScriptPointerWatch.h"
#include "support/PumpUntil.h"

#include <QElapsedTimer>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <memory>
#include <thread>
#include <vector>

namespace tivrel::test {
namespace {

using namespace std::chrono_literals;

// A headless KWin, the hand that moves the pointer, and the watch.
class KWinWatched : public ::testing::Test {
protected:
    void SetUp() override {
        QString error;
        ASSERT_TRUE(session.start(&error)) << qPrintable(error);
        ASSERT_TRUE(input.open(session.socket()))
            << "KWin did not grant its fake input to the test program";
        watch = std::make_unique<KWinScriptPointerWatch>(session.bus());
        ASSERT_TRUE(watch->seesMoves());
    }

    KWinSession session;
    KWinFakeInput input;
    std::unique_ptr<KWinScriptPointerWatch> watch;
};

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The reports come in on the watch's own thread and the click thread waits on news(): forty
// runs, each with a move, reach the click thread while the UI thread does nothing but wait.
TEST_F(KWinWatched, AMoveReachesTheClickThreadWhileTheUiThreadIsBusy) {
    DeadlineClickTimer timer(watch->news());
    std::vector<double> beginMs;
    std::vector<double> endMs;
    std::vector<double> delayMs;
    for (int round = 0; round < 40; ++round) {
        SCOPED_TRACE(::testing::Message() << "round " << round);
        input.moveTo({400 + round, 300});
        QElapsedTimer clock;
        clock.start();
        watch->begin();
        beginMs.push_back(double(clock.nsecsElapsed()) / 1e6);
        std::atomic<qint64> seenAt = -1;
        bool ended = false;
        timer.start(60'000,
                    {.tick = [] { return true; },
                     .look =
                         [&] {
                             if (!watch->moved())
                                 return true;
                             seenAt = clock.nsecsElapsed();
                             return false;
                         }},
                    [&] { ended = true; });
        const qint64 movedAt = clock.nsecsElapsed();
        input.moveTo({500, 300});
        // No event of the UI thread is handled until the click thread has seen the move.
        while (seenAt < 0 && clock.elapsed() < 5'000)
            std::this_thread::sleep_for(1ms);
        ASSERT_GE(seenAt, 0) << "the move never reached the click thread";
        delayMs.push_back(double(seenAt - movedAt) / 1e6);
        EXPECT_TRUE(pumpUntil([&] { return ended; }));
        timer.stop();
        clock.restart();
        watch->end();
        endMs.push_back(double(clock.nsecsElapsed()) / 1e6);
    }
    std::printf("40 runs on KWin: begin (load) median %.1f ms max %.1f; end (unload) median %.1f "
                "ms max %.1f; move to the click thread median %.1f ms max %.1f\n",
                median(beginMs), *std::max_element(beginMs.begin(), beginMs.end()), median(endMs),
                *std::max_element(endMs.begin(), endMs.end()), median(delayMs),
                *std::max_element(delayMs.begin(), delayMs.end()));
}

} // namespace
} // namespace tivrel::test
