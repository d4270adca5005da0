// The X11 pointer watch against a real server: the contract every watch keeps, the click
// thread woken by a move however far off its next tick, and a fast run stopped by moves
// made at any instant.
#include "RecorderWindow.h"

#include "platform/PointerWatchContract.h"
#include "platform/linux/DeadlineClickTimer.h"
#include "platform/x11/X11Mouse.h"
#include "platform/x11/X11PointerWatch.h"
#include "support/PumpUntil.h"
#include "support/WatchedRun.h"

#include <xcb/xcb.h>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <thread>

namespace tivrel::test {
namespace {

using namespace std::chrono_literals;

// The watch on the mouse's own connection, as the program has it; moves come from another
// connection, as from another program.
class X11WatchRig final : public PointerWatchRig {
public:
    X11WatchRig() {
        m_mouse = X11Mouse::open(&m_error);
        if (m_mouse)
            m_watch = X11PointerWatch::open(m_mouse->connection(), m_mouse->root(), &m_error);
    }
    ~X11WatchRig() override { m_watch.reset(); }

    bool ready() const override { return m_watch && m_input.isOpen(); }
    PointerWatch& watch() override { return *m_watch; }
    Mouse& mouse() override { return *m_mouse; }
    // The server has handled the move once this returns.
    void movePointer(int x, int y) override { m_input.movePointer({x, y}); }
    // The server answers in order: what it sent the watch before the answer has arrived.
    void settle() override {
        xcb_connection_t* c = m_mouse->connection();
        std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    }
    bool seesEveryMotion() const override { return true; }

    int news() const { return m_mouse ? xcb_get_file_descriptor(m_mouse->connection()) : -1; }
    const QString& error() const { return m_error; }

private:
    QString m_error;
    std::unique_ptr<X11Mouse> m_mouse;
    std::unique_ptr<X11PointerWatch> m_watch;
    OutsideInput m_input;
};

TIVREL_POINTER_WATCH_CONTRACT(X11PointerWatchContract, X11WatchRig);

// The click thread waits on its deadline and on the watch's connection together.
class X11WatchedRun : public WatchedRun<X11WatchRig> {};

TIVREL_WATCHED_RUN_CASES(X11WatchedRun)

// A move the server sends while the click thread waits for a click's answer is read with
// that answer and announced by no later wake: the run still ends right after that click,
// not at the next tick.
TEST_F(X11WatchedRun, AMoveReadWithAClicksAnswerEndsTheRunAfterThatClick) {
    OutsideInput grabber;
    ASSERT_TRUE(grabber.isOpen());
    start(2'000);
    // The server held from before the first tick: its click waits for the answer.
    grabber.holdServer(true);
    while (ticks == 0)
        std::this_thread::sleep_for(1ms);
    std::this_thread::sleep_for(100ms);
    grabber.movePointer({601, 500});
    grabber.holdServer(false);
    EXPECT_TRUE(waitForTheEnd()) << "the move was never seen";
    EXPECT_EQ(ticks, 1) << "the move waited for the next tick";
}

constexpr QRect kTargetPlace(700, 80, 200, 150);
constexpr QRect kElsewherePlace(700, 500, 200, 150);

// How another hand takes the pointer off the target: the user's mouse (a device moves) or a
// program that warps it (no device moves, and the windows it leaves and enters take motion
// themselves, as most programs' windows do, so none of it reaches the root window).
struct Hand {
    const char* name;
    RecorderWindow::Motion windows;
    void (OutsideInput::*move)(QPoint);
};

const Hand kHands[] = {
    {"Device", RecorderWindow::Motion::Ignored, &OutsideInput::movePointer},
    {"Warp", RecorderWindow::Motion::Taken, &OutsideInput::warpPointer},
};

class X11WatchedRunByHand : public X11WatchedRun, public ::testing::WithParamInterface<Hand> {};

// A 5 ms run, the pointer taken off the target at a random instant, thirty times. The server
// may take at most the one click that was on its way when it moved the pointer; the click
// thread sends none once the move has reached it.
TEST_P(X11WatchedRunByHand, MovesAtAnyInstantLeaveAtMostTheClickOnItsWay) {
    const Hand& hand = GetParam();
    RecorderWindow target(kTargetPlace, nullptr, hand.windows);
    RecorderWindow elsewhere(kElsewherePlace, nullptr, hand.windows);
    OutsideInput other;
    ASSERT_TRUE(target.isOpen()) << target.error();
    ASSERT_TRUE(elsewhere.isOpen()) << elsewhere.error();
    ASSERT_TRUE(other.isOpen());
    const QPoint onTarget = kTargetPlace.center();
    const QPoint offTarget = kElsewherePlace.center();
    std::mt19937 random(7);
    int totalAfterMoves = 0;
    for (int round = 0; round < 30; ++round) {
        SCOPED_TRACE(::testing::Message() << "round " << round);
        rig.movePointer(onTarget.x(), onTarget.y());
        rig.settle();
        target.forget();
        elsewhere.forget();
        start(5);
        std::this_thread::sleep_for(
            std::chrono::microseconds(std::uniform_int_distribution<int>(5'000, 15'000)(random)));
        (other.*hand.move)(offTarget);
        ASSERT_TRUE(waitForTheEnd()) << "the move did not stop the run";
        timer.stop();
        rig.watch().end();
        // Every click of the run was taken before its tick ended: a round trip on each
        // recorder now collects them all.
        target.pump();
        elsewhere.pump();
        const int after = int(elsewhere.pressCount());
        EXPECT_LE(after, 1) << "clicks went on where the pointer went";
        EXPECT_EQ(int(target.pressCount()) + after, clicks.load());
        totalAfterMoves += after;
    }
    std::printf("30 moves (%s) in 5 ms runs: %d clicks taken after a move\n", hand.name,
                totalAfterMoves);
}

INSTANTIATE_TEST_SUITE_P(Hands, X11WatchedRunByHand, ::testing::ValuesIn(kHands),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace tivrel::test
