#include "MutterSession.h"

#include "Waiting.h"
#include "X11SocketFolder.h"

#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QDBusReply>
#include <QDBusVariant>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>

#include <atomic>
#include <csignal>
#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace tivrel::test {

namespace {

using namespace std::chrono_literals;

// A bus of its own that starts nothing on demand (no service files): every service the
// session has is started here, so none outlives it or comes from the machine's own session.
constexpr char kBusConfig[] =
    "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
    " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
    "<busconfig><type>session</type><listen>unix:path=%1</listen>\n"
    "<policy context=\"default\"><allow send_destination=\"*\" eavesdrop=\"true\"/>"
    "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>\n";

struct Program {
    const char* file;
    const char* package;
};
constexpr Program kPrograms[] = {
    {"dbus-daemon", "dbus-daemon"},
    {"pipewire", "pipewire"},
    {"wireplumber", "wireplumber"},
    {"mutter", "mutter"},
    {"/usr/libexec/xdg-desktop-portal-gnome", "xdg-desktop-portal-gnome"},
    {"/usr/libexec/xdg-desktop-portal", "xdg-desktop-portal"},
    {"/usr/libexec/xdg-permission-store", "xdg-desktop-portal"},
};

QString missingPackage() {
    for (const Program& p : kPrograms) {
        const QString file = QString::fromLatin1(p.file);
        const bool there = file.startsWith(QLatin1Char('/'))
                               ? QFileInfo::exists(file)
                               : !QStandardPaths::findExecutable(file).isEmpty();
        if (!there)
            return QStringLiteral("%1 is missing (package %2)").arg(file, QLatin1String(p.package));
    }
    return {};
}

// Whether a server listens on the local socket at the path `socket` (mutter's, PipeWire's).
bool accepts(const QString& socket) {
    const QByteArray path = QFile::encodeName(socket);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= qsizetype(sizeof address.sun_path))
        return false;
    std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const bool connected =
        fd >= 0 && ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    if (fd >= 0)
        ::close(fd);
    return connected;
}

// The screen cast's source types as the service tells them; 0 until it knows mutter's.
uint sourceTypes(const QDBusConnection& bus, const QString& service, const QString& interface) {
    QDBusInterface properties(service, QStringLiteral("/org/freedesktop/portal/desktop"),
                              QStringLiteral("org.freedesktop.DBus.Properties"), bus);
    const QDBusReply<QDBusVariant> reply =
        properties.call(QStringLiteral("Get"), interface, QStringLiteral("AvailableSourceTypes"));
    return reply.isValid() ? reply.value().variant().toUInt() : 0;
}

std::atomic<int> sessionNumber{0};

} // namespace

MutterSession::MutterSession(X11 x11)
    : m_x11(x11), m_busName(QStringLiteral("tivrel-mutter-%1").arg(sessionNumber++)) {}

MutterSession::~MutterSession() {
    stop();
}

QDBusConnection MutterSession::bus() const {
    return QDBusConnection(m_busName);
}

QStringList MutterSession::environment() const {
    const QString runtime = m_runtime.path();
    return {
        QStringLiteral("PATH=") + qEnvironmentVariable("PATH"),
        QStringLiteral("HOME=") + runtime,
        QStringLiteral("XDG_RUNTIME_DIR=") + runtime,
        QStringLiteral("DBUS_SESSION_BUS_ADDRESS=") + m_busAddress,
        QStringLiteral("WAYLAND_DISPLAY=") + m_socket,
        // The portal picks its GNOME backend by the desktop's name; that backend (GNOME 48)
        // reaches mutter through its service channel only in a Wayland session, and serves
        // nothing but settings otherwise.
        QStringLiteral("XDG_CURRENT_DESKTOP=GNOME"),
        QStringLiteral("XDG_SESSION_TYPE=wayland"),
        // No dconf on the private bus: settings stay in memory.
        QStringLiteral("GSETTINGS_BACKEND=memory"),
    };
}

bool MutterSession::startChild(ChildProcess& child, const QStringList& command,
                               const QString& logName, QString* error) {
    const QString log = m_runtime.filePath(logName + QStringLiteral(".log"));
    return child.start(command, environment(), log, log, error);
}

QString MutterSession::xauthority() const {
    const QStringList cookies =
        QDir(m_runtime.path())
            .entryList({QStringLiteral(".mutter-Xwaylandauth.*")}, QDir::Files | QDir::Hidden);
    return cookies.isEmpty() ? QString() : m_runtime.filePath(cookies.first());
}

