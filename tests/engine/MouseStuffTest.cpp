#include "engine/MouseStuff.h"
#include "fakes/FakeMouse.h"

#include <gtest/gtest.h>

namespace tivrel::test {
namespace {

struct ButtonCase {
    int code;
    std::vector<ButtonEvent> events;
};

class ClickButtonTest : public ::testing::TestWithParam<ButtonCase> {};

TEST_P(ClickButtonTest, PressesThenReleasesTheButtonOfTheCode) {
    const ButtonCase& c = GetParam();
    FakeMouse mouse;
    MouseStuff(mouse).ClickButton(c.code);
    EXPECT_EQ(mouse.events, c.events);
}

INSTANTIATE_TEST_SUITE_P(
    Codes, ClickButtonTest,
    ::testing::Values(ButtonCase{1, {{MouseButton::Left, true}, {MouseButton::Left, false}}},
                      ButtonCase{2, {{MouseButton::Right, true}, {MouseButton::Right, false}}},
                      ButtonCase{4, {{MouseButton::Middle, true}, {MouseButton::Middle, false}}},
                      ButtonCase{3, {}}, ButtonCase{0, {}}, ButtonCase{-1, {}}));

TEST(MouseStuffTest, CursorPosRecordsOnlyTheFirstReading) {
    FakeMouse mouse;
    MouseStuff stuff(mouse);
    mouse.place = {100, 200};
    EXPECT_EQ(stuff.CursorPos(), (PointerPosition{100, 200}));
    mouse.place = {150, 150};
    EXPECT_EQ(stuff.CursorPos(), (PointerPosition{150, 150}));
    ASSERT_TRUE(stuff.StartCursorPos.has_value());
    EXPECT_EQ(*stuff.StartCursorPos, (PointerPosition{100, 200}));
    stuff.StartCursorPos.reset();
    stuff.CursorPos();
    EXPECT_EQ(*stuff.StartCursorPos, (PointerPosition{150, 150}));
}

} // namespace
} // namespace tivrel::test
