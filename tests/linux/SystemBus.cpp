#include "SystemBus.h"

#include "Waiting.h"

#include <QDir>
#include <QFile>

#include <dbus/dbus.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace tivrel::test {

namespace {

constexpr auto kReadyWithin = std::chrono::seconds(15);

QString folder() {
    return QString::fromLocal8Bit(qgetenv("TIVREL_TEST_BUS_FOLDER"));
}
QString socketFile() {
    return folder() + QStringLiteral("/bus");
}
QString address() {
    return PrivateBus::address(folder());
}

// Whether `name` has an owner on the bus, asked on a connection of this question's own.
bool nameHasOwner(const char* name) {
    DBusError error;
    dbus_error_init(&error);
    DBusConnection* bus = dbus_connection_open_private(address().toLocal8Bit().constData(), &error);
    bool owned = false;
    if (bus) {
        dbus_connection_set_exit_on_disconnect(bus, FALSE);
        if (dbus_bus_register(bus, &error))
            owned = dbus_bus_name_has_owner(bus, name, &error);
        dbus_connection_close(bus);
        dbus_connection_unref(bus);
    }
    dbus_error_free(&error);
    return owned;
}

QStringList environment() {
    return {QStringLiteral("PATH=") + QString::fromLocal8Bit(qgetenv("PATH")),
            QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS=") + address()};
}

} // namespace

bool SystemBus::prepare(QString* error) {
    char pattern[] = "/tmp/tivrel-bus-XXXXXX"; // short: a socket's path has room for 107 bytes
    if (!::mkdtemp(pattern)) {
        *error = QStringLiteral("no folder for the bus");
        return false;
    }
    // The services run as users of their own and must reach the socket.
    QFile::setPermissions(QString::fromLocal8Bit(pattern),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                              QFileDevice::ReadOther | QFileDevice::ExeOther |
                              QFileDevice::ReadGroup | QFileDevice::ExeGroup);
    qputenv("TIVREL_TEST_BUS_FOLDER", pattern);
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", address().toLocal8Bit());
    return true;
}

void SystemBus::cleanUp() {
    if (!folder().isEmpty())
        QDir(folder()).removeRecursively();
}

SystemBus::~SystemBus() {
    if (m_silentSocket >= 0)
        ::close(m_silentSocket);
    m_realtimeKit.kill();
    m_polkit.kill();
    m_bus.process().kill();
    QFile::remove(socketFile()); // the next bus, or none, finds no socket left over
}

bool SystemBus::start(ChildProcess& process, const QStringList& command, const char* busName,
                      QString* error) {
    // Nothing to a file: RealtimeKit allows itself no file size, and a write would end it.
    const QString quiet = QStringLiteral("/dev/null");
    if (!process.start(command, environment(), quiet, quiet, error))
        return false;
    if (waitUntil([&] { return nameHasOwner(busName) || process.hasEnded(); }, kReadyWithin) &&
        !process.hasEnded())
        return true;
    *error = QStringLiteral("%1 is not on the bus: %2").arg(command.first(), process.describeEnd());
    return false;
}

bool SystemBus::startBus(QString* error) {
    return m_bus.start(folder(), PrivateBus::Kind::System, environment(),
                       QStringLiteral("/dev/null"), error);
}

bool SystemBus::startSilentBus(QString* error) {
    QFile::remove(socketFile());
    sockaddr_un where{};
    where.sun_family = AF_UNIX;
    const QByteArray path = socketFile().toLocal8Bit();
    std::memcpy(where.sun_path, path.constData(),
                std::min<std::size_t>(std::size_t(path.size()), sizeof where.sun_path - 1));
    m_silentSocket = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    // The kernel completes each connection in the backlog; nobody reads what it sends.
    if (m_silentSocket < 0 ||
        ::bind(m_silentSocket, reinterpret_cast<const sockaddr*>(&where), sizeof where) != 0 ||
        ::listen(m_silentSocket, 16) != 0) {
        *error = QStringLiteral("no socket at %1").arg(socketFile());
        return false;
    }
    return true;
}

bool SystemBus::startPolkit(QString* error) {
    return start(m_polkit,
                 {QStringLiteral("/usr/lib/polkit-1/polkitd"), QStringLiteral("--no-debug")},
                 "org.freedesktop.PolicyKit1", error);
}

bool SystemBus::startRealtimeKit(QString* error) {
    // Without the limits it puts on itself: they count every process of its user, so a second
    // RealtimeKit (the machine's own, say) could not start its threads.
    return start(
        m_realtimeKit,
        {QStringLiteral("/usr/libexec/rtkit-daemon"), QStringLiteral("--no-limit-resources")},
        "org.freedesktop.RealtimeKit1", error);
}

} // namespace tivrel::test
