#pragma once

// Helpers that act on the X server from outside the program, each on an X connection of
// its own, the way another application or the user would. Xlib stays out of this header:
// its macros (None, Bool, Status, ...) clash with Qt and with the program's own names.

#include <QPoint>
#include <QRect>

#include <chrono>
#include <cstddef>
#include <functional>
#include <iosfwd>
#include <vector>

struct _XDisplay;

namespace tivrel::test {

// One button transition as a window received it.
struct ButtonRecord {
    bool press = false;  // ButtonPress, else ButtonRelease
    unsigned button = 0; // X numbering: 1 left, 2 middle, 3 right
    QPoint inWindow;     // event x, y
    QPoint onScreen;     // event x_root, y_root

    bool operator==(const ButtonRecord&) const = default;
};

std::ostream& operator<<(std::ostream& out, const ButtonRecord& record);

// A plain X window that records the button presses and releases it receives. It sits
// exactly at the place asked for (the window manager leaves it alone), above the other
// windows, and never takes the keyboard focus, so clicking it leaves the focus where it was.
class RecorderWindow {
public:
    // Whether the window asks for pointer motion, as most programs' windows do: the server
    // then hands motion over it to this window's clients and to no window above it.
    enum class Motion { Ignored, Taken };
    // On the display named (":N"), DISPLAY's when none is.
    explicit RecorderWindow(const QRect& place, const char* displayName = nullptr,
                            Motion motion = Motion::Ignored);
    ~RecorderWindow();
    RecorderWindow(const RecorderWindow&) = delete;
    RecorderWindow& operator=(const RecorderWindow&) = delete;

    // False when the connection could not be opened or the window did not appear; the
    // reason is in error().
    bool isOpen() const { return m_window != 0; }
    const char* error() const { return m_error; }
    const QRect& place() const { return m_place; }

    // Reads what the server has sent so far, without waiting for more. A round trip first,
    // so every event the server produced before this call is included.
    void pump();
    // Reads events until done(events()) holds or the timeout has passed; returns done's
    // last answer.
    bool waitUntil(const std::function<bool(const std::vector<ButtonRecord>&)>& done,
                   std::chrono::milliseconds timeout);
    // Reads events until at least count are recorded or the timeout has passed.
    bool waitForEvents(std::size_t count, std::chrono::milliseconds timeout);

    // Reads and drops what has arrived so far.
    void forget();

    const std::vector<ButtonRecord>& events() const { return m_events; }
    std::size_t pressCount() const;

private:
    void readQueued();
    void handleQueued(bool* mapped);

    QRect m_place;
    _XDisplay* m_display = nullptr;
    unsigned long m_window = 0;
    const char* m_error = "";
    std::vector<ButtonRecord> m_events;
};

// Moves the pointer and types keys through XTEST, as the user at the keyboard would.
class OutsideInput {
public:
    // On the display named (":N"), DISPLAY's when none is.
    explicit OutsideInput(const char* displayName = nullptr);
    ~OutsideInput();
    OutsideInput(const OutsideInput&) = delete;
    OutsideInput& operator=(const OutsideInput&) = delete;

    bool isOpen() const { return m_display != nullptr; }

    // Returns once the server has moved the pointer.
    void movePointer(QPoint onScreen);
    // Puts the pointer there as a program does (XWarpPointer): no device moves, so the
    // server reports no raw motion. Returns once the server has moved it.
    void warpPointer(QPoint onScreen);
    // Presses and releases `button` (X numbering) where the pointer is; returns once the
    // server has handled both.
    void click(unsigned button);
    // Releases every pointer button still held down. The server keeps a button that a
    // failed test pressed and never released, and that would spoil the next tests.
    void releaseButtons();
    // Presses and releases the key with this keysym name ("Return"); returns once the server
    // has sent both to the window with the focus. False when no key gives that keysym.
    bool tapKey(const char* keysymName);
    // Grabs the server, or lets it go: while held, the server handles no other client's
    // requests, as when it is busy.
    void holdServer(bool hold);

private:
    _XDisplay* m_display = nullptr;
};

} // namespace tivrel::test
