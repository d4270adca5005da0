#pragma once

#include "platform/Mouse.h"
#include "platform/PointerWatch.h"

#include <optional>

namespace tivrel {

// Button codes of a click run.
enum ButtonCode : int { LeftButton = 1, RightButton = 2, MiddleButton = 4 };

// The only code that makes mouse input or watches the pointer.
class MouseStuff {
public:
    MouseStuff(Mouse& mouse, PointerWatch& watch) : m_mouse(mouse), m_watch(watch) {}

    // The button of a code; none for any other code.
    static std::optional<MouseButton> buttonOf(int code);

    void ButtonDown(int code);
    void ButtonUp(int code);
    // One press and release at the pointer.
    void ClickButton(int code);

    // A run begins here: from now on any move of the pointer counts.
    void WatchPointer() { m_watch.begin(); }
    // Whether the pointer has moved since WatchPointer; on the click thread or the UI thread.
    bool PointerMoved() { return m_watch.moved(); }
    // The same from what the system has delivered already; right after a click.
    bool PointerMovedSoFar() { return m_watch.movedSoFar(); }
    void StopWatching() { m_watch.end(); }
    bool SeesMoves() const { return m_watch.seesMoves(); }

    // Where the desktop asks the user before a program may click: whether a run must ask
    // first, what to tell the user before the system's dialog comes, and the asking.
    bool MustAsk() const { return m_mouse.mustAsk(); }
    QString AskNotice() { return m_mouse.askNotice(); }
    bool Ask(QString* refusal) { return m_mouse.ask(refusal); }
    // The desktop took back its leave: clicks reach nothing.
    bool InputLost() const { return m_mouse.lost(); }

private:
    Mouse& m_mouse;
    PointerWatch& m_watch;
};

} // namespace tivrel
