#include "platform/win32/Win32Mouse.h"

#include <QtGlobal>

#include <windows.h>

namespace tivrel {

namespace {

DWORD downFlag(MouseButton button) {
    switch (button) {
    case MouseButton::Left:
        return MOUSEEVENTF_LEFTDOWN;
    case MouseButton::Right:
        return MOUSEEVENTF_RIGHTDOWN;
    case MouseButton::Middle:
        break;
    }
    return MOUSEEVENTF_MIDDLEDOWN;
}

DWORD upFlag(MouseButton button) {
    switch (button) {
    case MouseButton::Left:
        return MOUSEEVENTF_LEFTUP;
    case MouseButton::Right:
        return MOUSEEVENTF_RIGHTUP;
    case MouseButton::Middle:
        break;
    }
    return MOUSEEVENTF_MIDDLEUP;
}

} // namespace

void Win32Mouse::send(unsigned long flags) {
    // No movement and no absolute position: the transition lands wherever the pointer is.
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    if (SendInput(1, &input, sizeof input) == 1 || m_sendFailed)
        return;
    // Blocked input (a window of higher integrity under the pointer, a locked desktop) is
    // logged once; the run goes on and the user stops it as ever.
    m_sendFailed = true;
    qWarning("Tivrel: SendInput was refused (error %lu)", GetLastError());
}

void Win32Mouse::press(MouseButton button) {
    send(downFlag(button));
}

void Win32Mouse::release(MouseButton button) {
    send(upFlag(button));
}

PointerPosition Win32Mouse::position() {
    POINT point{};
    if (GetCursorPos(&point)) {
        m_last = {point.x, point.y};
    } else if (!m_readFailed) {
        // On a secure desktop the pointer cannot be read: the last place read stands.
        m_readFailed = true;
        qWarning("Tivrel: GetCursorPos failed (error %lu)", GetLastError());
    }
    return m_last;
}

} // namespace tivrel
