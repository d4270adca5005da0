#pragma once

#include "ChildProcess.h"

#include <QString>
#include <QStringList>

#include <string>

namespace tivrel::test {

class SwaySession;

// The recorder window (tivrel-wayland-recorder) as a child on a sway, and what it received.
class RecorderProcess {
public:
    // Returns once the window is drawn over the whole output.
    bool start(const SwaySession& sway, QString* error);
    // Returns once the pointer has come onto the window.
    bool waitForPointer();
    // What the window received, "press 1", "release 1", ... (Qt's button values).
    QStringList events() const;
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
