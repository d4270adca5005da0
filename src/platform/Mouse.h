#pragma once

#include <QString>

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

    // Where the desktop asks the user before a program may click (a Wayland desktop's remote
    // desktop service), whether the next run must ask first.
    virtual bool mustAsk() const { return false; }
    // What the system is about to ask, in plain words, for the user to read before its
    // dialog comes; empty once it has been said.
    virtual QString askNotice() { return {}; }
    // Asks through the system's own dialog and waits for the answer, the windows' events
    // going on meanwhile: false and why not when the user refused or the service failed.
    virtual bool ask(QString* refusal) {
        (void)refusal;
        return true;
    }
    // The desktop took its leave back during a run: clicks reach nothing from then on.
    virtual bool lost() const { return false; }
};

} // namespace tivrel
