#pragma once

namespace tivrel {

enum class MouseButton { Left, Right, Middle };

// Synthetic mouse input at the pointer. Whether the pointer moved is PointerWatch's.
class Mouse {
public:
    virtual ~Mouse() = default;
    // Presses or releases a button at the pointer's present place without moving it. Each
    // returns once the system has taken the input, not merely once it was sent: the click
    // thread keeps the next click half an interval from when this one returns.
    virtual void press(MouseButton button) = 0;
    virtual void release(MouseButton button) = 0;
    // A press and its release, handed to the system together where it can take both at once.
    virtual void click(MouseButton button) {
        press(button);
        release(button);
    }
};

} // namespace tivrel
