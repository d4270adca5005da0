// The screen cast pointer watch against a headless GNOME: the contract every watch keeps, the
// program's clicks through the portal, the moves through mutter's own remote desktop; the
// click thread woken by a move; and a dialog cancelled through AT-SPI, after which the watch
// stays blind.
#include "MutterPointer.h"
#include "MutterSession.h"
#include "RecorderProcess.h"
#include "ScreenCastMouse.h"
#include "Waiting.h"

#include "platform/PointerWatchContract.h"
#include "platform/linux/DeadlineClickTimer.h"
#include "platform/wayland/EisButtons.h"
#include "platform/wayland/PortalMouse.h"
#include "platform/wayland/ScreenCastPointerWatch.h"
#include "support/PumpUntil.h"
#include "support/WatchedRun.h"

#include <atomic>
#include <memory>
#include <thread>
#include <utility>

namespace tivrel::test {
namespace {

using namespace std::chrono_literals;

// A session of the program's own through the portal (its dialog answered as given), with the
// watch joined to it as the program joins it, and the recorder window under the pointer.
class MutterWatchRig final : public PointerWatchRig {
public:
    // Who links the program's stream to mutter's: PipeWire's session manager, as on every
    // desktop, or nobody (it ended before the grant).
    enum class Linking { BySessionManager, Nobody };

    explicit MutterWatchRig(PortalDialogAnswer answer = PortalDialogAnswer::Share,
                            Linking linking = Linking::BySessionManager) {
        setUp(answer, linking);
        if (answer == PortalDialogAnswer::Share && linking == Linking::BySessionManager && !ready())
            std::fprintf(stderr, "the rig is not ready: %s\n", qPrintable(error()));
    }
    void setUp(PortalDialogAnswer answer, Linking linking) {
        if (!m_session.start(&m_error) ||
            !m_recorder.start(m_session.socket(), m_session.scratch(), &m_error,
                              {QStringLiteral("--fullscreen")}) ||
            !m_hand.open(m_session.bus(), QString::fromLatin1(MutterSession::kConnector), &m_error))
            return;
        // Qt reports a wrong place for the first motion on a window: one move to enter it.
        if (!m_recorder.bringPointer([this](QPoint place) { return m_hand.moveTo(place); },
                                     {10, 10})) {
            m_error = QStringLiteral("the pointer never came onto the recorder");
            return;
        }
        if (linking == Linking::Nobody) {
            m_session.sessionManager().kill();
            m_session.sessionManager().waitForEnd(5s);
        }
        m_session.dialogs().answerWith(answer);
        m_mouse = newScreenCastMouse(m_session.bus(), m_watch, m_error);
        m_granted = m_mouse->ask(&m_refusal);
    }

