#pragma once

#include <windows.h>

#include <functional>

namespace tivrel::test {

// A plain window of the test's own that counts the mouse buttons pressed and released on
// it, and the keys pressed while it has the focus: what input from outside produced, as the
// program under the pointer or with the focus would see it.
class WinTestWindow {
public:
    struct Counts {
        int leftDown = 0;
        int leftUp = 0;
        int rightDown = 0;
        int rightUp = 0;
        int middleDown = 0;
        int middleUp = 0;
        int keyDowns = 0; // keys pressed while the window had the focus
        int total() const {
            return leftDown + leftUp + rightDown + rightUp + middleDown + middleUp;
        }
    };

    // A visible, topmost window at `place` (screen pixels).
    explicit WinTestWindow(const RECT& place);
    ~WinTestWindow();
    WinTestWindow(const WinTestWindow&) = delete;
    WinTestWindow& operator=(const WinTestWindow&) = delete;

    HWND handle() const { return m_window; }
    POINT centre() const;
    const Counts& counts() const { return m_counts; }

private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND m_window = nullptr;
    Counts m_counts;
};

// Handles this thread's window messages until `done` or the deadline (milliseconds).
bool pumpUntil(const std::function<bool()>& done, int timeoutMs = 20000);

// Handles the messages already queued for this thread, and those they lead to at once.
void pumpPending();

} // namespace tivrel::test
