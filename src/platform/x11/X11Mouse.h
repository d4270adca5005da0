#pragma once

#include "platform/Mouse.h"

#include <QString>

#include <cstdint>
#include <initializer_list>
#include <memory>

struct xcb_connection_t;

namespace tivrel {

// Clicks through the XTEST extension on an X connection of its own, so that it never waits
// behind the toolkit's traffic. The pointer watch reads its motion events on the same
// connection, from the click thread and the UI thread's mouse watch; XCB keeps their
// requests apart. XCB rather than Xlib: Xlib looks for events after each flush and reply,
// four reads of an empty socket per click that the click thread has no use for.
class X11Mouse final : public Mouse {
public:
    // Opens the connection named by DISPLAY and checks for XTEST. On failure returns
    // nullptr and puts a message for the user into error.
    static std::unique_ptr<X11Mouse> open(QString* error);
    ~X11Mouse() override;

    // Each returns once the server has taken the transitions.
    void press(MouseButton button) override;
    void release(MouseButton button) override;
    // Both transitions in one write: the server is woken once per click.
    void click(MouseButton button) override;
    // The connection and its screen's root window, for the pointer watch that shares them.
    xcb_connection_t* connection() const { return m_connection; }
    std::uint32_t root() const { return m_root; }

private:
    X11Mouse(xcb_connection_t* connection, std::uint32_t root);
    void send(MouseButton button, std::initializer_list<bool> presses);

    xcb_connection_t* m_connection;
    std::uint32_t m_root;
};

} // namespace tivrel
