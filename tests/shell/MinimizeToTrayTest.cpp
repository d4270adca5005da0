// A minimize of the main window by the window manager, which openbox grants although the
// window has no minimize button: with a tray it is "Hide", without one it is undone. Openbox
// also minimizes the main window with a modal window it owns (Help, a message box): that
// minimize is undone too.
#include "shell/ShellFixture.h"

namespace tivrel::test {
namespace {

// What is open over the main window when the minimize reaches it.
enum class Over { Nothing, Help };

struct MinimizeCase {
    const char* name;
    bool trayAvailable;
    Over over;
    bool hidden;           // afterwards: the window hidden and "Show" in the tray menu
    QStringList placement; // the stacking calls the minimize made
};

class MinimizeToTrayTest : public ShellFixture,
                           public ::testing::WithParamInterface<MinimizeCase> {};

TEST_P(MinimizeToTrayTest, HidesToTheTrayOrComesBack) {
    const MinimizeCase& c = GetParam();
    accept();
    fakes.settings.values["Auto-Hide/Show"] = "1";
    fakes.trayIcon.available = c.trayAvailable;
    ASSERT_EQ(load(), std::nullopt);
    ASSERT_TRUE(form.isVisible());

    struct {
        bool minimized = true;
        bool visible = false;
        bool showItem = false;
        bool showBar = false;
        QStringList placement;
    } after;
    const auto minimize = [&] {
        fakes.stacking.calls.clear();
        form.setWindowState(form.windowState() | Qt::WindowMinimized);
        after = {form.isMinimized(), form.isVisible(), item("Showmnu")->isVisible(),
                 item("bar3")->isVisible(), fakes.stacking.calls};
    };
    const auto minimizeUnder = [&](QWidget& owned) {
        owned.setWindowModality(Qt::ApplicationModal);
        owned.show();
        minimize();
        owned.close();
    };
    switch (c.over) {
    case Over::Nothing:
        minimize();
        break;
    case Over::Help:
        onInformation = [&](Form2& f) { minimizeUnder(f); };
        item("Helpmnu")->trigger();
        break;
    }

    EXPECT_FALSE(after.minimized) << "a later show would bring the window back as an icon";
    EXPECT_EQ(after.visible, !c.hidden);
    EXPECT_EQ(after.showItem, c.hidden);
    EXPECT_EQ(after.showBar, c.hidden);
    EXPECT_EQ(after.placement, c.placement);

    if (c.hidden) {
        item("Showmnu")->trigger();
        EXPECT_TRUE(form.isVisible());
        EXPECT_FALSE(form.isMinimized());
        EXPECT_EQ(fakes.stacking.calls.last(), "on:Form1");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Shell, MinimizeToTrayTest,
    ::testing::Values(MinimizeCase{"WithTray", true, Over::Nothing, true, {"off:Form1"}},
                      MinimizeCase{"WithoutTray", false, Over::Nothing, false, {}},
                      MinimizeCase{"UnderHelp", true, Over::Help, false, {}}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace tivrel::test
