#include "shell/TrayIcon.h"
#include "fakes/FakeShellServices.h"

#include <QMenu>
#include <QWidget>

#include <gtest/gtest.h>

namespace tivrel::test {
namespace {

class TrayIconTest : public ::testing::Test {
protected:
    TrayIconTest() { window.setWindowIcon(QIcon(QPixmap(16, 16))); }

    FakeNotificationIcon icon;
    QWidget window;
    QMenu menu;
    int popups = 0;
    std::vector<std::tuple<int, qintptr, qintptr>> passedOn;
    TrayIcon tray{icon,
                  [this](QMenu& m) {
                      EXPECT_EQ(&m, &menu);
                      ++popups;
                  },
                  [this](int message, qintptr wParam, qintptr lParam) {
                      passedOn.emplace_back(message, wParam, lParam);
                      return qintptr(77);
                  }};
};

TEST_F(TrayIconTest, RecordIsFilledAsTheAreaExpects) {
    tray.AddTrayIcon(window, menu);
    const NotifyIconData& r = tray.record();
    EXPECT_EQ(r.cbSize, 88u);
    EXPECT_EQ(r.uID, 0u);
    EXPECT_EQ(r.hWnd, quintptr(window.winId()));
    EXPECT_EQ(r.uFlags, 3u);
    EXPECT_EQ(r.uCallbackMessage, 2025u);
    EXPECT_FALSE(r.hIcon.isNull());
    EXPECT_EQ(r.szTip, QByteArray(64, '\0')) << "no tip before SetTrayTip";
    EXPECT_EQ(icon.adds, 1);

    tray.SetTrayTip("Tivrel");
    EXPECT_EQ(tray.record().uFlags, 4u);
    QByteArray expected = QByteArray("Tivrel") + '\0' + QByteArray(57, ' ');
    EXPECT_EQ(tray.record().szTip, expected);
    EXPECT_EQ(icon.tip, "Tivrel");

    tray.SetTrayTip(QString(80, u'x'));
    EXPECT_EQ(tray.record().szTip.size(), 64);
    EXPECT_EQ(tray.record().szTip.at(63), '\0') << "a long tip is cut to 63 characters";
    EXPECT_EQ(icon.tip, QString(63, u'x'));
}

TEST_F(TrayIconTest, ButtonReleasesOpenTheMenuOthersPassOn) {
    tray.AddTrayIcon(window, menu);
    EXPECT_EQ(tray.TrayWindowProc(2025, 0, 514), 0);
    EXPECT_EQ(tray.TrayWindowProc(2025, 9, 517), 0);
    EXPECT_EQ(popups, 2);
    EXPECT_TRUE(passedOn.empty());

    const int others[][2] = {{2025, 512}, {2025, 513}, {2025, 515}, {2025, 516},
                             {2025, 520}, {15, 514},   {2024, 517}, {16, 0}};
    for (const auto& m : others)
        EXPECT_EQ(tray.TrayWindowProc(m[0], 3, m[1]), 77) << m[0] << "/" << m[1];
    EXPECT_EQ(popups, 2);
    ASSERT_EQ(passedOn.size(), std::size(others));
    EXPECT_EQ(passedOn[0], std::make_tuple(2025, qintptr(3), qintptr(512)));
}

TEST_F(TrayIconTest, IconNotificationsGoThroughTheHookUntilRemoved) {
    tray.AddTrayIcon(window, menu);
    icon.mouse(514);
    EXPECT_EQ(popups, 1);
    tray.RemoveTrayIcon();
    EXPECT_EQ(tray.record().uFlags, 0u);
    EXPECT_FALSE(icon.shown);
    icon.mouse(514);
    EXPECT_EQ(popups, 1) << "an unhooked window no longer hears the icon";
}

TEST_F(TrayIconTest, RemovingTwiceAndAddingTwiceAreHarmless) {
    tray.AddTrayIcon(window, menu);
    tray.AddTrayIcon(window, menu);
    EXPECT_EQ(icon.adds, 1);
    tray.RemoveTrayIcon();
    tray.RemoveTrayIcon();
    EXPECT_EQ(icon.removes, 1);
    EXPECT_FALSE(tray.isHooked());
    EXPECT_EQ(tray.TrayWindowProc(2025, 0, 512), 77) << "the saved procedure still answers";
}

} // namespace
} // namespace tivrel::test
