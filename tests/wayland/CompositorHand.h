#pragma once

#include <QPoint>

namespace tivrel::test {

// The test's own hand on a compositor's pointer, a source of input beside the program's:
// what moves the pointer that every window sees, native Wayland ones and XWayland's alike.
// XTEST inside XWayland moves only XWayland's idea of the pointer, not the compositor's.
// Each call returns once the compositor has handled it.
class CompositorHand {
public:
    virtual ~CompositorHand() = default;
    // In the compositor's global coordinates.
    virtual bool moveTo(QPoint place) = 0;
    // A button by its Linux input code (BTN_LEFT, ...), pressed or released, where the pointer is.
    virtual bool button(int code, bool pressed) = 0;
};

} // namespace tivrel::test
