// The wlroots mouse against a real headless sway: clicks through the virtual pointer land
// on a native Wayland window an exact number of times with the right button, each returns
// only once sway has handled it, and a lost compositor costs nothing but a line in the log.
#include "BareCompositor.h"
#include "RecorderProcess.h"
#include "SwaySession.h"
#include "TestPointer.h"
#include "Waiting.h"

#include "platform/linux/DisplaySession.h"
#include "platform/wayland/WlrootsMouse.h"

#include <QFile>

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <cstring>
#include <future>
#include <memory>
#include <thread>

namespace tivrel {
DisplaySessionKind waylandDisplaySession();
}

namespace tivrel::test {
namespace {

using namespace std::chrono_literals;

// A headless sway, the recorder window over its whole output and the pointer on it.
class WlrootsMouseOnSway : public ::testing::Test {
protected:
    void SetUp() override {
        QString error;
        ASSERT_TRUE(sway.start(&error)) << qPrintable(error);
        qputenv("WAYLAND_DISPLAY", QFile::encodeName(sway.socket()));
        ASSERT_TRUE(recorder.start(sway.socket(), sway.scratch(), &error)) << qPrintable(error);
        // Off the middle, so the place is not where sway puts a new pointer.
        ASSERT_TRUE(placer.open(sway.socket()));
        ASSERT_TRUE(recorder.bringPointer(
            [this](QPoint place) { return placer.moveTo(place, SwaySession::kOutputSize); },
            {400, 300}))
            << "the pointer never came onto the recorder window";
        mouse = WlrootsMouse::open(&error);
        ASSERT_TRUE(mouse) << qPrintable(error);
    }

    QStringList events() const { return recorder.events(); }
    std::string received() const { return recorder.received(); }

    // A click of another button after whatever the test sent. Sway hands a client its events
    // in order, so once this one has arrived everything before it has, and no quiet period
    // is needed to see that nothing more comes.
    void clickEndMark(MouseButton button, int qtButton) {
        mouse->press(button);
        mouse->release(button);
        const QString last = QStringLiteral("release %1").arg(qtButton);
        ASSERT_TRUE(waitUntil([&] { return !events().isEmpty() && events().back() == last; }, 10s))
            << "the end mark never arrived; what did: " << received();
    }

    SwaySession sway;
    RecorderProcess recorder;
    TestPointer placer;
    std::unique_ptr<WlrootsMouse> mouse;
};

struct ButtonCase {
    const char* name;
    MouseButton button;
    int qtButton;      // what the window must receive
    MouseButton other; // the end mark
    int otherQtButton;
};

const ButtonCase kButtons[] = {
    {"Left", MouseButton::Left, 1, MouseButton::Right, 2},
    {"Right", MouseButton::Right, 2, MouseButton::Middle, 4},
    {"Middle", MouseButton::Middle, 4, MouseButton::Left, 1},
};

QStringList pressesAndReleases(int button, int times) {
    QStringList events;
    for (int i = 0; i < times; ++i)
        events << QStringLiteral("press %1").arg(button)
               << QStringLiteral("release %1").arg(button);
    return events;
}

class WlrootsMouseButtons : public WlrootsMouseOnSway,
                            public ::testing::WithParamInterface<ButtonCase> {};

TEST_P(WlrootsMouseButtons, EachClickAndEachPressWithItsReleaseLandsOnceWithItsButton) {
    const ButtonCase& c = GetParam();
    constexpr int kClicks = 25;
    for (int i = 0; i < kClicks; ++i)
        mouse->click(c.button);
    mouse->press(c.button);
    mouse->release(c.button);
    ASSERT_NO_FATAL_FAILURE(clickEndMark(c.other, c.otherQtButton));

    EXPECT_EQ(received(), inOneLine(pressesAndReleases(c.qtButton, kClicks + 1) +
                                    pressesAndReleases(c.otherQtButton, 1)));
}

INSTANTIATE_TEST_SUITE_P(WlrootsMouse, WlrootsMouseButtons, ::testing::ValuesIn(kButtons),
                         [](const ::testing::TestParamInfo<ButtonCase>& info) {
                             return std::string(info.param.name);
                         });

// The click thread spaces clicks from when one returns: a click that returned while sway
// still held it could reach the window right before the next.
TEST_F(WlrootsMouseOnSway, ClickReturnsOnlyOnceSwayHasHandledIt) {
    ASSERT_TRUE(sway.process().sendSignal(SIGSTOP));
    std::atomic<bool> returned{false};
    std::thread clicker([&] {
        mouse->click(MouseButton::Left);
        returned = true;
    });
    std::this_thread::sleep_for(200ms);
    const bool returnedWhileStopped = returned;
    sway.process().sendSignal(SIGCONT);
    clicker.join();
    EXPECT_FALSE(returnedWhileStopped) << "the click returned while sway could not handle it";
    ASSERT_NO_FATAL_FAILURE(clickEndMark(MouseButton::Right, 2));
    EXPECT_EQ(received(), inOneLine(pressesAndReleases(1, 1) + pressesAndReleases(2, 1)));
}

int g_lossLines = 0;

TEST_F(WlrootsMouseOnSway, ClicksAfterTheCompositorIsGoneReturnAtOnceAndAreLoggedOnce) {
    sway.process().kill();
    g_lossLines = 0;
    const QtMessageHandler previous =
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& text) {
            if (text.contains(QLatin1String("lost")))
                ++g_lossLines;
        });
    auto clicks = std::async(std::launch::async, [this] {
        for (int i = 0; i < 5; ++i)
            mouse->click(MouseButton::Left);
        mouse->press(MouseButton::Right);
        mouse->release(MouseButton::Right);
    });
    const bool returned = clicks.wait_for(5s) == std::future_status::ready;
    qInstallMessageHandler(previous);
    ASSERT_TRUE(returned) << "a click on a lost connection hangs";
    EXPECT_EQ(g_lossLines, 1);
}

// GNOME and KDE offer no virtual pointer: the session refuses, saying what the desktop lacks
// and that the clicks go through XWayland there, so the choice falls back to the X11 one.
struct LackingCase {
    const char* name;
    bool seat;
    bool virtualPointer;
    const char* lacks;
};

const LackingCase kLacking[] = {
    {"NoVirtualPointer", true, false, "and no virtual pointer"},
};

class WaylandSessionRefuses : public ::testing::TestWithParam<LackingCase> {};

TEST_P(WaylandSessionRefuses, SayingWhatTheDesktopLacksAndThatXWaylandRemains) {
    const LackingCase& c = GetParam();
    BareCompositor compositor(c.seat, c.virtualPointer);
    ASSERT_TRUE(compositor.isRunning());
    const QByteArray old = qgetenv("WAYLAND_DISPLAY");
    qputenv("WAYLAND_DISPLAY", QFile::encodeName(compositor.socket()));
    QString error;
    auto session = waylandDisplaySession().connect(&error);
    qputenv("WAYLAND_DISPLAY", old);
    EXPECT_EQ(session, nullptr);
    EXPECT_TRUE(error.contains(QLatin1String(c.lacks))) << qPrintable(error);
    EXPECT_TRUE(error.contains(QLatin1String("XWayland"))) << qPrintable(error);
}

INSTANTIATE_TEST_SUITE_P(WaylandSession, WaylandSessionRefuses, ::testing::ValuesIn(kLacking),
                         [](const ::testing::TestParamInfo<LackingCase>& info) {
                             return std::string(info.param.name);
                         });

} // namespace
} // namespace tivrel::test
