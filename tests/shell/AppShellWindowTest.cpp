#include "desktop/Form2.h"
#include "fakes/FakePlatform.h"
#include "fakes/FakeShellWindow.h"
#include "shell/AppShell.h"
#include "shell/Form3.h"

#include <gtest/gtest.h>

#include <optional>

namespace tivrel::test {
namespace {

// The shell around a window of plain fields: what the shell decides, without the controls.
class WindowShell : public ::testing::Test {
protected:
    WindowShell() { fakes.settings.values["EULA/TrialRead"] = "ACCEPTED"; }

    void load(const char* stored, bool trayAvailable) {
        if (stored)
            fakes.settings.values["Auto-Hide/Show"] = stored;
        fakes.trayIcon.available = trayAvailable;
        ASSERT_EQ(shell->Form_Load(), std::nullopt);
    }

    FakePlatform fakes;
    FakeShellWindow window;
    std::vector<int> quits;
    std::optional<AppShell> shell{std::in_place, window, fakes.platform,
                                  ShellUi{[](Form3&) {},
                                          [](Form2&) {},
                                          [](QMenu&) {},
                                          [this](int code) { quits.push_back(code); },
                                          {}}};
};

// The start-up visibility for each stored value, with and without a notification area.
struct StartCase {
    const char* stored;
    bool trayAvailable;
    bool shown;
    bool showItem;
    const char* caption;
};

class StartVisibility : public WindowShell, public ::testing::WithParamInterface<StartCase> {};

TEST_P(StartVisibility, FollowsTheStoredValueAndTheArea) {
    const StartCase& c = GetParam();
    load(c.stored, c.trayAvailable);
    EXPECT_EQ(window.shown, c.shown);
    EXPECT_EQ(window.showItem, c.showItem) << "\"Show\" is there exactly when the window is not";
    EXPECT_EQ(window.visibilityCaption, c.caption);
    EXPECT_EQ(window.startingValues, 1);
    EXPECT_EQ(window.shortcutCaption, "Place shortcut in startup");
}

INSTANTIATE_TEST_SUITE_P(Values, StartVisibility,
                         ::testing::Values(StartCase{nullptr, true, false, true, "Show on startup"},
                                           StartCase{"0", true, false, true, "Show on startup"},
                                           StartCase{"1", true, true, false, "Hide on startup"},
                                           StartCase{"on", true, true, false, "Hide on startup"},
                                           StartCase{nullptr, false, true, false,
                                                     "Show on startup"},
                                           StartCase{"0", false, true, false, "Show on startup"},
                                           StartCase{"1", false, true, false, "Hide on startup"}));

// "&Hide" and "Show" in any order. After each command the trace gets
// "<shown|hidden>[+Show]:<count resets so far>:<last band change>".
struct ToggleCase {
    const char* name;
    const char* stored;
    bool trayAvailable;
    std::vector<ShellCommand> commands;
    const char* trace;
};

class HideAndShow : public WindowShell, public ::testing::WithParamInterface<ToggleCase> {};

TEST_P(HideAndShow, ToggleTheWindowTheItemTheCountAndTheBand) {
    const ToggleCase& c = GetParam();
    load(c.stored, c.trayAvailable);
    fakes.stacking.calls.clear();
    QStringList trace;
    for (const ShellCommand command : c.commands) {
        ASSERT_TRUE(window.pick(command));
        trace << QStringLiteral("%1%2:%3:%4")
                     .arg(window.shown ? "shown" : "hidden", window.showItem ? "+Show" : "")
                     .arg(window.countResets)
                     .arg(fakes.stacking.calls.isEmpty() ? QString() : fakes.stacking.calls.last());
    }
    EXPECT_EQ(trace.join(' '), c.trace);
    if (window.showItem) {
        EXPECT_EQ(window.showCaption, "Show");
    }
    EXPECT_EQ(window.timerStops, 0) << "hiding leaves a run running";
}

using C = ShellCommand;
INSTANTIATE_TEST_SUITE_P(
    Sequences, HideAndShow,
    ::testing::Values(ToggleCase{"HideThenShow",
                                 "1",
                                 true,
                                 {C::Hide, C::Show},
                                 "hidden+Show:1:off:Main shown:2:on:Main"},
                      ToggleCase{"ShowFromTheTrayThenHide",
                                 "0",
                                 true,
                                 {C::Show, C::Hide},
                                 "shown:1:on:Main hidden+Show:2:off:Main"},
                      ToggleCase{"HideTwiceShowsAgain",
                                 "1",
                                 true,
                                 {C::Hide, C::Hide, C::Hide},
                                 "hidden+Show:1:off:Main shown:2:on:Main hidden+Show:3:off:Main"},
                      ToggleCase{
                          "NoAreaNoHiding", "1", false, {C::Hide, C::Show}, "shown:0: shown:0:"},
                      ToggleCase{"NoAreaAtAHiddenStart", "0", false, {C::Hide}, "shown:0:"}),
    [](const auto& info) { return std::string(info.param.name); });

// Every way out stops the run's timers, takes the icon away and leaves the band; only the
// ways that end the program close the window and quit.
struct WayOutCase {
    const char* name;
    std::function<void(FakeShellWindow&, FakePlatform&, std::optional<AppShell>&)> take;
    bool ends;
    bool cleansUp;
};

class WaysOut : public WindowShell, public ::testing::WithParamInterface<WayOutCase> {};

TEST_P(WaysOut, StopTheTimersEveryTime) {
    const WayOutCase& c = GetParam();
    load("1", true);
    fakes.stacking.calls.clear();
    c.take(window, fakes, shell);
    EXPECT_EQ(window.timerStops > 0, c.cleansUp);
    EXPECT_EQ(fakes.trayIcon.shown, !c.cleansUp);
    if (c.cleansUp) {
        EXPECT_EQ(fakes.stacking.calls.last(), "off:Main");
    }
    EXPECT_EQ(window.closed, c.ends);
    EXPECT_EQ(quits, c.ends ? std::vector<int>{0} : std::vector<int>{});
}

INSTANTIATE_TEST_SUITE_P(
    Ways, WaysOut,
    ::testing::Values(
        WayOutCase{"ExitAnsweredYes",
                   [](auto& w, auto& f, auto&) {
                       f.dialogs.yesNoAnswers = {MessageAnswer::Yes};
                       w.pick(ShellCommand::Exit);
                   },
                   true, true},
        WayOutCase{"ExitAnsweredNo",
                   [](auto& w, auto& f, auto&) {
                       f.dialogs.yesNoAnswers = {MessageAnswer::No};
                       w.pick(ShellCommand::Exit);
                   },
                   false, false},
        WayOutCase{"UserCloseRequest",
                   [](auto& w, auto&, auto&) { EXPECT_FALSE(w.requestClose()); }, false, false},
        WayOutCase{"Termination", [](auto&, auto& f, auto&) { f.termination.terminate(); }, true,
                   true},
        WayOutCase{"QueryUnload", [](auto&, auto&, auto& s) { s->Form_QueryUnload(); }, false,
                   true},
        WayOutCase{"Unload", [](auto&, auto&, auto& s) { s->Form_Unload(); }, false, true},
        WayOutCase{"Terminate", [](auto&, auto&, auto& s) { s->Form_Terminate(); }, false, true},
        WayOutCase{"ShellGone", [](auto&, auto&, auto& s) { s.reset(); }, false, true}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace tivrel::test
