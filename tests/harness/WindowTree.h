#pragma once

// What an outside observer sees of a process's windows on an X server: the tree walked from
// the root, as xwininfo -tree and xprop would show it. Each look opens a connection of its
// own and closes it again, so a server that goes away later takes no open connection (and,
// with Xlib's fatal I/O error, the test process) with it. Xlib stays out of this header.

#include "SessionWindow.h"

#include <QByteArray>

#include <vector>

namespace tivrel::test {

// A tray host's top window: one whose WM_CLASS class is "trayer".
struct TrayHostInfo {
    unsigned long id = 0;
    qint64 pid = 0;
};

struct DisplayLook {
    bool reached = false;            // false when the display could not be opened
    std::vector<WindowInfo> windows; // of the process asked for, in stacking order
    std::vector<TrayHostInfo> trayHosts;
};

// Walks the whole tree of `display` (":N"; DISPLAY when empty).
DisplayLook lookAt(qint64 pid, const QByteArray& display = {});

// Whether a client can connect to `display` now.
bool displayAccepts(const QByteArray& display);

// Whether the named selection ("_NET_SYSTEM_TRAY_S0") has an owner on `display`.
bool selectionOwned(const char* selection, const QByteArray& display = {});

// Whether a window manager has announced itself on the root window of `display` (the EWMH
// _NET_SUPPORTING_WM_CHECK), which it does once it manages the screen.
bool windowManagerRunning(const QByteArray& display = {});

} // namespace tivrel::test
