#pragma once

#include "platform/Mouse.h"

#include <optional>

namespace tivrel {

// Button codes of a click run.
enum ButtonCode : int { LeftButton = 1, RightButton = 2, MiddleButton = 4 };

// The only code that makes mouse input or reads the pointer.
class MouseStuff {
public:
    explicit MouseStuff(Mouse& mouse) : m_mouse(mouse) {}

    // The button of a code; none for any other code.
    static std::optional<MouseButton> buttonOf(int code);

    void ButtonDown(int code);
    void ButtonUp(int code);
    // One press and release at the pointer.
    void ClickButton(int code);
    // The pointer's place; the first call after StartCursorPos was emptied records it there.
    PointerPosition CursorPos();

    // The pointer's place at the start of the run; empty until the run's first reading.
    std::optional<PointerPosition> StartCursorPos;

private:
    Mouse& m_mouse;
};

} // namespace tivrel
