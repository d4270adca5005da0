// The real program on sway as a native Wayland window, driven from outside as the user drives
// it: the amount typed into its box, ENTER with the pointer on a native window, and exactly
// that many clicks there, ended by the run's message.
#include "DialogLog.h"
#include "ProgramDriver.h"
#include "ProgramHome.h"
#include "RecorderProcess.h"
#include "Waiting.h"
#include "WaylandTestSession.h"

#include <gtest/gtest.h>

namespace tivrel::test {
namespace {

using namespace std::chrono_literals;

// Left of the main window, which sway floats in the middle of the screen, on the recorder
// that fills the rest.
constexpr QPoint kTarget(160, 870);

// A sway of its own, the recorder filling it, and the program started on it.
class WaylandProgram : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(session.start(&error)) << qPrintable(error);
        ASSERT_TRUE(target.start(session.sway().socket(), session.sway().scratch(), &error))
            << qPrintable(error);
        ASSERT_TRUE(home.isValid()) << qPrintable(home.error());
        ASSERT_TRUE(home.writeAcceptedSettings(true));
        ASSERT_TRUE(driver.start(&error)) << qPrintable(error);
    }

    WaylandTestSession session;
    QString error;
    RecorderProcess target;
    ProgramHome home{QStringLiteral(TIVREL_PROGRAM_FILE)};
    ProgramDriver driver{session, home};
};

TEST_F(WaylandProgram, ClicksTheAmountTypedOnANativeWindowAndSaysSo) {
    const std::optional<QRect> main = driver.placeMainWindow(&error);
    ASSERT_TRUE(main) << qPrintable(error);
    ASSERT_FALSE(main->contains(kTarget));

    constexpr int kAmount = 12;
    ASSERT_TRUE(driver.setSpeed(25, &error)) << qPrintable(error);
    ASSERT_TRUE(driver.setAmount(kAmount, &error)) << qPrintable(error);
    ASSERT_TRUE(driver.pressEnter(kTarget, &error)) << qPrintable(error);
    ASSERT_TRUE(driver.waitForDialogs(3, 60s))
        << "the run did not end; the window received " << target.received()
        << "; the program said: " << qPrintable(driver.standardError());
    const DialogLine stop = home.dialogs().back();
    EXPECT_TRUE(stop.text.startsWith(QStringLiteral("The required amount of clicks"))) << stop;
    // The run's message comes once its last click has been handled, so all have arrived.
    QStringList expected;
    for (int i = 0; i < kAmount; ++i)
        expected << QStringLiteral("press 1") << QStringLiteral("release 1");
    EXPECT_EQ(target.received(), inOneLine(expected));
}

// sway gives no program a key of its own: its users bind `tivrel --toggle` instead.
TEST_F(WaylandProgram, ToggleStartsARunAtThePointerAndStopsIt) {
    // A run needs an amount where the pointer cannot be watched.
    ASSERT_TRUE(driver.placeMainWindow(&error)) << qPrintable(error);
    ASSERT_TRUE(driver.setAmount(30000, &error)) << qPrintable(error);
    ASSERT_TRUE(session.movePointer(kTarget));

    ASSERT_EQ(driver.runSecondCopy(QStringLiteral("--toggle"), &error), 0) << qPrintable(error);
    const auto presses = [&] {
        const std::string received = target.received();
        std::size_t count = 0;
        for (auto at = received.find("press"); at != std::string::npos;
             at = received.find("press", at + 1))
            ++count;
        return count;
    };
    ASSERT_TRUE(waitUntil([&] { return presses() >= 3; }, 30s))
        << "no run started: " << target.received();
    ASSERT_EQ(driver.runSecondCopy(QStringLiteral("--toggle"), &error), 0) << qPrintable(error);
    ASSERT_TRUE(driver.waitForDialogs(2, 30s)) << "the run did not stop";
    EXPECT_TRUE(home.dialogs().back().text.startsWith(QStringLiteral("The enter key was pressed.")))
        << home.dialogs().back();
}

} // namespace
} // namespace tivrel::test
