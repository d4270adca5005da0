#include "engine/MouseStuff.h"

namespace tivrel {

std::optional<MouseButton> MouseStuff::buttonOf(int code) {
    switch (code) {
    case LeftButton:
        return MouseButton::Left;
    case RightButton:
        return MouseButton::Right;
    case MiddleButton:
        return MouseButton::Middle;
    default:
        return std::nullopt;
    }
}

void MouseStuff::ButtonDown(int code) {
    if (const auto button = buttonOf(code))
        m_mouse.press(*button);
}

void MouseStuff::ButtonUp(int code) {
    if (const auto button = buttonOf(code))
        m_mouse.release(*button);
}

void MouseStuff::ClickButton(int code) {
    if (const auto button = buttonOf(code))
        m_mouse.click(*button);
}

} // namespace tivrel
