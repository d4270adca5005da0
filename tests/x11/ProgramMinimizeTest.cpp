// Minimizing the real program's windows under openbox, which grants a minimize whatever the
// window asks: the main window goes to the tray as with "Hide", the terms notice comes back,
// and Help or a message box comes back over the main window, which stays.
#include "ProgramFixture.h"
#include "Waiting.h"

namespace tivrel::test {
namespace {

using namespace std::chrono_literals;

bool iconic(const X11TestSession& desktop, unsigned long window) {
    return desktop.xprop(window, QStringLiteral("WM_STATE")).contains(QStringLiteral("Iconic"));
}

TEST_F(ProgramTest, MinimizedMainWindowHidesToTheTrayAndShowBringsItBackOnTop) {
    ASSERT_TRUE(home.writeAcceptedSettings(true));
    ChildProcess* program = startProgram();
    ASSERT_TRUE(program) << qPrintable(lastFailure);
    ASSERT_TRUE(waitForTrayIcon(*program)) << "the icon never appeared in the tray";
    const auto shownMain = [](const WindowInfo& w) { return isMainWindow(w) && w.viewable; };
    const std::optional<WindowInfo> main = waitForWindow(*program, shownMain);
    ASSERT_TRUE(main) << "the window did not show at start";

    ASSERT_TRUE(desktop
                    .run(QStringLiteral("xdotool"),
                         {QStringLiteral("windowminimize"), QString::number(main->id)})
                    .succeeded());
    ASSERT_TRUE(waitForNoWindow(*program, shownMain)) << "the window stayed after the minimize";
    // Hidden, not an icon: the window manager has nothing left to bring back.
    EXPECT_TRUE(waitUntil([&] { return !iconic(desktop, main->id); }, 10s, 100ms))
        << qPrintable(desktop.xprop(main->id, QStringLiteral("WM_STATE")));

    // "Show" is the first item of the tray menu while the window is hidden.
    ASSERT_TRUE(openTrayMenu(*program, 1)) << qPrintable(lastFailure);
    ASSERT_TRUE(desktop.keys({QStringLiteral("Down"), QStringLiteral("Return")}));
    const std::optional<WindowInfo> back = waitForWindow(*program, shownMain);
    ASSERT_TRUE(back) << "Show did not bring the window back";
    QString state;
    EXPECT_TRUE(waitUntilOnTop(back->id, &state)) << "xprop: " << qPrintable(state);
    EXPECT_FALSE(iconic(desktop, back->id));
    EXPECT_TRUE(home.dialogs().empty());
}

// Openbox minimizes a window together with its transient parent: a minimize of Help or a
// message box reaches the main window too, and must not hide it as the user's own would.
struct OwnedWindowCase {
    const char* name;
    QString title;
    QStringList opening; // the main window's keys that open it
    QString answer;      // the key that closes it; none: a click on it does
};

class OwnedWindowMinimizeTest : public ProgramTest,
                                public ::testing::WithParamInterface<OwnedWindowCase> {};

TEST_P(OwnedWindowMinimizeTest, LeavesTheMainWindowShownAndOnTop) {
    const OwnedWindowCase& c = GetParam();
    ASSERT_TRUE(home.writeAcceptedSettings(true));
    ChildProcess* program = startProgram();
    ASSERT_TRUE(program) << qPrintable(lastFailure);
    ASSERT_TRUE(waitForTrayIcon(*program)) << "the icon never appeared in the tray";
    const auto shownMain = [](const WindowInfo& w) { return isMainWindow(w) && w.viewable; };
    const std::optional<WindowInfo> main = waitForWindow(*program, shownMain);
    ASSERT_TRUE(main) << "the window did not show at start";
    ASSERT_TRUE(desktop.activate(main->id)) << qPrintable(desktop.lastFailure());
    ASSERT_TRUE(desktop.keys(c.opening));
    const auto isOwned = [&c](const WindowInfo& w) { return isDialogTitled(w, c.title); };
    const std::optional<WindowInfo> owned = waitForWindow(*program, isOwned);
    ASSERT_TRUE(owned) << qPrintable(c.title) << " did not open";

    ASSERT_TRUE(desktop
                    .run(QStringLiteral("xdotool"),
                         {QStringLiteral("windowminimize"), QString::number(owned->id)})
                    .succeeded());
    // The minimize may take both windows away for a moment; once both are back it has been
    // dealt with, and the main window has to stay.
    const auto sameMain = [&](const WindowInfo& w) { return w.id == main->id && w.viewable; };
    const auto bothBack = [&] {
        return !windowsOf(*program, isOwned).empty() && !iconic(desktop, owned->id) &&
               !windowsOf(*program, sameMain).empty() && !iconic(desktop, main->id);
    };
    EXPECT_TRUE(waitUntil(bothBack, 20s, 100ms))
        << "main: " << qPrintable(desktop.xprop(main->id, QStringLiteral("WM_STATE")))
        << " owned: " << qPrintable(desktop.xprop(owned->id, QStringLiteral("WM_STATE")));
    EXPECT_FALSE(waitForNoWindow(*program, sameMain, 2s)) << "the main window was hidden";

    if (c.answer.isEmpty()) {
        ASSERT_TRUE(desktop.click(owned->geometry.topLeft() + QPoint(8, 8), 1));
        ASSERT_TRUE(waitForNoWindow(*program, isOwned)) << qPrintable(c.title) << " stayed";
    } else {
        ASSERT_TRUE(answerBox(*program, c.title, c.answer)) << qPrintable(lastFailure);
    }
    EXPECT_FALSE(windowsOf(*program, sameMain).empty()) << "the main window was hidden";
    QString state;
    EXPECT_TRUE(waitUntilOnTop(main->id, &state)) << "xprop: " << qPrintable(state);
}

INSTANTIATE_TEST_SUITE_P(
    Program, OwnedWindowMinimizeTest,
    ::testing::Values(
        OwnedWindowCase{"Help", QStringLiteral("Help ..."), {QStringLiteral("alt+e")}, {}},
        // "Exit" is the last item of "&File".
        OwnedWindowCase{"ExitQuestion",
                        QStringLiteral("Exiting ..."),
                        {QStringLiteral("alt+f"), QStringLiteral("Up"), QStringLiteral("Return")},
                        QStringLiteral("alt+n")}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ProgramTest, MinimizedNoticeComesBackAndEscapeLeavesItOpen) {
    ChildProcess* program = startProgram();
    ASSERT_TRUE(program) << qPrintable(lastFailure);
    const QString title = QStringLiteral("Disclaimer Notice");
    const auto isNotice = [&title](const WindowInfo& w) { return isDialogTitled(w, title); };
    const std::optional<WindowInfo> notice = waitForWindow(*program, isNotice);
    ASSERT_TRUE(notice) << "no terms notice on the first run";

    ASSERT_TRUE(desktop
                    .run(QStringLiteral("xdotool"),
                         {QStringLiteral("windowminimize"), QString::number(notice->id)})
                    .succeeded());
    // It may be gone for a moment; it must be the same window, shown and normal again.
    EXPECT_TRUE(waitUntil(
        [&] {
            const auto same = [&](const WindowInfo& w) { return w.id == notice->id; };
            const std::vector<WindowInfo> found = windowsOf(*program, same);
            return !found.empty() && found.front().viewable && !iconic(desktop, notice->id);
        },
        20s, 100ms))
        << "the minimized notice did not come back: "
        << qPrintable(desktop.xprop(notice->id, QStringLiteral("WM_STATE")));

    ASSERT_TRUE(desktop.activate(notice->id)) << qPrintable(desktop.lastFailure());
    ASSERT_TRUE(desktop.keys({QStringLiteral("Escape")}));
    // The same window stays: ESC closed nothing (a closed notice comes back as a new one).
    EXPECT_FALSE(waitForNoWindow(
        *program, [&](const WindowInfo& w) { return w.id == notice->id && w.viewable; }, 2s))
        << "ESC closed the notice";
    ASSERT_TRUE(answerBox(*program, title, QStringLiteral("alt+a"))) << qPrintable(lastFailure);
    ASSERT_TRUE(waitForTrayIcon(*program));
}

} // namespace
} // namespace tivrel::test
