#pragma once

#include "ChildProcess.h"

#include <QString>
#include <QStringList>

#include <string>

namespace tivrel::test {

// The recorder window (tivrel-wayland-recorder) as a child on a compositor, and what it
// received.
class RecorderProcess {
public:
    // Tiled: the compositor makes each window cover the output (sway); FullScreen: the window
    // asks for it.
    enum class Cover { Tiled, FullScreen };

    // On the compositor at `socket` (a full path), its home, runtime and output files in
    // `folder`. Returns once the window is drawn over the whole output.
    bool start(const QString& socket, const QString& folder, QString* error,
               Cover cover = Cover::Tiled);
    // Returns once the pointer has come onto the window.
    bool waitForPointer();
    // What the window received, "press 1", "release 1", ... (Qt's button values).
    QStringList events() const;
    // The events with the pointer's moves between them: "pointer 200 870", "press 1", ...
    QStringList timeline() const;
    // The events in one line, as a failure shows them.
    std::string received() const;
    ChildProcess& process() { return m_process; }

private:
    QStringList lines() const;

    ChildProcess m_process;
    QString m_output;
};

std::string inOneLine(const QStringList& events);

} // namespace tivrel::test
