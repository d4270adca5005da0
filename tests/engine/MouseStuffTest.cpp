#include "engine/MouseStuff.h"
#include "fakes/FakeMouse.h"
#include "fakes/FakeRunWindow.h"

#include <gtest/gtest.h>

namespace tivrel::test {
namespace {

struct ButtonCase {
    int code;
    quint32 press;
    quint32 release;
};

class ClickButtonTest : public ::testing::TestWithParam<ButtonCase> {};

TEST_P(ClickButtonTest, PressesReleasesAndCountsOne) {
    const ButtonCase& c = GetParam();
    FakeMouse mouse;
    FakeRunWindow window;
    window.count = QStringLiteral("41");
    MouseStuff stuff(mouse);
    stuff.ClickButton(c.code, window);
    EXPECT_EQ(mouse.events, (std::vector<quint32>{c.press, c.release}));
    EXPECT_EQ(window.count, "42");
}

INSTANTIATE_TEST_SUITE_P(Codes, ClickButtonTest,
                         ::testing::Values(ButtonCase{1, 0x0002, 0x0004},
                                           ButtonCase{2, 0x0008, 0x0010},
                                           ButtonCase{4, 0x0020, 0x0040}, ButtonCase{3, 0, 0},
                                           ButtonCase{0, 0, 0}));

TEST(MouseStuffTest, CursorSumRecordsOnlyTheFirstReading) {
    FakeMouse mouse;
    MouseStuff stuff(mouse);
    mouse.position = {100, 200};
    EXPECT_EQ(stuff.CursorSum(), 300);
    mouse.position = {150, 150};
    EXPECT_EQ(stuff.CursorSum(), 300);
    mouse.position = {10, 20};
    EXPECT_EQ(stuff.CursorSum(), 30);
    ASSERT_TRUE(stuff.StartCursorSum.has_value());
    EXPECT_EQ(*stuff.StartCursorSum, 300);
    stuff.StartCursorSum.reset();
    EXPECT_EQ(stuff.CursorSum(), 30);
    EXPECT_EQ(*stuff.StartCursorSum, 30);
}

TEST(MouseStuffTest, NegativeCoordinatesOfALeftScreenAddUp) {
    FakeMouse mouse;
    MouseStuff stuff(mouse);
    mouse.position = {-1920, 40};
    EXPECT_EQ(stuff.CursorSum(), -1880);
}

} // namespace
} // namespace tivrel::test
