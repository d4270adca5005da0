#pragma once

#include "platform/WindowStacking.h"

#include <QHash>
#include <QObject>
#include <QPointer>

namespace tivrel {

// The topmost band as the window manager keeps it: the EWMH _NET_WM_STATE_ABOVE state,
// asked for with a client message to the root window. A window manager drops the state
// when the window is unmapped, so the wanted placement is sent again after every show.
class X11WindowStacking final : public WindowStacking {
public:
    X11WindowStacking();
    ~X11WindowStacking() override;
    void makeOnTop(QWidget& window) override;
    void makeNotOnTop(QWidget& window) override;

private:
    void setAbove(QWidget& window, bool above);
    // One watcher per window, a child of it, so it goes with the window.
    QHash<const QWidget*, QPointer<QObject>> m_watchers;
};

} // namespace tivrel
