// A minimize of the main window by the window manager, which openbox grants although the
// window has no minimize button: with a tray it is "Hide", without one it is undone.
#include "shell/ShellFixture.h"

namespace tivrel::test {
namespace {

struct MinimizeCase {
    const char* name;
    bool trayAvailable;
    bool hidden; // afterwards: the window hidden and "Show" in the tray menu
    QStringList placement;
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
    fakes.stacking.calls.clear();

    form.setWindowState(form.windowState() | Qt::WindowMinimized);

    EXPECT_FALSE(form.isMinimized()) << "a later show would bring the window back as an icon";
    EXPECT_EQ(form.isVisible(), !c.hidden);
    EXPECT_EQ(item("Showmnu")->isVisible(), c.hidden);
    EXPECT_EQ(item("bar3")->isVisible(), c.hidden);
    EXPECT_EQ(fakes.stacking.calls, c.placement);

    if (c.hidden) {
        item("Showmnu")->trigger();
        EXPECT_TRUE(form.isVisible());
        EXPECT_FALSE(form.isMinimized());
        EXPECT_EQ(fakes.stacking.calls.last(), "on:Form1");
    }
}

INSTANTIATE_TEST_SUITE_P(Shell, MinimizeToTrayTest,
                         ::testing::Values(MinimizeCase{"WithTray", true, true, {"off:Form1"}},
                                           MinimizeCase{"WithoutTray", false, false, {}}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace tivrel::test
