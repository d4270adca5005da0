#include "platform/x11/X11Mouse.h"

#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <cstdlib>

namespace tivrel {

namespace {

// X numbers the buttons left 1, middle 2, right 3.
std::uint8_t xButton(MouseButton button) {
    switch (button) {
    case MouseButton::Left:
        return 1;
    case MouseButton::Middle:
        return 2;
    case MouseButton::Right:
        break;
    }
    return 3;
}

} // namespace

std::unique_ptr<X11Mouse> X11Mouse::open(QString* error) {
    const QString name = qEnvironmentVariable("DISPLAY");
    int screenNumber = 0;
    xcb_connection_t* connection = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        if (error) {
            *error =
                name.isEmpty()
                    ? QStringLiteral("Tivrel needs an X11 session (or XWayland) to click, "
                                     "but no X display is set (DISPLAY is empty).")
                    : QStringLiteral("Tivrel cannot connect to the X display \"%1\".").arg(name);
        }
        return nullptr;
    }
    const xcb_query_extension_reply_t* xtest = xcb_get_extension_data(connection, &xcb_test_id);
    if (!xtest || !xtest->present) {
        xcb_disconnect(connection);
        if (error) {
            *error = QStringLiteral("The X display \"%1\" has no XTEST extension, so Tivrel "
                                    "cannot make mouse clicks there.")
                         .arg(name);
        }
        return nullptr;
    }
    xcb_screen_iterator_t screen = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screenNumber && screen.rem > 1; ++i)
        xcb_screen_next(&screen);
    return std::unique_ptr<X11Mouse>(new X11Mouse(connection, screen.data->root));
}

X11Mouse::X11Mouse(xcb_connection_t* connection, std::uint32_t root)
    : m_connection(connection), m_root(root) {}

X11Mouse::~X11Mouse() {
    xcb_disconnect(m_connection);
}

void X11Mouse::send(MouseButton button, std::initializer_list<bool> presses) {
    // No window and no place: the transition lands wherever the pointer is.
    for (const bool press : presses) {
        xcb_test_fake_input(m_connection, press ? XCB_BUTTON_PRESS : XCB_BUTTON_RELEASE,
                            xButton(button), XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    }
    // In the same write, the cheapest request with a reply: the server answers it only after
    // it has taken the transitions. A server that was held up (busy, or grabbed by another
    // client) takes them only now, so the click thread counts its spacing from here; without
    // the wait, this click and the next could reach the clicked program together.
    std::free(xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
}

void X11Mouse::press(MouseButton button) {
    send(button, {true});
}

void X11Mouse::release(MouseButton button) {
    send(button, {false});
}

void X11Mouse::click(MouseButton button) {
    send(button, {true, false});
}

} // namespace tivrel
