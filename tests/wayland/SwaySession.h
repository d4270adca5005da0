#pragma once

#include "ChildProcess.h"

#include <QSize>
#include <QString>
#include <QTemporaryDir>

namespace tivrel::test {

// A headless sway of the test's own, without XWayland, run as an unprivileged user (sway
// refuses root) in a runtime folder that user owns. The test process, root or not, reaches
// it through the socket's full path. Stopped when the object goes.
class SwaySession {
public:
    // The one output's size, as the program driver's places expect it.
    static constexpr QSize kOutputSize{1280, 1024};

    SwaySession();
    ~SwaySession();

    // Returns once sway accepts clients; false and a reason otherwise.
    bool start(QString* error);
    // WAYLAND_DISPLAY for a client: the socket's full path.
    QString socket() const { return m_socket; }
    ChildProcess& process() { return m_sway; }
    // SWAYSOCK for swaymsg.
    QString ipcSocket() const;
    // A folder for the logs and the clients' own runtime files.
    QString scratch() const { return m_scratch.path(); }

private:
    QTemporaryDir m_runtime;
    QTemporaryDir m_scratch;
    ChildProcess m_sway;
    QString m_socket;
};

} // namespace tivrel::test
