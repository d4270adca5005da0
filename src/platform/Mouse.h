#pragma once

#include <QtGlobal>

namespace tivrel {

enum class MouseButton { Left, Right, Middle };

struct PointerPosition {
    qint32 x = 0;
    qint32 y = 0;
    friend bool operator==(const PointerPosition&, const PointerPosition&) = default;
};

// Synthetic mouse input at the pointer and the pointer's place on the screen.
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
    // The pointer's place in screen pixels.
    virtual PointerPosition position() = 0;
};

} // namespace tivrel
