#include "PrivateBus.h"

#include "Waiting.h"

#include <QFile>
#include <QStandardPaths>

#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace tivrel::test {

namespace {

// Anyone may own and call anything, and a session bus lets its tests watch every message: the
// services' own policy files, which a real bus reads, are not what the tests are about.
constexpr char kConfig[] = R"(<!DOCTYPE busconfig PUBLIC
 "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>%1</type>
  <listen>unix:path=%2</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow user="*"/>
    <allow own="*"/>
    <allow send_type="method_call"/>
    <allow send_destination="*" eavesdrop="true"/>
    <allow receive_sender="*"/>
    <allow eavesdrop="true"/>
  </policy>
</busconfig>
)";

} // namespace

bool listensAt(const QString& path) {
    const QByteArray file = QFile::encodeName(path);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (file.size() >= qsizetype(sizeof address.sun_path))
        return false;
    std::memcpy(address.sun_path, file.constData(), size_t(file.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const bool connected =
        fd >= 0 && ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    if (fd >= 0)
        ::close(fd);
    return connected;
}

QString PrivateBus::address(const QString& folder) {
    return QStringLiteral("unix:path=") + folder + QStringLiteral("/bus");
}

bool PrivateBus::start(const QString& folder, Kind kind, const QStringList& environment,
                       const QString& log, QString* error) {
    const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
    if (daemon.isEmpty()) {
        *error = QStringLiteral("dbus-daemon is missing (package dbus-daemon)");
        return false;
    }
    const QString socket = folder + QStringLiteral("/bus");
    QFile::remove(socket);
    QFile config(folder + QStringLiteral("/bus.conf"));
    const QString type =
        kind == Kind::Session ? QStringLiteral("session") : QStringLiteral("system");
    if (!config.open(QIODevice::WriteOnly) ||
        config.write(QString::fromLatin1(kConfig).arg(type, socket).toUtf8()) < 0) {
        *error = QStringLiteral("cannot write %1").arg(config.fileName());
        return false;
    }
    config.close();
    if (!m_daemon.start({daemon, QStringLiteral("--nofork"), QStringLiteral("--nopidfile"),
                         QStringLiteral("--config-file=") + config.fileName()},
                        environment, log, log, error))
        return false;
    if (waitUntil([&] { return m_daemon.hasEnded() || listensAt(socket); },
                  std::chrono::seconds(15)) &&
        !m_daemon.hasEnded())
        return true;
    *error = QStringLiteral("the %1 bus did not start: %2").arg(type, m_daemon.describeEnd());
    return false;
}

} // namespace tivrel::test
