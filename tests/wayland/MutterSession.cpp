#include "MutterSession.h"

#include "Waiting.h"

#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QDBusReply>
#include <QDBusVariant>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>

#include <wayland-client.h>

#include <atomic>
#include <csignal>
#include <sys/stat.h>

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

constexpr char kPython[] = "/usr/bin/python3"; // Debian's, which has pyatspi

struct Program {
    const char* file;
    const char* package;
};
constexpr Program kPrograms[] = {
    {"dbus-daemon", "dbus-daemon"},
    {"/usr/libexec/at-spi-bus-launcher", "at-spi2-core"},
    {"pipewire", "pipewire"},
    {"wireplumber", "wireplumber"},
    {"mutter", "mutter"},
    {"/usr/libexec/xdg-desktop-portal-gnome", "xdg-desktop-portal-gnome"},
    {"/usr/libexec/xdg-desktop-portal", "xdg-desktop-portal"},
    {kPython, "python3"},
    {"/usr/lib/python3/dist-packages/pyatspi/__init__.py", "python3-pyatspi"},
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

bool accepts(const QString& socket) {
    wl_display* display = wl_display_connect(QFile::encodeName(socket).constData());
    if (display)
        wl_display_disconnect(display);
    return display != nullptr;
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
        // The portal picks its GNOME backend by the desktop's name.
        QStringLiteral("XDG_CURRENT_DESKTOP=GNOME"),
        // GNOME 48's portal backend opens its display only in a session of a known type.
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

    // The portal's dialog speaks to the accessibility bus; mutter's screen casts go through
    // PipeWire, whose session manager links them. None waits for another.
    // The runtime folder is new: mutter names its display the first free name there.
    m_socket = runtime + QStringLiteral("/wayland-0");
    if (!startChild(m_accessibility, {QStringLiteral("/usr/libexec/at-spi-bus-launcher")},
                    QStringLiteral("at-spi"), error) ||
        !startChild(m_pipewire, {QStringLiteral("pipewire")}, QStringLiteral("pipewire"), error) ||
        !startChild(m_wireplumber, {QStringLiteral("wireplumber")}, QStringLiteral("wireplumber"),
                    error) ||
        // Without XWayland where the test does not ask for it: mutter starts faster.
        !startChild(
            m_mutter,
            QStringList{
                QStringLiteral("mutter"), QStringLiteral("--headless"), QStringLiteral("--wayland"),
                QStringLiteral("--virtual-monitor"),
                QStringLiteral("%1x%2").arg(kOutputSize.width()).arg(kOutputSize.height())} +
                (m_x11 == X11::None ? QStringList{QStringLiteral("--no-x11")} : QStringList{}),
            QStringLiteral("mutter"), error) ||
        !startChild(m_dialogAnswerer,
                    {QString::fromLatin1(kPython), QStringLiteral(TIVREL_PORTAL_DIALOG_SCRIPT),
                     runtime + QStringLiteral("/dialog-answer")},
                    QStringLiteral("dialogs"), error))
        return false;
    const QString screenCast = QStringLiteral("org.gnome.Mutter.ScreenCast");
    const bool mutterUp = waitUntil(
        [&] {
            return (accepts(m_socket) &&
                    bus().interface()->isServiceRegistered(screenCast).value() &&
                    QFileInfo::exists(runtime + QStringLiteral("/pipewire-0"))) ||
                   m_mutter.hasEnded() || m_pipewire.hasEnded();
        },
        20s, 5ms);
    if (!mutterUp || m_mutter.hasEnded() || m_pipewire.hasEnded()) {
        *error = QStringLiteral("mutter did not start (%1): %2")
                     .arg(m_mutter.describeEnd(),
                          logTail(QStringLiteral("mutter")) + logTail(QStringLiteral("pipewire")));
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

    // The portal asks its backend what a screen cast offers once, at its start: the backend
    // must know mutter's by then, or the portal offers none for its whole life.
    const QString backend = QStringLiteral("org.freedesktop.impl.portal.desktop.gnome");
    if (!startChild(m_portalBackend, {QStringLiteral("/usr/libexec/xdg-desktop-portal-gnome")},
                    QStringLiteral("portal-gnome"), error))
        return false;
    if (!waitUntil(
            [&] {
                return sourceTypes(bus(), backend,
                                   QStringLiteral("org.freedesktop.impl.portal.ScreenCast")) != 0 ||
                       m_portalBackend.hasEnded();
            },
            20s, 5ms) ||
        m_portalBackend.hasEnded()) {
        *error = QStringLiteral("the GNOME portal backend did not start (%1): %2")
                     .arg(m_portalBackend.describeEnd(), logTail(QStringLiteral("portal-gnome")));
        return false;
    }
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
    // The other way round from the start. The accessibility bus launcher ends the bus it
    // started only when asked to end; a service's other children share its process group.
    if (m_accessibility.sendSignal(SIGTERM))
        m_accessibility.waitForEnd(2s);
    for (ChildProcess* child : {&m_dialogAnswerer, &m_portal, &m_portalBackend, &m_mutter,
                                &m_wireplumber, &m_pipewire, &m_accessibility, &m_dbus}) {
        if (child->started() && !child->hasEnded())
            ::kill(-pid_t(child->pid()), SIGKILL);
        child->kill();
    }
    if (!m_busAddress.isEmpty())
        QDBusConnection::disconnectFromBus(m_busName);
}

void MutterSession::answerDialogsWith(PortalDialogAnswer answer) {
    QFile file(m_runtime.filePath(QStringLiteral("dialog-answer")));
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(answer == PortalDialogAnswer::Cancel ? "cancel\n" : "share\n");
}

int MutterSession::dialogsAnswered() const {
    QFile file(m_runtime.filePath(QStringLiteral("dialogs.log")));
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    int answered = 0;
    for (const QByteArray& line : file.readAll().split('\n'))
        answered += line == "shared" || line == "cancelled";
    return answered;
}

} // namespace tivrel::test