    bool ready() const override { return m_error.isEmpty() && m_granted && m_watch.seesMoves(); }
    const QString& error() const { return m_error.isEmpty() ? m_refusal : m_error; }
    PointerWatch& watch() override { return m_watch; }
    int news() const { return m_watch.news(); }
    Mouse& mouse() override { return *m_mouse; }
    bool granted() const { return m_granted; }
    MutterSession& session() { return m_session; }
    RecorderProcess& recorder() { return m_recorder; }
    // Once the recorder has seen the pointer there.
    void movePointer(int x, int y) override {
        m_hand.moveTo({x, y});
        waitUntil([&] { return m_recorder.pointer() == QPoint(x, y); }, 5s, 2ms);
    }
    // The compositor sends the cursor's new place with its next frame, at most 1/30 s later
    // while a window repaints; 250 ms leaves room for a busy machine.
    void settle() override { std::this_thread::sleep_for(250ms); }
    // A move and straight back between two frames goes unseen.
    bool seesEveryMotion() const override { return false; }

private:
    QString m_error;
    QString m_refusal;
    MutterSession m_session;
    RecorderProcess m_recorder;
    MutterPointer m_hand;
    ScreenCastPointerWatch m_watch;
    std::unique_ptr<PortalMouse> m_mouse;
    bool m_granted = false;
};

TIVREL_POINTER_WATCH_CONTRACT(ScreenCastPointerWatchContract, MutterWatchRig);

// The click thread waits on its deadline and on the watch's news together, as the program's
// does.
class ScreenCastWatchedRun : public WatchedRun<MutterWatchRig> {};

TIVREL_WATCHED_RUN_CASES(ScreenCastWatchedRun)

// Every click of a fast run through the portal lands once: none lost on the way through the
// portal and its GNOME backend, none doubled.
TEST_F(ScreenCastWatchedRun, EveryClickOfAFastRunLandsOnce) {
    constexpr int kAmount = 200;
    ended = false;
    timer.start(5,
                {.tick =
                     [this] {
                         rig.mouse().click(MouseButton::Left);
                         return ++clicks < kAmount;
                     },
                 .look = [] { return true; }},
                [this] { ended = true; });
    ASSERT_TRUE(waitForTheEnd());
    QStringList expected;
    for (int i = 0; i < kAmount; ++i)
        expected << QStringLiteral("press 1") << QStringLiteral("release 1");
    waitUntil([&] { return rig.recorder().events().size() >= expected.size(); }, 5s, 10ms);
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(rig.recorder().received(), inOneLine(expected));
}

// Cancelled in the system's dialog: nothing is granted and the watch has no stream, so a run
// could not be stopped by a move; the program must not take it for a watch that sees.
TEST(ScreenCastPointerWatch, ADialogCancelledLeavesTheWatchBlind) {
    MutterWatchRig rig(PortalDialogAnswer::Cancel);
    ASSERT_EQ(rig.session().dialogs().answered(), 1) << qPrintable(rig.error());
    EXPECT_FALSE(rig.granted());
    EXPECT_FALSE(rig.watch().seesMoves());
}

// Granted, but nothing links the stream to mutter's, so no frame ever comes: a watch that
// claimed to see would let a run go on after any move. It must say it sees nothing, and why.
TEST(ScreenCastPointerWatch, AStreamThatBringsNoFrameLeavesTheWatchBlind) {
    MutterWatchRig rig(PortalDialogAnswer::Share, MutterWatchRig::Linking::Nobody);
    ASSERT_TRUE(rig.granted()) << qPrintable(rig.error());
    EXPECT_FALSE(rig.watch().seesMoves());
    EXPECT_TRUE(rig.error().contains(QStringLiteral("no picture from the compositor")))
        << qPrintable(rig.error());
}

// Where the portal hands out mutter's input socket (GNOME 48) the clicks take it, and a
// connection the compositor ends is a lost permission at the next click, before the UI
// thread has heard anything over D-Bus: no click into nothing is counted, none waits long.
TEST(PortalInputSocket, AConnectionTheCompositorEndsIsALostPermission) {
    if (!eisConnector())
        GTEST_SKIP() << "this build has no libei (Debian 12): the clicks go through D-Bus";
    MutterWatchRig rig;
    ASSERT_TRUE(rig.ready()) << qPrintable(rig.error());
    auto& mouse = dynamic_cast<PortalMouse&>(rig.mouse());
    ASSERT_TRUE(mouse.throughEis()) << "no input socket from mutter's portal";
    mouse.click(MouseButton::Left);
    EXPECT_FALSE(mouse.lost());
    EXPECT_TRUE(waitUntil([&] { return rig.recorder().events().size() >= 2; }, 5s, 10ms))
        << rig.recorder().received();

    rig.session().portalBackend().kill();
    bool lost = false;
    for (int i = 0; i < 50 && !lost; ++i) {
        const auto before = std::chrono::steady_clock::now();
        mouse.click(MouseButton::Left);
        EXPECT_LT(std::chrono::steady_clock::now() - before, 2500ms) << "click " << i;
        lost = mouse.lost();
        std::this_thread::sleep_for(20ms);
    }
    EXPECT_TRUE(lost);
    EXPECT_TRUE(mouse.mustAsk());
}

} // namespace
} // namespace tivrel::test
