#pragma once

#include "ChildProcess.h"

#include <QPoint>
#include <QString>
#include <QStringList>

#include <functional>
#include <string>
#include <vector>

namespace tivrel::test {

// The recorder window (tivrel-wayland-recorder) as a child on a compositor, and what it
// received.
class RecorderProcess {
public:
    // Returns once the window is drawn over the whole output of the compositor at `socket`;
    // its files go to `folder`. `arguments` for the recorder: "--fullscreen" where the
    // compositor does not tile, "--busy" for a window that draws anew every frame.
    bool start(const QString& socket, const QString& folder, QString* error,
               const QStringList& arguments = {});
    // Puts the pointer on the window at `place` with `move` and returns once the window says
    // it came. A window drawn is shown only with the compositor's next frame, later still on a
    // cold machine, and a move made before that reaches nothing: the move is made again, a
    // pixel aside and back, until the window tells of it; false after 20 s.
    bool bringPointer(const std::function<bool(QPoint)>& move, QPoint place);
    // What the window received, "press 1", "release 1", ... (Qt's button values).
    QStringList events() const;
    // Where the pointer was last seen on the window; (-1, -1) before it came.
    QPoint pointer() const;
    // Whether the window has the keyboard focus, as it last said.
    bool focused() const;
    // The keys it got, "key 16777269" (Qt's key values), one each.
    QStringList keys() const;
    // The presses that came after the pointer was first seen at `place`.
    int pressesAfter(QPoint place) const;
    // With "--times": when each press came, in microseconds of the monotonic clock.
    std::vector<qint64> pressTimes() const;
    // With "--times": whether the window runs at real-time priority, as it asks.
    bool realTime() const { return lines().contains(QStringLiteral("real-time")); }
    // The same in one line, as a failure shows it.
    std::string received() const;
    ChildProcess& process() { return m_process; }

private:
    QStringList lines() const;

    ChildProcess m_process;
    QString m_output;
};

std::string inOneLine(const QStringList& events);

} // namespace tivrel::test
