#include "platform/x11/X11Mouse.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

namespace tivrel {

namespace {

// X numbers the buttons left 1, middle 2, right 3.
unsigned int xButton(MouseButton button) {
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
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        if (error) {
            *error =
                name.isEmpty()
                    ? QStringLiteral("Tivrel needs an X11 session (or XWayland) to click, "
                                     "but no X display is set (DISPLAY is empty).")
                    : QStringLiteral("Tivrel cannot connect to the X display \"%1\".").arg(name);
        }
        return nullptr;
    }
    int eventBase = 0;
    int errorBase = 0;
    int major = 0;
    int minor = 0;
    if (!XTestQueryExtension(display, &eventBase, &errorBase, &major, &minor)) {
        XCloseDisplay(display);
        if (error) {
            *error = QStringLiteral("The X display \"%1\" has no XTEST extension, so Tivrel "
                                    "cannot make mouse clicks there.")
                         .arg(name);
        }
        return nullptr;
    }
    return std::unique_ptr<X11Mouse>(new X11Mouse(display));
}

X11Mouse::X11Mouse(_XDisplay* display) : m_display(display) {}

X11Mouse::~X11Mouse() {
    XCloseDisplay(m_display);
}

void X11Mouse::send(MouseButton button, std::initializer_list<bool> presses) {
    const std::lock_guard lock(m_lock);
    for (const bool press : presses)
        XTestFakeButtonEvent(m_display, xButton(button), press ? True : False, CurrentTime);
    XFlush(m_display);
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

PointerPosition X11Mouse::position() {
    const std::lock_guard lock(m_lock);
    Window root = 0;
    Window child = 0;
    int rootX = 0;
    int rootY = 0;
    int winX = 0;
    int winY = 0;
    unsigned int mask = 0;
    XQueryPointer(m_display, DefaultRootWindow(m_display), &root, &child, &rootX, &rootY, &winX,
                  &winY, &mask);
    return {rootX, rootY};
}

} // namespace tivrel
