// Clicks made with SendInput as a program beside Tivrel receives them, and the pointer watch
// over GetCursorPos.
#include "platform/win32/Win32Mouse.h"
#include "WinTestWindow.h"
#include "platform/PointerWatchContract.h"
#include "platform/win32/Win32PointerWatch.h"

#include <gtest/gtest.h>

namespace tivrel::test {
namespace {

using Count = int WinTestWindow::Counts::*;

struct ButtonCase {
    const char* name;
    MouseButton button;
    Count down;
    Count up;
};

const ButtonCase kButtons[] = {
    {"left", MouseButton::Left, &WinTestWindow::Counts::leftDown, &WinTestWindow::Counts::leftUp},
    {"right", MouseButton::Right, &WinTestWindow::Counts::rightDown,
     &WinTestWindow::Counts::rightUp},
    {"middle", MouseButton::Middle, &WinTestWindow::Counts::middleDown,
     &WinTestWindow::Counts::middleUp},
};

class Win32MouseClick : public ::testing::TestWithParam<ButtonCase> {
protected:
    // `clickWith` makes one click of the case's button over a window under the pointer.
    template <typename ClickWith> void expectOneClickLands(ClickWith clickWith) {
        const ButtonCase& c = GetParam();
        WinTestWindow target({500, 400, 700, 600});
        ASSERT_TRUE(target.handle());
        const POINT centre = target.centre();
        ASSERT_TRUE(SetCursorPos(centre.x, centre.y));
        ASSERT_TRUE(pumpUntil([&] {
            POINT at{};
            return GetCursorPos(&at) && at.x == centre.x && at.y == centre.y;
        }));

        Win32Mouse mouse;
        clickWith(mouse, c.button);
        const auto& counts = target.counts();
        ASSERT_TRUE(pumpUntil([&] { return counts.*c.up >= 1; }))
            << "no release arrived; presses seen: " << counts.*c.down;
        pumpPending();
        EXPECT_EQ(counts.*c.down, 1);
        EXPECT_EQ(counts.*c.up, 1);
        EXPECT_EQ(counts.total(), 2) << "another button was pressed too";
        POINT after{};
        ASSERT_TRUE(GetCursorPos(&after));
        EXPECT_EQ(after.x, centre.x) << "the click moved the pointer";
        EXPECT_EQ(after.y, centre.y) << "the click moved the pointer";
    }
};

TEST_P(Win32MouseClick, PressAndReleaseLandOnceOnTheWindowUnderThePointer) {
    expectOneClickLands([](Win32Mouse& mouse, MouseButton button) {
        mouse.press(button);
        mouse.release(button);
    });
}

TEST_P(Win32MouseClick, ClickLandsOnceOnTheWindowUnderThePointer) {
    expectOneClickLands([](Win32Mouse& mouse, MouseButton button) { mouse.click(button); });
}

INSTANTIATE_TEST_SUITE_P(Buttons, Win32MouseClick, ::testing::ValuesIn(kButtons),
                         [](const auto& info) { return std::string(info.param.name); });

// The watch compares places read with GetCursorPos; the pointer is moved with SetCursorPos,
// as another program would.
class Win32WatchRig final : public PointerWatchRig {
public:
    bool ready() const override { return true; }
    PointerWatch& watch() override { return m_watch; }
    Mouse& mouse() override { return m_mouse; }
    void movePointer(int x, int y) override {
        SetCursorPos(x, y);
        pumpUntil([&] {
            POINT at{};
            return GetCursorPos(&at) && at.x == x && at.y == y;
        });
    }
    void settle() override {}
    bool seesEveryMotion() const override { return false; }

private:
    Win32PointerWatch m_watch;
    Win32Mouse m_mouse;
};

TIVREL_POINTER_WATCH_CONTRACT(Win32PointerWatchContract, Win32WatchRig);

} // namespace
} // namespace tivrel::test
