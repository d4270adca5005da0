#include "platform/win32/Win32Mouse.h"

#include <QtGlobal>

#include <windows.h>

#include <iterator>

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

void Win32Mouse::send(std::initializer_list<unsigned long> flags) {
    // No movement and no absolute position: the transitions land wherever the pointer is.
    INPUT inputs[2]{};
    UINT count = 0;
    for (const unsigned long f : flags) {
        if (count == std::size(inputs))
            break;
        inputs[count].type = INPUT_MOUSE;
        inputs[count].mi.dwFlags = f;
        ++count;
    }
    if (SendInput(count, inputs, sizeof(INPUT)) == count || m_sendFailed)
        return;
    // Blocked input (a window of higher integrity under the pointer, a locked desktop) is
    // logged once; the run goes on and the user stops it as ever.
    m_sendFailed = true;
    qWarning("Tivrel: SendInput was refused (error %lu)", GetLastError());
}

void Win32Mouse::press(MouseButton button) {
    send({downFlag(button)});
}

void Win32Mouse::release(MouseButton button) {
    send({upFlag(button)});
}

void Win32Mouse::click(MouseButton button) {
    send({downFlag(button), upFlag(button)});
}

} // namespace tivrel
