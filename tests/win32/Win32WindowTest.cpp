// The topmost band and the close command on a real Qt window, read back through the
// system's own calls.
#include "WinTestWindow.h"
#include "platform/win32/Win32WindowCommands.h"
#include "platform/win32/Win32WindowStacking.h"

#include <QApplication>
#include <QWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace tivrel::test {
namespace {

HWND handleOf(QWidget& window) {
    return reinterpret_cast<HWND>(window.winId());
}

// A shown top-level window with the usual title bar, system menu and close box.
class ShownWindow : public ::testing::Test {
protected:
    ShownWindow() {
        window.setWindowTitle(QStringLiteral("Tivrel window test"));
        window.setGeometry(100, 100, 320, 200);
        window.show();
        pumpUntil([this] {
            QApplication::processEvents();
            return IsWindowVisible(handleOf(window)) != FALSE;
        });
    }
    bool isTopmost() {
        return (GetWindowLongPtrW(handleOf(window), GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    }
    RECT place() {
        RECT rect{};
        GetWindowRect(handleOf(window), &rect);
        return rect;
    }
    QWidget window;
};

enum class Band { On, Off };

struct StackingCase {
    const char* name;
    std::vector<Band> calls;
    bool topmost;
};

const StackingCase kStacking[] = {
    {"on", {Band::On}, true},
    {"on_then_off", {Band::On, Band::Off}, false},
    {"on_twice", {Band::On, Band::On}, true},
    {"off_twice_after_on", {Band::On, Band::Off, Band::Off}, false},
    {"off_when_never_on", {Band::Off}, false},
};

class Win32Stacking : public ShownWindow, public ::testing::WithParamInterface<StackingCase> {};

TEST_P(Win32Stacking, BandReadsBackAndTheWindowStaysPut) {
    const StackingCase& c = GetParam();
    ASSERT_FALSE(isTopmost());
    const RECT before = place();
    Win32WindowStacking stacking;
    for (Band call : c.calls) {
        if (call == Band::On)
            stacking.makeOnTop(window);
        else
            stacking.makeNotOnTop(window);
    }
    EXPECT_EQ(isTopmost(), c.topmost);
    const RECT after = place();
    EXPECT_EQ(after.left, before.left);
    EXPECT_EQ(after.top, before.top);
    EXPECT_EQ(after.right, before.right);
    EXPECT_EQ(after.bottom, before.bottom);
}

INSTANTIATE_TEST_SUITE_P(Calls, Win32Stacking, ::testing::ValuesIn(kStacking),
                         [](const auto& info) { return std::string(info.param.name); });

// The system menu's entries by command; separators are 0.
std::vector<UINT> systemMenuCommands(HWND window) {
    std::vector<UINT> commands;
    HMENU menu = GetSystemMenu(window, FALSE);
    const int count = menu ? GetMenuItemCount(menu) : 0;
    for (int i = 0; i < count; ++i)
        commands.push_back(GetMenuItemID(menu, i));
    return commands;
}

bool has(const std::vector<UINT>& commands, UINT command) {
    return std::find(commands.begin(), commands.end(), command) != commands.end();
}

class Win32CloseCommand : public ShownWindow {};

TEST_F(Win32CloseCommand, CloseAndItsSeparatorLeaveTheSystemMenuAndTheRestStays) {
    const std::vector<UINT> before = systemMenuCommands(handleOf(window));
    ASSERT_TRUE(has(before, SC_CLOSE)) << "the window had no Close to remove";
    Win32WindowCommands commands;
    commands.removeCloseCommand(window);
    const std::vector<UINT> after = systemMenuCommands(handleOf(window));
    EXPECT_FALSE(has(after, SC_CLOSE));
    std::vector<UINT> expected;
    for (std::size_t i = 0; i < before.size(); ++i) {
        const bool separatorAboveClose =
            before[i] == 0 && i + 1 < before.size() && before[i + 1] == SC_CLOSE;
        if (before[i] != SC_CLOSE && !separatorAboveClose)
            expected.push_back(before[i]);
    }
    EXPECT_EQ(after, expected) << "entries other than Close and its separator changed";

    commands.removeCloseCommand(window); // as a second start-up step would
    EXPECT_EQ(systemMenuCommands(handleOf(window)), expected);
    EXPECT_TRUE(IsWindow(handleOf(window)));
}

} // namespace
} // namespace tivrel::test
