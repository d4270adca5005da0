#pragma once

#include "ChildProcess.h"
#include "PrivateBus.h"

#include <QString>

namespace tivrel::test {

// A system bus of the test's own, as a desktop has one: dbus-daemon, polkit and RealtimeKit,
// each started when asked for and waited for until it takes connections or answers on it. The bus
// listens where DBUS_SYSTEM_BUS_ADDRESS points, which the test program's main sets before anything
// in the process can read it. The services need root to start.
class SystemBus {
public:
    SystemBus() = default;
    ~SystemBus();
    SystemBus(const SystemBus&) = delete;
    SystemBus& operator=(const SystemBus&) = delete;

    // The folder for the socket and the bus's configuration, and the address in it.
    static bool prepare(QString* error);
    static void cleanUp();

    bool startBus(QString* error);
    // A socket where the bus should be that takes connections and never answers: a bus that
    // hangs.
    bool startSilentBus(QString* error);
    bool startPolkit(QString* error);
    bool startRealtimeKit(QString* error);

private:
    bool start(ChildProcess& process, const QStringList& command, const char* busName,
               QString* error);

    PrivateBus m_bus;
    ChildProcess m_polkit;
    ChildProcess m_realtimeKit;
    int m_silentSocket = -1;
};

} // namespace tivrel::test
