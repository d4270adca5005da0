// The real program started and stopped from outside its window: by the start/stop key,
// which X hands to the program whatever has the focus, and by a second copy run as
// `tivrel --toggle` without a display, as a desktop's own shortcut would run it.
#include "ProgramFixture.h"
#include "RecorderWindow.h"

#include <QRegularExpression>

#include <csignal>

namespace tivrel::test {
namespace {

using namespace std::chrono_literals;

struct OutsideCase {
    const char* name;
    bool byKey; // F6, else `tivrel --toggle`
};

class ProgramStartStop : public ProgramTest, public ::testing::WithParamInterface<OutsideCase> {
protected:
    bool press(ProgramDriver& driver) {
        if (GetParam().byKey)
            return desktop.keys({QStringLiteral("F6")});
        QString errors;
        const int code = driver.runSecondCopy(QStringLiteral("--toggle"), &errors);
        lastFailure = errors;
        return code == 0;
    }
};

TEST_P(ProgramStartStop, StartsAtThePointerAndStopsWithTheEnterSummary) {
    ASSERT_TRUE(home.writeAcceptedSettings(false)); // hidden in the tray: no window to press
    RecorderWindow target(kTargetPlace);
    ASSERT_TRUE(target.isOpen()) << target.error();
    ChildProcess* program = startProgram();
    ASSERT_TRUE(program) << qPrintable(lastFailure);
    ProgramDriver& driver = driverOf(*program);
    ASSERT_TRUE(driver.waitForWindow(isTrayIcon)) << "no tray icon";
    ASSERT_TRUE(desktop.movePointer(kTargetPlace.center()));

    ASSERT_TRUE(press(driver)) << qPrintable(lastFailure);
    ASSERT_TRUE(target.waitUntil([](const auto& e) { return e.size() >= 6; }, 30s))
        << "no run started";
    ASSERT_TRUE(press(driver)) << qPrintable(lastFailure);
    ASSERT_TRUE(driver.waitForDialogs(1, 30s)) << "the run did not stop";
    const DialogLine stop = home.dialogs().back();
    EXPECT_TRUE(stop.text.startsWith(QStringLiteral("The enter key was pressed."))) << stop;
    // Every click the run counted landed on the target, and none came after the stop.
    const QRegularExpressionMatch total =
        QRegularExpression(QStringLiteral("Total Clicks:\\t(\\d+)")).match(stop.text);
    ASSERT_TRUE(total.hasMatch()) << stop;
    target.pump();
    EXPECT_EQ(target.pressCount(), total.captured(1).toULongLong());
}

INSTANTIATE_TEST_SUITE_P(Program, ProgramStartStop,
                         ::testing::Values(OutsideCase{"Key", true},
                                           OutsideCase{"SecondCopy", false}),
                         [](const auto& info) { return std::string(info.param.name); });

// The key box as the user meets it: opened from the tray menu, it takes the key pressed,
// which is stored and from then on starts and stops the runs.
TEST_F(ProgramTest, AKeyChosenInTheKeyBoxIsStoredAndStartsAndStopsRuns) {
    ASSERT_TRUE(home.writeAcceptedSettings(false));
    RecorderWindow target(kTargetPlace);
    ASSERT_TRUE(target.isOpen()) << target.error();
    ChildProcess* program = startProgram();
    ASSERT_TRUE(program) << qPrintable(lastFailure);
    ASSERT_TRUE(openTrayMenu(*program, 1)) << qPrintable(lastFailure);
    // "Start/Stop Key: F6..." stands above the separator over "Exit", the last item.
    ASSERT_TRUE(
        desktop.keys({QStringLiteral("Up"), QStringLiteral("Up"), QStringLiteral("Return")}));
    ASSERT_TRUE(answerBox(*program, QStringLiteral("Start/Stop Key"), QStringLiteral("ctrl+F7")))
        << qPrintable(lastFailure);
    const std::vector<DialogLine> box{
        {QStringLiteral("key"), QStringLiteral("Start/Stop Key"), QStringLiteral("F6")}};
    EXPECT_EQ(home.dialogs(), box);
    EXPECT_EQ(home.storedSettings().value(QStringLiteral("Keys/StartStop")), "Ctrl+F7");

    ASSERT_TRUE(desktop.movePointer(kTargetPlace.center()));
    ASSERT_TRUE(desktop.keys({QStringLiteral("ctrl+F7")}));
    ASSERT_TRUE(target.waitUntil([](const auto& e) { return e.size() >= 6; }, 30s))
        << "no run started";
    ASSERT_TRUE(desktop.keys({QStringLiteral("ctrl+F7")}));
    ASSERT_TRUE(waitForDialogs(2, 30s)) << "the run did not stop";
    EXPECT_TRUE(home.dialogs().back().text.startsWith(QStringLiteral("The enter key was pressed.")))
        << home.dialogs().back();
}

TEST_F(ProgramTest, ToggleWithNoCopyRunningSaysSoEvenAfterAKilledCopy) {
    ASSERT_TRUE(home.writeAcceptedSettings(false));
    ProgramDriver alone(desktop, home);
    QString errors;
    EXPECT_EQ(alone.runSecondCopy(QStringLiteral("--toggle"), &errors), 1);
    EXPECT_EQ(errors, "tivrel: Tivrel is not running.\n");

    // A killed copy leaves its socket behind: no copy answers there, and the next copy
    // takes the place over.
    ChildProcess* killed = startProgram();
    ASSERT_TRUE(killed) << qPrintable(lastFailure);
    ASSERT_TRUE(waitForTrayIcon(*killed));
    ASSERT_TRUE(killed->sendSignal(SIGKILL));
    ASSERT_TRUE(killed->waitForEnd(kExitTimeout));
    EXPECT_EQ(alone.runSecondCopy(QStringLiteral("--stop"), &errors), 1);
    EXPECT_EQ(errors, "tivrel: Tivrel is not running.\n");

    ChildProcess* next = startProgram();
    ASSERT_TRUE(next) << qPrintable(lastFailure);
    ASSERT_TRUE(waitForTrayIcon(*next));
    EXPECT_EQ(alone.runSecondCopy(QStringLiteral("--stop"), &errors), 0) << qPrintable(errors);
    EXPECT_EQ(alone.runSecondCopy(QStringLiteral("--pause"), &errors), 2);
    EXPECT_TRUE(errors.startsWith("usage: tivrel")) << qPrintable(errors);
}

} // namespace
} // namespace tivrel::test
