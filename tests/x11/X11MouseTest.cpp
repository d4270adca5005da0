// The X11 mouse backend against a real server: clicks land where the pointer is, with the
// right X button, once.
#include "RecorderWindow.h"

#include "engine/MouseStuff.h"
#include "platform/BlindPointerWatch.h"
#include "platform/x11/X11Mouse.h"

#include <QFile>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <optional>
#include <thread>

namespace tivrel::test {
namespace {

using namespace std::chrono_literals;

constexpr QRect kRecorderPlace(700, 80, 320, 240);
// Off the window's centre, so a mix-up of window and screen coordinates shows.
constexpr QPoint kPointerInWindow(37, 151);

struct ButtonCase {
    const char* name;
    int code;         // button code of a click run
    unsigned xButton; // what X must deliver
    int otherCode;    // a different button, clicked after the one under test as an end mark
    unsigned otherXButton;
};

const ButtonCase kButtons[] = {
    {"Left", LeftButton, 1, RightButton, 3},
    {"Right", RightButton, 3, MiddleButton, 2},
    {"Middle", MiddleButton, 2, LeftButton, 1},
};

std::string caseName(const ::testing::TestParamInfo<ButtonCase>& info) {
    return info.param.name;
}

ButtonRecord record(bool press, unsigned button, QPoint inWindow, QPoint origin) {
    return {press, button, inWindow, inWindow + origin};
}

// A real X11Mouse, a recorder window and the pointer resting over it.
class X11MouseOverWindow : public ::testing::Test {
protected:
    void SetUp() override {
        QString error;
        mouse = X11Mouse::open(&error);
        ASSERT_TRUE(mouse) << qPrintable(error);
        stuff.emplace(*mouse, watch);
        ASSERT_TRUE(recorder.isOpen()) << recorder.error();
        ASSERT_TRUE(input.isOpen());
        input.releaseButtons();
        input.movePointer(pointer());
        recorder.forget(); // a release of a button left held goes to it
    }

    QPoint pointer() const { return kRecorderPlace.topLeft() + kPointerInWindow; }

    // A click of `code` after whatever the test injected. The connection hands requests to
    // the server in order, so once this click has arrived, everything injected before it
    // has arrived too; no quiet period is needed to see that nothing more comes.
    void clickEndMark(int code, unsigned xButton) {
        stuff->ButtonDown(code);
        stuff->ButtonUp(code);
        const bool arrived = recorder.waitUntil(
            [xButton](const std::vector<ButtonRecord>& events) {
                return !events.empty() && !events.back().press && events.back().button == xButton;
            },
            10s);
        ASSERT_TRUE(arrived) << "the end mark click never arrived; what did: "
                             << ::testing::PrintToString(recorder.events());
    }

