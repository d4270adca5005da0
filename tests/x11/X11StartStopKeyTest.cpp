// The start/stop key's grab against a real server: pressed while another program's window
// has the focus, it reaches the program once and the focused window not at all, with the
// lock modifiers on or off; a key another client holds is reported, not fatal.
#include "Waiting.h"

#include "platform/x11/X11StartStopKey.h"

#include <X11/keysym.h>
#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace tivrel::test {
namespace {

using namespace std::chrono_literals;

// Another program's window with the keyboard focus, counting the keys it receives.
class FocusedWindow {
public:
    FocusedWindow() {
        m_connection = xcb_connect(nullptr, nullptr);
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data;
        m_root = screen->root;
        m_window = xcb_generate_id(m_connection);
        const uint32_t values[] = {1, XCB_EVENT_MASK_KEY_PRESS | XCB_EVENT_MASK_KEY_RELEASE |
                                          XCB_EVENT_MASK_EXPOSURE};
        xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, m_window, m_root, 40, 40, 200, 120, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual,
                          XCB_CW_OVERRIDE_REDIRECT | XCB_CW_EVENT_MASK, values);
        xcb_map_window(m_connection, m_window);
        xcb_flush(m_connection);
    }
    ~FocusedWindow() { xcb_disconnect(m_connection); }

    // Takes the focus once the window is viewable.
    bool focus() {
        return waitUntil(
            [this] {
                xcb_set_input_focus(m_connection, XCB_INPUT_FOCUS_POINTER_ROOT, m_window,
                                    XCB_CURRENT_TIME);
                auto* reply = xcb_get_input_focus_reply(m_connection,
                                                        xcb_get_input_focus(m_connection), nullptr);
                const bool focused = reply && reply->focus == m_window;
                std::free(reply);
                return focused;
            },
            5s);
    }
    // The events of the key with this keysym received so far (the modifiers typed with it
    // are not the program's, and reach the window).
    int keyEvents(xcb_keysym_t keysym) {
        const xcb_keycode_t code = codeOf(keysym);
        std::free(
            xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
        while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection)) {
            const int type = event->response_type & 0x7f;
            if (type == XCB_KEY_PRESS || type == XCB_KEY_RELEASE)
                m_keys.push_back(reinterpret_cast<xcb_key_press_event_t*>(event)->detail);
            std::free(event);
        }
        return int(std::count(m_keys.begin(), m_keys.end(), code));
    }
    xcb_window_t root() const { return m_root; }

    // The key with this keysym, as the keyboard has it; 0 where it has none.
    xcb_keycode_t codeOf(xcb_keysym_t keysym) const {
        const xcb_setup_t* setup = xcb_get_setup(m_connection);
        auto* mapping = xcb_get_keyboard_mapping_reply(
            m_connection,
            xcb_get_keyboard_mapping(m_connection, setup->min_keycode,
                                     setup->max_keycode - setup->min_keycode + 1),
            nullptr);
        xcb_keycode_t code = 0;
        const xcb_keysym_t* syms = mapping ? xcb_get_keyboard_mapping_keysyms(mapping) : nullptr;
        for (int i = 0; syms && i < xcb_get_keyboard_mapping_keysyms_length(mapping); ++i) {
            if (syms[i] == keysym) {
                code = xcb_keycode_t(setup->min_keycode + i / mapping->keysyms_per_keycode);
                break;
            }
        }
        std::free(mapping);
        return code;
    }
    // The user at the keyboard, through XTEST: the modifiers down, the key pressed and
    // released, the modifiers up; returns once the server has handled them all.
    bool tap(xcb_keysym_t keysym, const std::vector<xcb_keysym_t>& modifiers = {}) {
        std::vector<xcb_keycode_t> codes;
        for (const xcb_keysym_t sym : modifiers)
            codes.push_back(codeOf(sym));
        codes.push_back(codeOf(keysym));
        for (const xcb_keycode_t code : codes) {
            if (code == 0)
                return false;
        }
        for (const xcb_keycode_t code : codes)
            xcb_test_fake_input(m_connection, XCB_KEY_PRESS, code, XCB_CURRENT_TIME, XCB_NONE, 0, 0,
                                0);
        for (auto code = codes.rbegin(); code != codes.rend(); ++code)
            xcb_test_fake_input(m_connection, XCB_KEY_RELEASE, *code, XCB_CURRENT_TIME, XCB_NONE, 0,
                                0, 0);
        std::free(
            xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
        return true;
    }

private:
    xcb_connection_t* m_connection;
    xcb_window_t m_root;
    xcb_window_t m_window;
    std::vector<xcb_keycode_t> m_keys;
};

