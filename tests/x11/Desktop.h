#pragma once

// The user's side of an X display, driven with the usual tools: xdotool moves the pointer,
// clicks, activates windows and types, xprop reads window properties. Every tool run has a
// time limit, so no test waits forever on a tool that hangs.

#include "WindowTree.h"

#include <QByteArray>
#include <QPoint>
#include <QString>
#include <QStringList>

#include <chrono>

namespace tivrel::test {

struct ToolRun {
    bool finished = false; // false: it did not end in time and was killed
    int exitCode = -1;
    QByteArray output;
    QByteArray errors;

    bool succeeded() const { return finished && exitCode == 0; }
};

class Desktop {
public:
    // `display` ":N"; DISPLAY when empty.
    explicit Desktop(QByteArray display = {});
    const QByteArray& display() const { return m_display; }

    ToolRun run(const QString& tool, const QStringList& arguments,
                std::chrono::milliseconds timeout = std::chrono::seconds(30)) const;
    // Last tool failure, for messages.
    const QString& lastFailure() const { return m_lastFailure; }

    DisplayLook look(qint64 pid) const { return lookAt(pid, m_display); }

    bool movePointer(QPoint onScreen) const;
    // Moves the pointer there and clicks `button` (1 left, 2 middle, 3 right).
    bool click(QPoint onScreen, int button) const;
    // Keys for xdotool key ("Return", "alt+a"), to whatever has the keyboard.
    bool keys(const QStringList& keys) const;
    // Activates the window through the window manager and waits until it is active.
    bool activate(unsigned long window) const;
    // Gives the window the keyboard focus directly, for a display without a window manager.
    bool focus(unsigned long window) const;
    // xprop's view of one property of the window, "" when xprop failed.
    QString xprop(unsigned long window, const QString& property) const;

private:
    bool runOk(const QString& tool, const QStringList& arguments) const;

    QByteArray m_display;
    mutable QString m_lastFailure;
};

} // namespace tivrel::test
