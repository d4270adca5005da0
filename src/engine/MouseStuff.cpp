#include "engine/MouseStuff.h"

#include "engine/RunWindow.h"
#include "platform/Mouse.h"
#include "platform/SystemMenu.h"

namespace tivrel {

quint32 MouseStuff::pressFlag(int code) {
    switch (code) {
    case LeftButton:
        return MouseFlag::LeftDown;
    case RightButton:
        return MouseFlag::RightDown;
    case MiddleButton:
        return MouseFlag::MiddleDown;
    default:
        return 0;
    }
}

quint32 MouseStuff::releaseFlag(int code) {
    switch (code) {
    case LeftButton:
        return MouseFlag::LeftUp;
    case RightButton:
        return MouseFlag::RightUp;
    case MiddleButton:
        return MouseFlag::MiddleUp;
    default:
        return 0;
    }
}

void MouseStuff::ButtonDown(int code) {
    m_mouse.mouseEvent(pressFlag(code));
}

void MouseStuff::ButtonUp(int code) {
    m_mouse.mouseEvent(releaseFlag(code));
}

void MouseStuff::ClickButton(int code, RunWindow& window) {
    ButtonDown(code);
    ButtonUp(code);
    // The count is 64 bits wide: a run without an amount may go on for days.
    const qint64 count = window.clickCountText().toLongLong();
    window.setClickCountText(QString::number(count + 1));
}

qint32 MouseStuff::CursorSum() {
    const PointerPosition p = m_mouse.cursorPos();
    const qint32 sum = p.x + p.y;
    if (!StartCursorSum)
        StartCursorSum = sum;
    return sum;
}

void RemoveCloseItem(QWidget& window, SystemMenu& menu) {
    menu.removeEntry(window, 6);
    menu.removeEntry(window, 5);
}

} // namespace tivrel
