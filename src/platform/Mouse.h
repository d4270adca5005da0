#pragma once

#include <QtGlobal>

namespace tivrel {

// Button transitions, as the classic mouse-event flags number them. The engine speaks in
// these flags so that every backend maps the same values to its own events.
namespace MouseFlag {
constexpr quint32 LeftDown = 0x0002;
constexpr quint32 LeftUp = 0x0004;
constexpr quint32 RightDown = 0x0008;
constexpr quint32 RightUp = 0x0010;
constexpr quint32 MiddleDown = 0x0020;
constexpr quint32 MiddleUp = 0x0040;
} // namespace MouseFlag

struct PointerPosition {
    qint32 x = 0;
    qint32 y = 0;
};

// Synthetic mouse input at the pointer and the pointer's place on the screen.
class Mouse {
public:
    virtual ~Mouse() = default;
    // Injects the transitions named by flags at the pointer's present place without
    // moving it; flags 0 injects nothing.
    virtual void mouseEvent(quint32 flags) = 0;
    // The pointer's place in screen pixels.
    virtual PointerPosition cursorPos() = 0;
};

} // namespace tivrel
