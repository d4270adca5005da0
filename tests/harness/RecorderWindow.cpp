#include "RecorderWindow.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <poll.h>

#include <algorithm>
#include <ostream>

namespace tivrel::test {

namespace {

using Clock = std::chrono::steady_clock;

// Waits until the connection has data to read or the deadline has passed.
void waitReadable(Display* display, Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0)
        return;
    pollfd fd{ConnectionNumber(display), POLLIN, 0};
    poll(&fd, 1, int(std::min<long long>(left.count(), 1000)) + 1);
}

} // namespace

std::ostream& operator<<(std::ostream& out, const ButtonRecord& record) {
    return out << (record.press ? "press " : "release ") << record.button << " at ("
               << record.inWindow.x() << ", " << record.inWindow.y() << ") in the window, ("
               << record.onScreen.x() << ", " << record.onScreen.y() << ") on the screen";
}

RecorderWindow::RecorderWindow(const QRect& place, const char* displayName, Motion motion)
    : m_place(place) {
    m_display = XOpenDisplay(displayName);
    if (!m_display) {
        m_error = "cannot open the X display";
        return;
    }
    const int screen = DefaultScreen(m_display);
    XSetWindowAttributes attributes{};
    // Unmanaged: the window manager neither moves, frames nor focuses it.
    attributes.override_redirect = True;
    attributes.background_pixel = WhitePixel(m_display, screen);
    attributes.event_mask = ButtonPressMask | ButtonReleaseMask | StructureNotifyMask |
                            (motion == Motion::Taken ? PointerMotionMask : NoEventMask);
    const Window window = XCreateWindow(
        m_display, RootWindow(m_display, screen), place.x(), place.y(), unsigned(place.width()),
        unsigned(place.height()), 0, CopyFromParent, InputOutput, CopyFromParent,
        CWOverrideRedirect | CWBackPixel | CWEventMask, &attributes);
    XStoreName(m_display, window, "tivrel test recorder");
    XMapRaised(m_display, window);
    XFlush(m_display);

    // Pointer events reach the window only once it is viewable.
    m_window = window;
    bool mapped = false;
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    for (;;) {
        handleQueued(&mapped);
        if (mapped)
            break;
        if (Clock::now() >= deadline) {
            m_window = 0;
            m_error = "the recorder window was not mapped within 10 s";
            return;
        }
        waitReadable(m_display, deadline);
    }
}

RecorderWindow::~RecorderWindow() {
    if (m_display)
        XCloseDisplay(m_display); // destroys the window with the connection
}

void RecorderWindow::handleQueued(bool* mapped) {
    while (XPending(m_display) > 0) {
        XEvent event;
        XNextEvent(m_display, &event);
        switch (event.type) {
        case MapNotify:
            if (mapped && event.xmap.window == m_window)
                *mapped = true;
            break;
        case ButtonPress:
        case ButtonRelease:
            if (event.xbutton.window == m_window) {
                m_events.push_back({event.type == ButtonPress, event.xbutton.button,
                                    QPoint(event.xbutton.x, event.xbutton.y),
                                    QPoint(event.xbutton.x_root, event.xbutton.y_root)});
            }
            break;
        default:
            break;
        }
    }
}

void RecorderWindow::readQueued() {
    handleQueued(nullptr);
}

void RecorderWindow::pump() {
    if (!m_display)
        return;
    XSync(m_display, False);
    readQueued();
}

void RecorderWindow::forget() {
    pump();
    m_events.clear();
}

bool RecorderWindow::waitUntil(const std::function<bool(const std::vector<ButtonRecord>&)>& done,
                               std::chrono::milliseconds timeout) {
    if (!m_display)
        return done(m_events);
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        readQueued();
        if (done(m_events))
            return true;
        if (Clock::now() >= deadline)
            return false;
        waitReadable(m_display, deadline);
    }
}

bool RecorderWindow::waitForEvents(std::size_t count, std::chrono::milliseconds timeout) {
    return waitUntil(
        [count](const std::vector<ButtonRecord>& events) { return events.size() >= count; },
        timeout);
}

std::size_t RecorderWindow::pressCount() const {
    return std::size_t(std::count_if(m_events.begin(), m_events.end(),
                                     [](const ButtonRecord& r) { return r.press; }));
}

OutsideInput::OutsideInput(const char* displayName) : m_display(XOpenDisplay(displayName)) {}

OutsideInput::~OutsideInput() {
    if (m_display)
        XCloseDisplay(m_display);
}

void OutsideInput::movePointer(QPoint onScreen) {
    XTestFakeMotionEvent(m_display, DefaultScreen(m_display), onScreen.x(), onScreen.y(),
                         CurrentTime);
    // Until the server has handled the move, another connection may still read the old place.
    XSync(m_display, False);
}

void OutsideInput::warpPointer(QPoint onScreen) {
    XWarpPointer(m_display, None, DefaultRootWindow(m_display), 0, 0, 0, 0, onScreen.x(),
                 onScreen.y());
    XSync(m_display, False);
}

void OutsideInput::click(unsigned button) {
    XTestFakeButtonEvent(m_display, button, True, CurrentTime);
    XTestFakeButtonEvent(m_display, button, False, CurrentTime);
    XSync(m_display, False);
}

void OutsideInput::releaseButtons() {
    Window root = 0;
    Window child = 0;
    int rootX = 0;
    int rootY = 0;
    int x = 0;
    int y = 0;
    unsigned int mask = 0;
    XQueryPointer(m_display, DefaultRootWindow(m_display), &root, &child, &rootX, &rootY, &x, &y,
                  &mask);
    const unsigned int held[] = {Button1Mask, Button2Mask, Button3Mask, Button4Mask, Button5Mask};
    for (unsigned int button = 1; button <= 5; ++button) {
        if (mask & held[button - 1])
            XTestFakeButtonEvent(m_display, button, False, CurrentTime);
    }
    XSync(m_display, False);
}

void OutsideInput::holdServer(bool hold) {
    if (hold)
        XGrabServer(m_display);
    else
        XUngrabServer(m_display);
    XSync(m_display, False);
}

bool OutsideInput::tapKey(const char* keysymName) {
    const KeySym keysym = XStringToKeysym(keysymName);
    const KeyCode code = keysym == NoSymbol ? 0 : XKeysymToKeycode(m_display, keysym);
    if (code == 0)
        return false;
    XTestFakeKeyEvent(m_display, code, True, CurrentTime);
    XTestFakeKeyEvent(m_display, code, False, CurrentTime);
    XSync(m_display, False);
    return true;
}

} // namespace tivrel::test
