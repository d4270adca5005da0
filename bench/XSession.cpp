#include "XSession.h"

#include "Processes.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace tivrel::bench {

namespace {

constexpr auto kReadyTimeout = std::chrono::seconds(20);

bool stillRunning(pid_t pid) {
    return !waitExit(pid, std::chrono::milliseconds(0));
}

} // namespace

XSession::~XSession() {
    stop();
}

bool XSession::start(const std::string& folder, std::string* error) {
    if (!startServer(folder, error) || !startWindowManager(folder, error)) {
        stop();
        return false;
    }
    return true;
}

bool XSession::startServer(const std::string& folder, std::string* error) {
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
        *error = std::string("no pipe: ") + std::strerror(errno);
        return false;
    }
    // The server writes its display number and a newline to fd 3 once it accepts clients.
    SpawnOptions options;
    options.argv = {"Xvfb",         "-displayfd", "3",   "-screen", "0",
                    "1280x1024x24", "-nolisten",  "tcp", "-noreset"};
    options.environment = environmentWith({});
    options.logPath = folder + "/xvfb.log";
    options.passFd = pipeFds[1];
    options.deathSignal = SIGTERM;
    m_server = spawn(options, error);
    ::close(pipeFds[1]);
    if (m_server < 0) {
        ::close(pipeFds[0]);
        return false;
    }
    std::string number;
    const auto end = std::chrono::steady_clock::now() + kReadyTimeout;
    bool complete = false;
    while (!complete && std::chrono::steady_clock::now() < end) {
        throwIfInterrupted();
        pollfd readable{pipeFds[0], POLLIN, 0};
        if (::poll(&readable, 1, 100) <= 0)
            continue;
        char c = 0;
        const ssize_t n = ::read(pipeFds[0], &c, 1);
        if (n <= 0)
            break; // the server closed it: it ended
        if (c == '\n')
            complete = !number.empty();
        else
            number += c;
    }
    ::close(pipeFds[0]);
    if (!complete) {
        *error = "Xvfb gave no display number (see " + options.logPath + ")";
        return false;
    }
    m_display = ":" + number;
    return true;
}

bool XSession::startWindowManager(const std::string& folder, std::string* error) {
    SpawnOptions options;
    options.argv = {"openbox", "--sm-disable"};
    options.environment = environmentWith({"DISPLAY=" + m_display});
    options.logPath = folder + "/openbox.log";
    options.deathSignal = SIGTERM;
    m_windowManager = spawn(options, error);
    if (m_windowManager < 0)
        return false;
    Display* display = XOpenDisplay(m_display.c_str());
    if (!display) {
        *error = "cannot connect to " + m_display;
        return false;
    }
    // Ready once it announces itself on the root window (the EWMH supporting-WM check).
    const Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", False);
    const auto end = std::chrono::steady_clock::now() + kReadyTimeout;
    bool ready = false;
    while (!ready && std::chrono::steady_clock::now() < end) {
        Atom type = None;
        int format = 0;
        unsigned long items = 0;
        unsigned long after = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(display, DefaultRootWindow(display), check, 0, 1, False, XA_WINDOW,
                               &type, &format, &items, &after, &data) == Success) {
            ready = type == XA_WINDOW && items == 1;
            if (data)
                XFree(data);
        }
        if (!ready) {
            if (!stillRunning(m_windowManager)) {
                m_windowManager = -1;
                break;
            }
            sleepFor(std::chrono::milliseconds(50));
        }
    }
    XCloseDisplay(display);
    if (!ready)
        *error = "openbox did not take over " + m_display + " (see " + options.logPath + ")";
    return ready;
}

void XSession::stop() {
    // Clients before the server they are connected to.
    if (m_windowManager > 0)
        endProcess(m_windowManager, SIGTERM, std::chrono::seconds(3));
    if (m_server > 0)
        endProcess(m_server, SIGTERM, std::chrono::seconds(5));
    m_windowManager = -1;
    m_server = -1;
}

Desk::~Desk() {
    if (m_display)
        XCloseDisplay(m_display);
}

bool Desk::open(const std::string& display, std::string* error) {
    m_display = XOpenDisplay(display.c_str());
    if (!m_display) {
        *error = "cannot connect to " + display;
        return false;
    }
    int eventBase = 0;
    int errorBase = 0;
    int major = 0;
    int minor = 0;
    if (!XTestQueryExtension(m_display, &eventBase, &errorBase, &major, &minor)) {
        *error = "the X server has no XTEST extension";
        return false;
    }
    return true;
}

void Desk::movePointer(Point to) {
    XTestFakeMotionEvent(m_display, -1, to.x, to.y, CurrentTime);
    XSync(m_display, False);
}

TargetWindow::~TargetWindow() {
    close();
}

bool TargetWindow::open(const std::string& display, int x, int y, int width, int height,
                        std::string* error) {
    m_display = XOpenDisplay(display.c_str());
    if (!m_display) {
        *error = "cannot connect to " + display;
        return false;
    }
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    attributes.background_pixel = WhitePixel(m_display, DefaultScreen(m_display));
    attributes.event_mask = ButtonPressMask | ButtonReleaseMask | PointerMotionMask;
    m_window = XCreateWindow(m_display, DefaultRootWindow(m_display), x, y, unsigned(width),
                             unsigned(height), 0, CopyFromParent, InputOutput, CopyFromParent,
                             CWOverrideRedirect | CWBackPixel | CWEventMask, &attributes);
    XStoreName(m_display, m_window, "tivrel-bench target");
    XMapRaised(m_display, m_window);
    XSync(m_display, False);
    m_closing = false;
    m_thread = std::thread([this] { readLoop(); });
    return true;
}

void TargetWindow::close() {
    m_closing = true;
    if (m_thread.joinable())
        m_thread.join();
    if (m_display)
        XCloseDisplay(m_display);
    m_display = nullptr;
}

void TargetWindow::readLoop() {
    pollfd watched{ConnectionNumber(m_display), POLLIN, 0};
    while (!m_closing.load()) {
        const int ready = ::poll(&watched, 1, 20);
        if (ready > 0 && (watched.revents & (POLLERR | POLLHUP | POLLNVAL)))
            break;
        while (XPending(m_display) > 0) {
            XEvent event;
            XNextEvent(m_display, &event);
            if (event.type == ButtonPress)
                ++m_presses;
        }
    }
}

} // namespace tivrel::bench
