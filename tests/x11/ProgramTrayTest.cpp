// The real program's icon inside trayer, the "&File" menu it opens, "Show" and "Exit".
#include "ProgramFixture.h"
#include "Waiting.h"

namespace tivrel::test {
namespace {

using namespace std::chrono_literals;

const QString kExitTitle = QStringLiteral("Exiting ...");
const QString kExitQuestion = QStringLiteral("Are you sure you want to close the program ?");

class ProgramTray : public ProgramTest {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(ProgramTest::SetUp());
        ASSERT_TRUE(home.writeAcceptedSettings(false));
        program = startProgram();
        ASSERT_TRUE(program) << qPrintable(lastFailure);
        ASSERT_TRUE(waitForTrayIcon(*program)) << "the icon never appeared in the tray";
    }

    // "Exit" is the menu's last item: Up from no choice goes round to it.
    void chooseExit(int button) {
        ASSERT_TRUE(openTrayMenu(*program, button)) << qPrintable(lastFailure);
        ASSERT_TRUE(desktop.keys({QStringLiteral("Up"), QStringLiteral("Return")}))
            << qPrintable(desktop.lastFailure());
        ASSERT_TRUE(waitForDialogs(1)) << "no box after choosing Exit";
        const std::vector<DialogLine> expected{
            {QStringLiteral("message"), kExitTitle, kExitQuestion}};
        ASSERT_EQ(home.dialogs(), expected);
    }

    ChildProcess* program = nullptr;
};

TEST_F(ProgramTray, IconIsEmbeddedInTheSessionTrayHostWhileTheWindowStaysHidden) {
    const std::vector<WindowInfo> icons = windowsOf(*program, isTrayIcon);
    ASSERT_EQ(icons.size(), 1u);
    const qint64 host = sessionTrayHostPid();
    ASSERT_NE(host, 0) << "the session's trayer is not recorded";
    EXPECT_EQ(icons.front().trayHostPid, host) << icons.front();

    const std::vector<WindowInfo> main = windowsOf(*program, isMainWindow);
    ASSERT_EQ(main.size(), 1u);
    EXPECT_FALSE(main.front().viewable) << main.front();
    const auto shownBesidesTheIcon = [](const WindowInfo& w) {
        return w.viewable && !isTrayIcon(w) &&
               !w.types.contains(QStringLiteral("_NET_WM_WINDOW_TYPE_TOOLTIP"));
    };
    EXPECT_TRUE(windowsOf(*program, shownBesidesTheIcon).empty())
        << "a window of the program shows besides the icon";
    EXPECT_TRUE(home.dialogs().empty());
}

struct MenuButton {
    const char* name;
    int button; // X numbering
};

const MenuButton kMenuButtons[] = {{"Left", 1}, {"Right", 3}};

class ProgramTrayMenu : public ProgramTray, public ::testing::WithParamInterface<MenuButton> {};

// The box after "Exit" shows the menu was the "&File" menu; No leaves the program as it was.
TEST_P(ProgramTrayMenu, OpensTheFileMenuWhoseExitAnsweredNoKeepsTheProgram) {
    ASSERT_NO_FATAL_FAILURE(chooseExit(GetParam().button));
    ASSERT_TRUE(answerBox(*program, kExitTitle, QStringLiteral("n"))) << qPrintable(lastFailure);

    // The menu opens again: the program still answers its icon.
    ASSERT_TRUE(openTrayMenu(*program, GetParam().button))
        << qPrintable(lastFailure) << ", " << qPrintable(program->describeEnd());
    ASSERT_TRUE(desktop.keys({QStringLiteral("Escape")}));
    EXPECT_TRUE(waitForNoWindow(*program, isPopupMenu)) << "Escape did not close the menu";
    EXPECT_FALSE(program->hasEnded()) << qPrintable(program->describeEnd());
    EXPECT_EQ(windowsOf(*program, isTrayIcon).size(), 1u);
    EXPECT_EQ(home.dialogs().size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(ProgramTray, ProgramTrayMenu, ::testing::ValuesIn(kMenuButtons),
                         [](const ::testing::TestParamInfo<MenuButton>& info) {
                             return std::string(info.param.name);
                         });

TEST_F(ProgramTray, ShowBringsTheWindowBackAboveTheOthers) {
    const std::optional<WindowInfo> menu = openTrayMenu(*program, 1);
    ASSERT_TRUE(menu) << qPrintable(lastFailure);
    // "Show" is the first item while the window is hidden.
    ASSERT_TRUE(desktop.keys({QStringLiteral("Down"), QStringLiteral("Return")}));

    const std::optional<WindowInfo> main =
        waitForWindow(*program, [](const WindowInfo& w) { return isMainWindow(w) && w.viewable; });
    ASSERT_TRUE(main) << "Show did not bring the window back";
    QString state;
    // The window manager sets the state once it has handled the program's request.
    EXPECT_TRUE(waitUntilOnTop(main->id, &state)) << "xprop: " << qPrintable(state);

    // With the window shown the menu has no "Show" and no separator under it.
    const std::optional<WindowInfo> again = openTrayMenu(*program, 1);
    ASSERT_TRUE(again) << qPrintable(lastFailure);
    EXPECT_LT(again->geometry.height(), menu->geometry.height())
        << "with Show: " << *menu << ", without: " << *again;
    ASSERT_TRUE(desktop.keys({QStringLiteral("Escape")}));
    EXPECT_TRUE(waitForNoWindow(*program, isPopupMenu));
    EXPECT_TRUE(home.dialogs().empty());
}

TEST_F(ProgramTray, ExitAnsweredYesRemovesTheIconAndEndsWithZero) {
    ASSERT_NO_FATAL_FAILURE(chooseExit(1));
    ASSERT_TRUE(answerBox(*program, kExitTitle, QStringLiteral("y"))) << qPrintable(lastFailure);
    ASSERT_NO_FATAL_FAILURE(expectExit(*program, 0));
    EXPECT_TRUE(windowsOf(*program, isTrayIcon).empty());
    EXPECT_EQ(home.dialogs().size(), 1u);
}

} // namespace
} // namespace tivrel::test
