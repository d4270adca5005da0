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
    FakePointerWatch watch;
    MouseStuff(mouse, watch).ClickButton(c.code);
    EXPECT_EQ(mouse.events, c.events);
}

INSTANTIATE_TEST_SUITE_P(
    Codes, ClickButtonTest,
    ::testing::Values(ButtonCase{1, {{MouseButton::Left, true}, {MouseButton::Left, false}}},
                      ButtonCase{2, {{MouseButton::Right, true}, {MouseButton::Right, false}}},
                      ButtonCase{4, {{MouseButton::Middle, true}, {MouseButton::Middle, false}}},
                      ButtonCase{3, {}}, ButtonCase{0, {}}, ButtonCase{-1, {}}));

} // namespace
} // namespace tivrel::test