class X11StartStopKeyTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(window.focus());
        key.onPressed([this] { ++presses; });
    }
    void TearDown() override {
        // The lock modifiers back off for the tests that follow.
        for (const xcb_keysym_t lock : locksOn)
            window.tap(lock);
    }
    void lockOn(xcb_keysym_t keysym) {
        ASSERT_TRUE(window.tap(keysym)) << keysym;
        locksOn.push_back(keysym);
    }
    bool pressesReach(int count) {
        return waitUntil([&] { return presses >= count; }, 5s) && presses == count;
    }

    FocusedWindow window;
    X11StartStopKey key;
    int presses = 0;
    std::vector<xcb_keysym_t> locksOn;
};

// Each combination of lock modifiers a user may have on when pressing the key.
struct LockCase {
    const char* name;
    std::vector<xcb_keysym_t> locks;
    const char* key;
    xcb_keysym_t keysym; // the key's own keysym
    std::vector<xcb_keysym_t> modifiers;
};

class KeyWithLocksTest : public X11StartStopKeyTest,
                         public ::testing::WithParamInterface<LockCase> {};

TEST_P(KeyWithLocksTest, ReachesTheProgramOnceAndTheFocusedWindowNever) {
    const LockCase& c = GetParam();
    for (const xcb_keysym_t lock : c.locks)
        lockOn(lock);
    ASSERT_EQ(key.hold(QString::fromLatin1(c.key)), StartStopKey::Result::Held);
    const int keysBefore = window.keyEvents(c.keysym);
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(window.tap(c.keysym, c.modifiers));
    EXPECT_TRUE(pressesReach(3)) << presses;
    EXPECT_EQ(window.keyEvents(c.keysym), keysBefore) << "the focused window got the key";

    // Let go, the key is the focused window's again.
    ASSERT_EQ(key.hold(QString()), StartStopKey::Result::Held);
    ASSERT_TRUE(window.tap(c.keysym, c.modifiers));
    EXPECT_TRUE(waitUntil([&] { return window.keyEvents(c.keysym) > keysBefore; }, 5s));
    EXPECT_EQ(presses, 3);
}

INSTANTIATE_TEST_SUITE_P(
    Locks, KeyWithLocksTest,
    ::testing::Values(
        LockCase{"F6", {}, "F6", XK_F6, {}}, LockCase{"NumLock", {XK_Num_Lock}, "F6", XK_F6, {}},
        LockCase{"CapsAndNumLock", {XK_Caps_Lock, XK_Num_Lock}, "F6", XK_F6, {}},
        LockCase{
            "CtrlAltKWithNumLock", {XK_Num_Lock}, "Ctrl+Alt+K", XK_k, {XK_Control_L, XK_Alt_L}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(X11StartStopKeyTest, AKeyAnotherClientHoldsIsTakenAndTheOtherKeepsIt) {
    // Another client's grab of F7 with the lock modifiers off.
    xcb_connection_t* other = xcb_connect(nullptr, nullptr);
    const xcb_keycode_t f7 = window.codeOf(XK_F7);
    ASSERT_NE(f7, 0);
    ASSERT_EQ(
        xcb_request_check(other, xcb_grab_key_checked(other, 0, window.root(), 0, f7,
                                                      XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC)),
        nullptr);

    EXPECT_EQ(key.hold(QStringLiteral("F7")), StartStopKey::Result::Taken);
    EXPECT_EQ(key.heldKey(), QString());
    // No grab of ours is left behind: once the other client goes, F7 is the focused window's.
    xcb_disconnect(other);
    const int keysBefore = window.keyEvents(XK_F7);
    ASSERT_TRUE(window.tap(XK_F7));
    EXPECT_TRUE(waitUntil([&] { return window.keyEvents(XK_F7) > keysBefore; }, 5s));
    EXPECT_EQ(presses, 0);
    // And another key is still had.
    EXPECT_EQ(key.hold(QStringLiteral("F6")), StartStopKey::Result::Held);
}

} // namespace
} // namespace tivrel::test
