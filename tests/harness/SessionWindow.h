#pragma once

// A window of a process as the test session shows it to an outside observer. The X session
// reads it from the X tree; another session fills in what its protocol tells.

#include <QRect>
#include <QString>
#include <QStringList>

#include <iosfwd>

namespace tivrel::test {

// What a window is to the user: the session decides it from what the window asks of the
// window manager and where it sits.
enum class WindowKind {
    Normal,   // a top-level window the window manager manages
    Dialog,   // a box that belongs to another window
    TrayIcon, // sits in the tray host
    Menu,     // a pop-up belonging to another window, no tool tip
    Other,    // tool tips and whatever else the window manager leaves alone
};

struct WindowInfo {
    unsigned long id = 0;
    qint64 pid = 0;     // _NET_WM_PID, 0 when unset
    QString name;       // _NET_WM_NAME, else WM_NAME
    QString wmClass;    // the class part of WM_CLASS
    QStringList types;  // _NET_WM_WINDOW_TYPE, atom names
    QStringList states; // _NET_WM_STATE, atom names
    unsigned long transientFor = 0;
    bool viewable = false; // mapped, and every ancestor too
    bool overrideRedirect = false;
    QRect geometry;             // on the screen
    unsigned long trayHost = 0; // the tray host's window it sits in, 0 when in none
    qint64 trayHostPid = 0;
    WindowKind kind = WindowKind::Other;

    bool embeddedInTray() const { return trayHost != 0; }
};

std::ostream& operator<<(std::ostream& out, const WindowInfo& window);

} // namespace tivrel::test
