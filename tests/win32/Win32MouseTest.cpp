// Clicks made with SendInput as a program beside Tivrel receives them, and the pointer's
// place as GetCursorPos gives it.
#include "platform/win32/Win32Mouse.h"
#include "WinTestWindow.h"

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

struct PlaceCase {
    const char* name;
    int x;
    int y;
};

// The corners of the 1280 x 1024 test screen and places between them.
const PlaceCase kPlaces[] = {
    {"top_left", 0, 0},
    {"bottom_right", 1279, 1023},
    {"middle", 640, 512},
    {"x_and_y_apart", 17, 900},
};

class Win32MousePosition : public ::testing::TestWithParam<PlaceCase> {};

TEST_P(Win32MousePosition, IsWhereThePointerWasPut) {
    const PlaceCase& c = GetParam();
    ASSERT_TRUE(SetCursorPos(c.x, c.y));
    Win32Mouse mouse;
    PointerPosition read;
    pumpUntil([&] {
        read = mouse.position();
        return read.x == c.x && read.y == c.y;
    });
    EXPECT_EQ(read, (PointerPosition{c.x, c.y}));
}

INSTANTIATE_TEST_SUITE_P(Places, Win32MousePosition, ::testing::ValuesIn(kPlaces),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace tivrel::test