QString MutterSession::logTail(const QString& logName) const {
    QFile log(m_runtime.filePath(logName + QStringLiteral(".log")));
    if (!log.open(QIODevice::ReadOnly))
        return {};
    const qint64 size = log.size();
    log.seek(qMax<qint64>(0, size - 2000));
    return QString::fromLocal8Bit(log.readAll());
}

bool MutterSession::start(QString* error) {
    if (const QString missing = missingPackage(); !missing.isEmpty()) {
        *error = missing;
        return false;
    }
    if (m_x11 == X11::XWayland && !ensureX11SocketFolder(error))
        return false;
    if (!m_runtime.isValid() || chmod(QFile::encodeName(m_runtime.path()).constData(), 0700)) {
        *error = QStringLiteral("no temporary folder");
        return false;
    }
    const QString runtime = m_runtime.path();
    const QString busSocket = runtime + QStringLiteral("/bus");
    QFile config(runtime + QStringLiteral("/bus.conf"));
    if (!config.open(QIODevice::WriteOnly) ||
        config.write(QString::fromLatin1(kBusConfig).arg(busSocket).toUtf8()) < 0) {
        *error = QStringLiteral("cannot write the bus config");
        return false;
    }
    config.close();
    m_busAddress = QStringLiteral("unix:path=") + busSocket;
    if (!startChild(m_dbus,
                    {QStringLiteral("dbus-daemon"), QStringLiteral("--nofork"),
                     QStringLiteral("--config-file=") + config.fileName()},
                    QStringLiteral("dbus"), error))
        return false;
    const bool busUp = waitUntil(
        [&] {
            if (!QFileInfo::exists(busSocket))
                return m_dbus.hasEnded();
            return QDBusConnection::connectToBus(m_busAddress, m_busName).isConnected() ||
                   m_dbus.hasEnded();
        },
        10s, 5ms);
    if (!busUp || !bus().isConnected()) {
        *error =
            QStringLiteral("the session bus did not start: ") + logTail(QStringLiteral("dbus"));
        return false;
    }

    // mutter's screen casts go through PipeWire, whose session manager links them. The
    // session manager gives up at once where PipeWire does not yet take clients, and then
    // no stream of the session is ever linked: it waits for PipeWire's sockets.
    const QString pipewireSockets[] = {runtime + QStringLiteral("/pipewire-0"),
                                       runtime + QStringLiteral("/pipewire-0-manager")};
    if (!startChild(m_pipewire, {QStringLiteral("pipewire")}, QStringLiteral("pipewire"), error))
        return false;
    if (!waitUntil(
            [&] {
                return m_pipewire.hasEnded() ||
                       (accepts(pipewireSockets[0]) && accepts(pipewireSockets[1]));
            },
            10s, 5ms) ||
        m_pipewire.hasEnded()) {
        *error = QStringLiteral("PipeWire did not start (%1): %2")
                     .arg(m_pipewire.describeEnd(), logTail(QStringLiteral("pipewire")));
        return false;
    }
    // The runtime folder is new: mutter names its display the first free name there.
    m_socket = runtime + QStringLiteral("/wayland-0");
    if (!startChild(m_wireplumber, {QStringLiteral("wireplumber")}, QStringLiteral("wireplumber"),
                    error) ||
        // Without XWayland where the test does not ask for it: mutter starts faster.
        !startChild(
            m_mutter,
            QStringList{
                QStringLiteral("mutter"), QStringLiteral("--headless"), QStringLiteral("--wayland"),
                QStringLiteral("--virtual-monitor"),
                QStringLiteral("%1x%2").arg(kOutputSize.width()).arg(kOutputSize.height())} +
                (m_x11 == X11::None ? QStringList{QStringLiteral("--no-x11")} : QStringList{}),
            QStringLiteral("mutter"), error))
        return false;
    const QString screenCast = QStringLiteral("org.gnome.Mutter.ScreenCast");
    const bool mutterUp = waitUntil(
        [&] {
            return (accepts(m_socket) &&
                    bus().interface()->isServiceRegistered(screenCast).value()) ||
                   m_mutter.hasEnded() || m_pipewire.hasEnded() || m_wireplumber.hasEnded();
        },
        20s, 5ms);
    if (!mutterUp || m_mutter.hasEnded() || m_pipewire.hasEnded() || m_wireplumber.hasEnded()) {
        *error =
            QStringLiteral("mutter, PipeWire or its session manager did not start (%1, %2, "
                           "%3): %4")
                .arg(m_mutter.describeEnd(), m_pipewire.describeEnd(), m_wireplumber.describeEnd(),
                     logTail(QStringLiteral("mutter")) + logTail(QStringLiteral("pipewire")) +
                         logTail(QStringLiteral("wireplumber")));
        return false;
    }
    // mutter names the display it listens on for X11 clients in its log, and starts
    // XWayland at the first one.
    if (m_x11 == X11::XWayland) {
        const QRegularExpression named(QStringLiteral("Using public X11 display (:\\d+)"));
        waitUntil(
            [&] {
                QFile log(m_runtime.filePath(QStringLiteral("mutter.log")));
                if (log.open(QIODevice::ReadOnly))
                    m_xwaylandDisplay =
                        named.match(QString::fromLocal8Bit(log.readAll())).captured(1);
                return !m_xwaylandDisplay.isEmpty();
            },
            10s, 5ms);
        if (m_xwaylandDisplay.isEmpty()) {
            *error =
                QStringLiteral("mutter named no X11 display: ") + logTail(QStringLiteral("mutter"));
            return false;
        }
    }

    if (!m_dialogs.start(bus(), environment(), runtime, error))
        return false;

    // The portal asks its backend what a screen cast offers once, at its start: the backend
    // must know mutter's by then, or the portal offers none for its whole life. The grants the
    // portal keeps live in the permission store, which it asks from its start on too.
    const QString backend = QStringLiteral("org.freedesktop.impl.portal.desktop.gnome");
    const QString permissions = QStringLiteral("org.freedesktop.impl.portal.PermissionStore");
    if (!startChild(m_portalBackend, {QStringLiteral("/usr/libexec/xdg-desktop-portal-gnome")},
                    QStringLiteral("portal-gnome"), error) ||
        !startChild(m_permissions, {QStringLiteral("/usr/libexec/xdg-permission-store")},
                    QStringLiteral("permissions"), error))
        return false;
    if (!waitUntil(
            [&] {
                return (sourceTypes(bus(), backend,
                                    QStringLiteral("org.freedesktop.impl.portal.ScreenCast")) !=
                            0 &&
                        bus().interface()->isServiceRegistered(permissions).value()) ||
                       m_portalBackend.hasEnded() || m_permissions.hasEnded();
            },
            20s, 5ms) ||
        m_portalBackend.hasEnded() || m_permissions.hasEnded()) {
        *error = QStringLiteral("the GNOME portal backend or the permission store did not start "
                                "(%1, %2): %3")
                     .arg(m_portalBackend.describeEnd(), m_permissions.describeEnd(),
                          logTail(QStringLiteral("portal-gnome")) +
                              logTail(QStringLiteral("permissions")));
        return false;
    }
    return startPortal(error);
}

