#include "shell/TrayIcon.h"
#include "fakes/FakeShellServices.h"

#include <QMenu>
#include <QWidget>

#include <gtest/gtest.h>

#include <optional>

namespace tivrel::test {
namespace {

class TrayIconTest : public ::testing::Test {
protected:
    TrayIconTest() { window.setWindowIcon(QIcon(QPixmap(16, 16))); }

    FakeNotificationIcon icon;
    QWidget window;
    QMenu menu;
    std::vector<QMenu*> popups;
    std::optional<TrayIcon> tray{std::in_place, icon, [this](QMenu& m) { popups.push_back(&m); }};
};

// Which activations of the icon open the menu.
struct ActivationCase {
    const char* name;
    IconButton button;
    bool opensMenu;
};

const ActivationCase kActivations[] = {
    {"Left", IconButton::Left, true},
    {"Right", IconButton::Right, true},
    {"Middle", IconButton::Middle, false},
    {"LeftDoubleClick", IconButton::LeftDoubleClick, false},
};

class TrayIconActivation : public TrayIconTest,
                           public ::testing::WithParamInterface<ActivationCase> {};

TEST_P(TrayIconActivation, OpensTheGivenMenuOnLeftAndRightOnly) {
    tray->AddTrayIcon(window, menu);
    icon.click(GetParam().button);
    EXPECT_EQ(popups, GetParam().opensMenu ? std::vector<QMenu*>{&menu} : std::vector<QMenu*>{});
}

INSTANTIATE_TEST_SUITE_P(TrayIcon, TrayIconActivation, ::testing::ValuesIn(kActivations),
                         [](const auto& info) { return std::string(info.param.name); });

// The icon's life: "a" is AddTrayIcon, "r" RemoveTrayIcon. The icon is added at most once
// at a time, taking it away is harmless when repeated, and clicks open the menu only while
// it is there.
struct LifeCase {
    const char* name;
    const char* steps;
    int adds;
    int removes;
    bool shown;
};

const LifeCase kLives[] = {
    {"NeverAdded", "", 0, 0, false},
    {"Added", "a", 1, 0, true},
    {"AddedTwice", "aa", 1, 0, true},
    {"Removed", "ar", 1, 1, false},
    {"RemovedThreeTimes", "arrr", 1, 1, false},
    {"RemovedBeforeAdded", "r", 0, 0, false},
    {"AddedAgainAfterRemoval", "ara", 2, 1, true},
};

class TrayIconLife : public TrayIconTest, public ::testing::WithParamInterface<LifeCase> {};

TEST_P(TrayIconLife, ClicksOpenTheMenuOnlyWhileTheIconIsShown) {
    const LifeCase& c = GetParam();
    for (const char* step = c.steps; *step; ++step) {
        if (*step == 'a')
            tray->AddTrayIcon(window, menu);
        else
            tray->RemoveTrayIcon();
    }
    EXPECT_EQ(icon.adds, c.adds);
    EXPECT_EQ(icon.removes, c.removes);
    EXPECT_EQ(icon.shown, c.shown);
    if (c.adds > 0) {
        EXPECT_EQ(icon.lastIcon.cacheKey(), window.windowIcon().cacheKey())
            << "the icon shows the window's own icon";
    }

    icon.click(IconButton::Left);
    EXPECT_EQ(popups.size(), c.shown ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(TrayIcon, TrayIconLife, ::testing::ValuesIn(kLives),
                         [](const auto& info) { return std::string(info.param.name); });

// The tip as the icon shows it: at most 63 characters, cut at the end.
struct TipCase {
    const char* name;
    QString text;
    QString shown;
};

const TipCase kTips[] = {
    {"Name", QStringLiteral("Tivrel"), QStringLiteral("Tivrel")},
    {"Empty", QString(), QString()},
    {"Longest", QString(63, u'x'), QString(63, u'x')},
    {"OneTooMany", QString(64, u'x'), QString(63, u'x')},
    {"LongWithAccents", QString(80, u'\u00e9'), QString(63, u'\u00e9')},
};

class TrayIconTip : public TrayIconTest, public ::testing::WithParamInterface<TipCase> {};

TEST_P(TrayIconTip, IsCutTo63Characters) {
    tray->AddTrayIcon(window, menu);
    tray->SetTrayTip(GetParam().text);
    EXPECT_EQ(icon.tip, GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(TrayIcon, TrayIconTip, ::testing::ValuesIn(kTips),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(TrayIconTest, GoesAwayWithItsOwnerAndLaterClicksReachNothing) {
    tray->AddTrayIcon(window, menu);
    tray.reset();
    EXPECT_FALSE(icon.shown);
    icon.click(IconButton::Right);
    EXPECT_TRUE(popups.empty());
}

} // namespace
} // namespace tivrel::test
