#pragma once

// The desktop the real program runs on in the tests and the benchmark, as the program's
// driver needs it: started and stopped, reached by a child through its environment, input
// from outside as the user's hands give it, and a process's windows as an outside observer
// sees them. X11TestSession (Xvfb, openbox, trayer) implements it, and so does
// WaylandTestSession (tests/wayland/: a headless sway) with the same five things: its start
// and stop, the environment its clients need (WAYLAND_DISPLAY), pointer and keys through its
// virtual input, and the windows of a process with their kind, title and place; and
// XWaylandTestSession (tests/wayland/: a headless KWin with XWayland), whose windows and keys
// are X11's and whose pointer is the compositor's.

#include "SessionWindow.h"

#include <QPoint>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <vector>

namespace tivrel::test {

class TestSession {
public:
    virtual ~TestSession() = default;

    // Returns once the session takes clients; on failure says why in error.
    virtual bool start(QString* error) = 0;
    // Ends what start started; a session someone else runs is left alone.
    virtual void stop() = 0;
    // For messages: which session this is (":N").
    virtual QString name() const = 0;

    // Points a child's environment at this session, and away from any other desktop the
    // caller runs in.
    virtual void addTo(QProcessEnvironment& environment) const = 0;

    // Each returns once the session has handled the input; false, with lastFailure(), when
    // it could not be given.
    virtual bool movePointer(QPoint onScreen) const = 0;
    // Moves the pointer there and clicks `button` (1 left, 2 middle, 3 right) as a hand does,
    // the button held for a moment.
    virtual bool click(QPoint onScreen, int button) const = 0;
    // Keys to whatever has the keyboard, one after the other: "Return", "Down", "alt+a", "7".
    virtual bool keys(const QStringList& keys) const = 0;
    // Brings the window to the front with the keyboard focus, as the user's click on it would,
    // and returns once it has the focus.
    virtual bool activate(unsigned long window) const = 0;

    // The windows of the process, in stacking order, bottom first.
    virtual std::vector<WindowInfo> windowsOf(qint64 pid) const = 0;

    virtual const QString& lastFailure() const = 0;
};

} // namespace tivrel::test
