#pragma once

#include "platform/StartStopKey.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

class QSocketNotifier;
struct xcb_connection_t;

namespace tivrel {

// The start/stop key as a passive grab on the root window: the X server hands the key to
// this program whatever window has the focus, and the focused program never sees it. One
// grab per combination of the lock modifiers (Caps Lock, Num Lock, Scroll Lock), or the key
// would die whenever one of them is on. On an X connection of its own, read on the UI thread:
// the mouse's connection belongs to the click thread, whose pointer watch drops any event it
// does not know.
class X11StartStopKey final : public StartStopKey {
public:
    X11StartStopKey();
    ~X11StartStopKey() override;

    Result hold(const QString& key) override;
    QString heldKey() const override { return m_held; }

    // The key code and modifier mask the key's name comes to on this server's keyboard;
    // false where the keyboard has no such key.
    struct Grab {
        std::uint8_t keycode = 0;
        std::uint16_t modifiers = 0;
    };

private:
    bool connect();
    void letGo();
    void readEvents();

    xcb_connection_t* m_connection = nullptr;
    std::uint32_t m_root = 0;
    std::unique_ptr<QSocketNotifier> m_notifier;
    std::vector<std::uint16_t> m_grabbedModifiers;
    Grab m_grab;
    QString m_held;
    bool m_down = false; // held down now: the presses that follow are repeats
    // Where the server cannot send repeats as presses alone, a repeat is a release and a
    // press at the same time.
    bool m_detectableRepeat = false;
    std::uint32_t m_releaseTime = 0;
};

} // namespace tivrel
