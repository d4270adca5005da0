// The start/stop key as Windows holds it, pressed while a window of the test's own has the
// focus (Wine hands a hot key to a program only while one of its windows has the focus): the
// program hears each press once, and the focused window never gets the key.
#include "platform/win32/Win32StartStopKey.h"
#include "WinTestWindow.h"

#include <gtest/gtest.h>

#include <vector>

namespace tivrel::test {
namespace {

// `downs` key-down events (the second and later are a held key's repeats), then the release.
void typeKey(WORD virtualKey, int downs) {
    std::vector<INPUT> inputs(std::size_t(downs) + 1);
    for (INPUT& input : inputs) {
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = virtualKey;
    }
    inputs.back().ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(UINT(inputs.size()), inputs.data(), sizeof(INPUT));
}

class Win32StartStopKeyTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(target.handle(), nullptr);
        SetForegroundWindow(target.handle());
        SetFocus(target.handle());
        ASSERT_TRUE(pumpUntil([this] { return GetFocus() == target.handle(); }, 5000))
            << "the test window never got the focus";
        key.onPressed([this] { ++presses; });
    }
    // Types the key and waits until either the program or the focused window heard of it.
    void typeAndSettle(WORD virtualKey, int downs) {
        typeKey(virtualKey, downs);
        pumpUntil([this] { return presses > 0 || target.counts().keyDowns > 0; }, 3000);
        pumpUntil([] { return false; }, 200); // what else the system would still hand out
    }

    WinTestWindow target{RECT{100, 100, 400, 300}};
    Win32StartStopKey key;
    int presses = 0;
};

struct KeyCase {
    const char* name;
    const char* held;
    int downs;
    int presses;
    int keysAtTheFocus;
};

const KeyCase kKeyCases[] = {
    {"PressedOnce", "F6", 1, 1, 0},
    {"HeldDownDoesNotRepeat", "F6", 4, 1, 0},
    {"NoneHeldTheKeyGoesToTheFocus", "", 1, 0, 1},
};

class Win32StartStopKeyCase : public Win32StartStopKeyTest,
                              public ::testing::WithParamInterface<KeyCase> {};

TEST_P(Win32StartStopKeyCase, ReachesTheProgramOnly) {
    const KeyCase& c = GetParam();
    ASSERT_EQ(key.hold(QString::fromLatin1(c.held)), StartStopKey::Result::Held);
    typeAndSettle(VK_F6, c.downs);
    EXPECT_EQ(presses, c.presses);
    EXPECT_EQ(target.counts().keyDowns, c.keysAtTheFocus);
}

INSTANTIATE_TEST_SUITE_P(Keys, Win32StartStopKeyCase, ::testing::ValuesIn(kKeyCases),
                         [](const auto& info) { return std::string(info.param.name); });

// A key that another holder registered first is the other's: this one says so, and the other
// keeps it.
TEST_F(Win32StartStopKeyTest, AKeyHeldElsewhereIsTaken) {
    Win32StartStopKey other;
    int otherPresses = 0;
    other.onPressed([&otherPresses] { ++otherPresses; });
    ASSERT_EQ(other.hold(QStringLiteral("F6")), StartStopKey::Result::Held);
    EXPECT_EQ(key.hold(QStringLiteral("F6")), StartStopKey::Result::Taken);
    EXPECT_TRUE(key.heldKey().isEmpty());
    typeAndSettle(VK_F6, 1);
    EXPECT_EQ(otherPresses, 1);
    EXPECT_EQ(presses, 0);
}

} // namespace
} // namespace tivrel::test
