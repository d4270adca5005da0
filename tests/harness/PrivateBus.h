#pragma once

#include "ChildProcess.h"

#include <QString>
#include <QStringList>

namespace tivrel::test {

// Whether a server listens on the local socket at `path` (a bus's, a compositor's, PipeWire's).
bool listensAt(const QString& path);

// A dbus-daemon of the test's own on the socket `bus` in a folder of the test's: a session
// bus for a headless desktop, or a system bus. It has no service files, so nothing on it is
// started on demand: a service the test did not start stays missing instead of being started
// from the machine with the wrong environment.
class PrivateBus {
public:
    enum class Kind { Session, System };

    PrivateBus() = default;
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

    // Returns once the bus takes connections; false and a reason otherwise. A socket left
    // there by an earlier bus is removed first. Its output goes to `log`.
    bool start(const QString& folder, Kind kind, const QStringList& environment, const QString& log,
               QString* error);
    static QString address(const QString& folder);
    ChildProcess& process() { return m_daemon; }

private:
    ChildProcess m_daemon;
};

} // namespace tivrel::test
