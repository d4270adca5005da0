#pragma once

#include <atomic>
#include <string>
#include <sys/types.h>
#include <thread>

struct _XDisplay;

namespace tivrel::bench {

// A virtual X server of the benchmark's own, on a display number it picks itself, with a
// window manager. Both end with the session, or with the benchmark should it die.
class XSession {
public:
    XSession() = default;
    ~XSession();
    XSession(const XSession&) = delete;
    XSession& operator=(const XSession&) = delete;

    // Starts the server and the window manager, logging into folder; waits for both to be
    // ready (20 s at most each). On failure stops what it started and says why in error.
    bool start(const std::string& folder, std::string* error);
    void stop();

    const std::string& display() const { return m_display; }

private:
    bool startServer(const std::string& folder, std::string* error);
    bool startWindowManager(const std::string& folder, std::string* error);

    pid_t m_server = -1;
    pid_t m_windowManager = -1;
    std::string m_display;
};

struct Point {
    int x;
    int y;
};

// The benchmark's own connection to the display, on which it moves the pointer as the user
// would.
class Desk {
public:
    Desk() = default;
    ~Desk();
    Desk(const Desk&) = delete;
    Desk& operator=(const Desk&) = delete;

    bool open(const std::string& display, std::string* error);
    // Moves the pointer through XTEST and waits until the server has done it.
    void movePointer(Point to);

private:
    _XDisplay* m_display = nullptr;
};

// The window the clicks land on: a plain window, not managed by the window manager, whose
// connection a thread of its own reads, as an application would. That it takes the clicks
// matters for the recorder too: the server sends recorded events on only when it has
// something to send to a client anyway.
class TargetWindow {
public:
    TargetWindow() = default;
    ~TargetWindow();
    TargetWindow(const TargetWindow&) = delete;
    TargetWindow& operator=(const TargetWindow&) = delete;

    bool open(const std::string& display, int x, int y, int width, int height, std::string* error);
    void close();
    // Button presses the window has received so far.
    std::size_t presses() const { return m_presses.load(); }

private:
    void readLoop();

    _XDisplay* m_display = nullptr;
    unsigned long m_window = 0;
    std::thread m_thread;
    std::atomic<bool> m_closing{false};
    std::atomic<std::size_t> m_presses{0};
};

} // namespace tivrel::bench
