// The shell's tray icon through the real QtNotificationIcon, under the session's trayer:
// it embeds, its tool tip reads "Tivrel" when the pointer rests on it, a left or right click
// opens the "&File" menu and a middle click nothing, and the close sequence takes it away.
// The rest of the system is faked.
#include "RecorderWindow.h"
#include "Waiting.h"
#include "WindowTree.h"

#include "fakes/FakePlatform.h"
#include "platform/Platform.h"
#include "platform/qt/QtNotificationIcon.h"
#include "shell/AppShell.h"
#include "shell/Form1ShellView.h"
#include "support/Controls.h"
#include "ui/Form1.h"

#include <QMenu>
#include <QMouseEvent>
#include <QToolTip>
#include <QWidget>
#include <QWindow>

#include <gtest/gtest.h>

#include <unistd.h>

namespace tivrel::test {
namespace {

using namespace std::chrono_literals;

constexpr QPoint kAwayFromEverything(640, 1010);

std::vector<WindowInfo> ownTrayIcons() {
    std::vector<WindowInfo> icons;
    for (const WindowInfo& window : lookAt(getpid()).windows) {
        if (window.embeddedInTray() && window.viewable && !window.geometry.isEmpty())
            icons.push_back(window);
    }
    return icons;
}

// A window of this process that counts the clicks it gets. The server sends the process its
// events in order, and Qt handles them in order: once a click here has been counted, every
// click sent before it (on the icon) has been handled.
class ClickMark final : public QWidget {
public:
    ClickMark() {
        setWindowFlags(Qt::X11BypassWindowManagerHint | Qt::FramelessWindowHint |
                       Qt::WindowStaysOnTopHint);
        setGeometry(QRect(40, 40, 120, 120));
    }
    int clicks = 0;

protected:
    void mousePressEvent(QMouseEvent*) override { ++clicks; }
};

class ShellTrayIcon : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(input.isOpen());
        input.releaseButtons();
        ASSERT_TRUE(icon.isAvailable()) << "no tray host on the test display";
        fakes.settings.values["EULA/TrialRead"] = "ACCEPTED";
        platform = std::make_unique<Platform>(fakes.platform.with({.trayIcon = &icon}));
        form = std::make_unique<Form1>(*platform);
        window = std::make_unique<Form1ShellView>(*form);
        shell = std::make_unique<AppShell>(*window, *platform,
                                           ShellUi{[](Form3&) {},
                                                   [](Form2&) {},
                                                   [this](QMenu& menu) { popups.push_back(&menu); },
                                                   [](int) {},
                                                   {}});
        ASSERT_EQ(shell->Form_Load(), std::nullopt);
        ASSERT_TRUE(waitUntil([] { return ownTrayIcons().size() == 1; }, 30s))
            << "the icon did not embed in the tray host";
        iconWindow = ownTrayIcons().front();
    }

    void TearDown() override {
        shell.reset();
        window.reset();
        form.reset();
    }

    OutsideInput input;
    FakePlatform fakes;
    QtNotificationIcon icon;
    std::unique_ptr<Platform> platform;
    std::unique_ptr<Form1> form;
    std::unique_ptr<Form1ShellView> window;
    std::unique_ptr<AppShell> shell;
    WindowInfo iconWindow;
    std::vector<QMenu*> popups;
};

TEST_F(ShellTrayIcon, ShowsTheTipTivrelUnderThePointer) {
    // Away first, so that resting on the icon is a fresh arrival.
    input.movePointer(kAwayFromEverything);
    input.movePointer(iconWindow.geometry.center());
    ASSERT_TRUE(waitUntil([] { return QToolTip::isVisible(); }, 30s)) << "no tool tip showed";
    EXPECT_EQ(QToolTip::text(), QStringLiteral("Tivrel"));
    EXPECT_TRUE(popups.empty());
    input.movePointer(kAwayFromEverything);
}

struct IconClick {
    const char* name;
    unsigned button; // X numbering
    bool opensMenu;
};

const IconClick kIconClicks[] = {{"Left", 1, true}, {"Right", 3, true}, {"Middle", 2, false}};

class ShellTrayIconClick : public ShellTrayIcon, public ::testing::WithParamInterface<IconClick> {};

TEST_P(ShellTrayIconClick, OpensTheFileMenuOnLeftAndRightOnly) {
    ClickMark mark;
    mark.show();
    ASSERT_TRUE(
        waitUntil([&] { return mark.windowHandle() && mark.windowHandle()->isExposed(); }, 30s));

    input.movePointer(iconWindow.geometry.center());
    input.click(GetParam().button);
    input.movePointer(mark.geometry().center());
    input.click(1);
    input.movePointer(kAwayFromEverything);
    ASSERT_TRUE(waitUntil([&] { return mark.clicks > 0; }, 30s)) << "the mark click never came";

    ASSERT_EQ(popups.size(), GetParam().opensMenu ? 1u : 0u);
    if (!popups.empty()) {
        EXPECT_EQ(popups.front(), control<QMenu>(*form, "optioinsmnu"));
    }
}

INSTANTIATE_TEST_SUITE_P(ShellTrayIcon, ShellTrayIconClick, ::testing::ValuesIn(kIconClicks),
                         [](const ::testing::TestParamInfo<IconClick>& info) {
                             return std::string(info.param.name);
                         });

TEST_F(ShellTrayIcon, CloseSequenceTakesTheIconOutOfTheTray) {
    shell->Form_QueryUnload();
    EXPECT_TRUE(waitUntil([] { return ownTrayIcons().empty(); }, 30s))
        << "the icon stayed in the tray";
}

} // namespace
} // namespace tivrel::test