bool MutterSession::startPortal(QString* error) {
    m_portal.kill();
    if (!startChild(m_portal, {QStringLiteral("/usr/libexec/xdg-desktop-portal")},
                    QStringLiteral("portal"), error))
        return false;
    if (!waitUntil(
            [&] {
                return sourceTypes(bus(), QStringLiteral("org.freedesktop.portal.Desktop"),
                                   QStringLiteral("org.freedesktop.portal.ScreenCast")) != 0 ||
                       m_portal.hasEnded();
            },
            20s, 5ms) ||
        m_portal.hasEnded()) {
        *error = QStringLiteral("the desktop portal did not start (%1): %2")
                     .arg(m_portal.describeEnd(), logTail(QStringLiteral("portal")));
        return false;
    }
    return true;
}

void MutterSession::stop() {
    // The other way round from the start; a service's other children share its process group.
    m_dialogs.stop();
    for (ChildProcess* child : {&m_portal, &m_permissions, &m_portalBackend, &m_mutter,
                                &m_wireplumber, &m_pipewire, &m_dbus}) {
        if (child->started() && !child->hasEnded())
            ::kill(-pid_t(child->pid()), SIGKILL);
        child->kill();
    }
    if (!m_busAddress.isEmpty())
        QDBusConnection::disconnectFromBus(m_busName);
}

} // namespace tivrel::test