    std::unique_ptr<X11Mouse> mouse;
    BlindPointerWatch watch;
    std::optional<MouseStuff> stuff; // over mouse, once it is open
    RecorderWindow recorder{kRecorderPlace};
    OutsideInput input;
};

class X11MouseButtons : public X11MouseOverWindow,
                        public ::testing::WithParamInterface<ButtonCase> {};

TEST_P(X11MouseButtons, PressThenReleaseGiveOneClickOfTheButtonAtThePointer) {
    const ButtonCase& c = GetParam();
    stuff->ButtonDown(c.code);
    stuff->ButtonUp(c.code);
    ASSERT_NO_FATAL_FAILURE(clickEndMark(c.otherCode, c.otherXButton));

    const QPoint origin = kRecorderPlace.topLeft();
    const std::vector<ButtonRecord> expected{
        record(true, c.xButton, kPointerInWindow, origin),
        record(false, c.xButton, kPointerInWindow, origin),
        record(true, c.otherXButton, kPointerInWindow, origin),
        record(false, c.otherXButton, kPointerInWindow, origin),
    };
    EXPECT_EQ(recorder.events(), expected);
}

TEST_P(X11MouseButtons, ClickButtonIsOnePressThenItsRelease) {
    const ButtonCase& c = GetParam();
    stuff->ClickButton(c.code);
    ASSERT_NO_FATAL_FAILURE(clickEndMark(c.otherCode, c.otherXButton));

    const QPoint origin = kRecorderPlace.topLeft();
    const std::vector<ButtonRecord> expected{
        record(true, c.xButton, kPointerInWindow, origin),
        record(false, c.xButton, kPointerInWindow, origin),
        record(true, c.otherXButton, kPointerInWindow, origin),
        record(false, c.otherXButton, kPointerInWindow, origin),
    };
    EXPECT_EQ(recorder.events(), expected);
}

INSTANTIATE_TEST_SUITE_P(X11Mouse, X11MouseButtons, ::testing::ValuesIn(kButtons), caseName);

// The click thread counts the spacing between clicks from when a click returns. A click that
// returned while the server still held it back could reach the clicked program right
// before the next one.
TEST_F(X11MouseOverWindow, ClickReturnsOnlyOnceTheServerHasTakenIt) {
    input.holdServer(true);
    std::atomic<bool> returned{false};
    std::thread clicker([&] {
        stuff->ClickButton(LeftButton);
        returned = true;
    });
    std::this_thread::sleep_for(200ms);
    const bool returnedWhileHeld = returned;
    input.holdServer(false);
    clicker.join();
    EXPECT_FALSE(returnedWhileHeld) << "the click returned while the server could not take it";
    ASSERT_NO_FATAL_FAILURE(clickEndMark(RightButton, 3));

    const QPoint origin = kRecorderPlace.topLeft();
    const std::vector<ButtonRecord> clickThenEndMark{
        record(true, 1, kPointerInWindow, origin),
        record(false, 1, kPointerInWindow, origin),
        record(true, 3, kPointerInWindow, origin),
        record(false, 3, kPointerInWindow, origin),
    };
    EXPECT_EQ(recorder.events(), clickThenEndMark);
}

TEST_F(X11MouseOverWindow, UnknownButtonCodesInjectNothing) {
    for (const int code : {0, 3, 8, -1}) {
        stuff->ButtonDown(code);
        stuff->ButtonUp(code);
    }
    ASSERT_NO_FATAL_FAILURE(clickEndMark(LeftButton, 1));

    const QPoint origin = kRecorderPlace.topLeft();
    const std::vector<ButtonRecord> onlyTheEndMark{
        record(true, 1, kPointerInWindow, origin),
        record(false, 1, kPointerInWindow, origin),
    };
    EXPECT_EQ(recorder.events(), onlyTheEndMark);
}

// Sets an environment variable for the length of a scope.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, std::optional<QByteArray> value)
        : m_name(name), m_had(qEnvironmentVariableIsSet(name)), m_old(qgetenv(name)) {
        if (value)
            qputenv(name, *value);
        else
            qunsetenv(name);
    }
    ~ScopedEnvironment() {
        if (m_had)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }

private:
    const char* m_name;
    bool m_had;
    QByteArray m_old;
};

struct UnreachableDisplay {
    const char* name;
    std::optional<QByteArray> display;
    const char* messageNames;
};

const UnreachableDisplay kUnreachable[] = {
    {"NoServerThere", QByteArray(":9999"), "\":9999\""},
    {"Unset", std::nullopt, "DISPLAY is empty"},
    {"Empty", QByteArray(""), "DISPLAY is empty"},
};

class X11MouseOpen : public ::testing::TestWithParam<UnreachableDisplay> {};

TEST_P(X11MouseOpen, FailsWithAMessageNamingTheDisplay) {
    // A server on :9999 would make the first case connect.
    ASSERT_FALSE(QFile::exists(QStringLiteral("/tmp/.X9999-lock")));
    const ScopedEnvironment display("DISPLAY", GetParam().display);

    QString error;
    EXPECT_EQ(X11Mouse::open(&error), nullptr);
    EXPECT_TRUE(error.contains(QLatin1String(GetParam().messageNames))) << qPrintable(error);
    // Without a place for the message it fails the same way.
    EXPECT_EQ(X11Mouse::open(nullptr), nullptr);
}

INSTANTIATE_TEST_SUITE_P(X11Mouse, X11MouseOpen, ::testing::ValuesIn(kUnreachable),
                         [](const ::testing::TestParamInfo<UnreachableDisplay>& info) {
                             return std::string(info.param.name);
                         });

} // namespace
} // namespace tivrel::test
