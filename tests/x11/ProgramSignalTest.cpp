// Termination signals to the real program, idle in the tray or in the middle of a click run:
// each ends it cleanly, with status 0, no box and no icon left behind.
#include "ProgramFixture.h"
#include "RecorderWindow.h"

#include <csignal>

namespace tivrel::test {
namespace {

using namespace std::chrono_literals;

constexpr QPoint kTargetPoint(130, 850);

struct SignalCase {
    const char* name;
    int signal;
    bool duringRun;
};

const SignalCase kSignalCases[] = {
    {"TermIdle", SIGTERM, false},   {"IntIdle", SIGINT, false},
    {"HupIdle", SIGHUP, false},     {"TermDuringRun", SIGTERM, true},
    {"IntDuringRun", SIGINT, true}, {"HupDuringRun", SIGHUP, true},
};

class ProgramSignal : public ProgramTest, public ::testing::WithParamInterface<SignalCase> {};

TEST_P(ProgramSignal, EndsWithZeroAndTakesTheIconAway) {
    const SignalCase& c = GetParam();
    ASSERT_TRUE(home.writeAcceptedSettings(c.duringRun));
    std::unique_ptr<RecorderWindow> target;
    if (c.duringRun) {
        target = std::make_unique<RecorderWindow>(kTargetPlace);
        ASSERT_TRUE(target->isOpen()) << target->error();
    }
    ChildProcess* program = startProgram();
    ASSERT_TRUE(program) << qPrintable(lastFailure);
    ASSERT_TRUE(waitForTrayIcon(*program)) << "no tray icon";

    if (c.duringRun) {
        const std::optional<WindowInfo> main = waitForWindow(
            *program, [](const WindowInfo& w) { return isMainWindow(w) && w.viewable; });
        ASSERT_TRUE(main) << "the window did not show at start-up";
        ASSERT_TRUE(desktop.movePointer(kTargetPoint)) << qPrintable(desktop.lastFailure());
        ASSERT_TRUE(desktop.activate(main->id)) << qPrintable(desktop.lastFailure());
        ASSERT_TRUE(desktop.keys({QStringLiteral("Return")}));
        ASSERT_TRUE(target->waitUntil(
            [](const std::vector<ButtonRecord>& events) {
                return std::count_if(events.begin(), events.end(),
                                     [](const ButtonRecord& e) { return e.press; }) >= 3;
            },
            30s))
            << "ENTER started no run; clicks seen: " << target->events().size();
        ASSERT_TRUE(home.dialogs().empty()) << home.dialogs().front();
    }

    ASSERT_TRUE(program->sendSignal(c.signal));
    ASSERT_NO_FATAL_FAILURE(expectExit(*program, 0));
    EXPECT_TRUE(windowsOf(*program, isTrayIcon).empty());
    // No "Program Stopped" or any other box on the way out.
    EXPECT_TRUE(home.dialogs().empty()) << home.dialogs().front();
}

INSTANTIATE_TEST_SUITE_P(Program, ProgramSignal, ::testing::ValuesIn(kSignalCases),
                         [](const ::testing::TestParamInfo<SignalCase>& info) {
                             return std::string(info.param.name);
                         });

} // namespace
} // namespace tivrel::test
