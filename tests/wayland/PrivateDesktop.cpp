#include "PrivateDesktop.h"

#include "Waiting.h"
#include "X11SocketFolder.h"

#include <QDBusConnectionInterface>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <atomic>
#include <csignal>
#include <sys/stat.h>

namespace tivrel::test {

namespace {

using namespace std::chrono_literals;

constexpr PrivateDesktop::Program kPortal{"/usr/libexec/xdg-desktop-portal", "xdg-desktop-portal"};
constexpr PrivateDesktop::Program kPermissionStore{"/usr/libexec/xdg-permission-store",
                                                   "xdg-desktop-portal"};

std::atomic<int> desktopNumber{0};

} // namespace

PrivateDesktop::PrivateDesktop(X11 x11, QString name, QStringList extra)
    : m_x11(x11), m_name(std::move(name)), m_extra(std::move(extra)),
      m_busName(QStringLiteral("tivrel-desktop-%1").arg(desktopNumber++)) {}

PrivateDesktop::~PrivateDesktop() {
    stop();
}

QString PrivateDesktop::busAddress() const {
    return PrivateBus::address(m_runtime.path());
}

QDBusConnection PrivateDesktop::bus() const {
    return QDBusConnection(m_busName);
}

QStringList PrivateDesktop::environment() const {
    return QStringList{
               QStringLiteral("PATH=") + qEnvironmentVariable("PATH"),
               QStringLiteral("HOME=") + home(),
               QStringLiteral("XDG_RUNTIME_DIR=") + m_runtime.path(),
               QStringLiteral("DBUS_SESSION_BUS_ADDRESS=") + busAddress(),
               QStringLiteral("WAYLAND_DISPLAY=") + m_socket,
               QStringLiteral("XDG_CURRENT_DESKTOP=") + m_name,
           } +
           m_extra;
}

QString PrivateDesktop::find(const Program& program, QString* error) {
    const QString file = QString::fromLatin1(program.file);
    const QString path = file.startsWith(QLatin1Char('/'))
                             ? (QFileInfo::exists(file) ? file : QString())
                             : QStandardPaths::findExecutable(file);
    if (path.isEmpty())
        *error = QStringLiteral("%1 is missing (package %2)").arg(file, program.package);
    return path;
}

QString PrivateDesktop::logPath(const QString& logName) const {
    return m_runtime.filePath(logName + QStringLiteral(".log"));
}

QString PrivateDesktop::logTail(const QString& logName) const {
    QFile log(logPath(logName));
    if (!log.open(QIODevice::ReadOnly))
        return {};
    log.seek(qMax<qint64>(0, log.size() - 2000));
    return QLatin1Char(' ') + QString::fromLocal8Bit(log.readAll());
}

ChildProcess* PrivateDesktop::startChild(const QStringList& command, const QString& logName,
                                         QString* error, const QStringList& extra) {
    auto& child = m_children.emplace_back(std::make_unique<ChildProcess>());
    const QString log = logPath(logName);
    return child->start(command, environment() + extra, log, log, error) ? child.get() : nullptr;
}

bool PrivateDesktop::start(QString* error) {
    if (m_x11 == X11::XWayland && !ensureX11SocketFolder(error))
        return false;
    if (!m_runtime.isValid() || chmod(QFile::encodeName(m_runtime.path()).constData(), 0700) ||
        !QDir().mkpath(home())) {
        *error = QStringLiteral("no temporary folder");
        return false;
    }
    // The accessibility bus before any program that shows a dialog: a program finds it only
    // at its own start.
    return startBus(error) && m_dialogs.start(bus(), environment(), scratch(), error) &&
           startCompositor(error) && startPortalServices(error) && startPortal(error);
}

bool PrivateDesktop::startBus(QString* error) {
    if (!m_bus.start(m_runtime.path(), PrivateBus::Kind::Session, environment(),
                     logPath(QStringLiteral("bus")), error))
        return false;
    if (QDBusConnection::connectToBus(busAddress(), m_busName).isConnected())
        return true;
    *error =
        QStringLiteral("the session bus takes no connection:") + logTail(QStringLiteral("bus"));
    return false;
}

bool PrivateDesktop::startPortalServices(QString* error) {
    QStringList extra;
    const QStringList backend = backendCommand(&extra);
    const QString store = find(kPermissionStore, error);
    if (store.isEmpty())
        return false;
    // The portal asks its backend (what a screen cast offers, on GNOME) and its permission
    // store (where the grants it keeps live) from its start on, and nobody would start either
    // for it.
    m_portalBackend = startChild(backend, QStringLiteral("portal-backend"), error, extra);
    ChildProcess* permissions = startChild({store}, QStringLiteral("permissions"), error);
    if (!m_portalBackend || !permissions)
        return false;
    const QString permissionStore = QStringLiteral("org.freedesktop.impl.portal.PermissionStore");
    if (!waitUntil(
            [&] {
                return m_portalBackend->hasEnded() || permissions->hasEnded() ||
                       (bus().interface()->isServiceRegistered(permissionStore).value() &&
                        backendAnswers());
            },
            30s, 10ms) ||
        m_portalBackend->hasEnded() || permissions->hasEnded()) {
        *error = QStringLiteral("the portal's backend or its permission store did not start (%1, "
                                "%2):%3%4")
                     .arg(m_portalBackend->describeEnd(), permissions->describeEnd(),
                          logTail(QStringLiteral("portal-backend")),
                          logTail(QStringLiteral("permissions")));
        return false;
    }
    return true;
}

bool PrivateDesktop::startPortal(QString* error) {
    const QString portal = find(kPortal, error);
    if (portal.isEmpty())
        return false;
    if (m_portal)
        m_portal->kill();
    m_portal = startChild({portal}, QStringLiteral("portal"), error);
    if (!m_portal)
        return false;
    if (!waitUntil(
            [&] { return m_portal->hasEnded() || m_portalBackend->hasEnded() || portalAnswers(); },
            30s, 10ms) ||
        m_portal->hasEnded() || m_portalBackend->hasEnded()) {
        *error =
            QStringLiteral("the desktop portal did not start (%1; its backend %2):%3%4")
                .arg(m_portal->describeEnd(), m_portalBackend->describeEnd(),
                     logTail(QStringLiteral("portal")), logTail(QStringLiteral("portal-backend")));
        return false;
    }
    return true;
}

void PrivateDesktop::stop() {
    m_dialogs.stop();
    // The other way round from the start; a service's own children share its process group.
    for (auto child = m_children.rbegin(); child != m_children.rend(); ++child) {
        if ((*child)->started() && !(*child)->hasEnded())
            ::kill(-pid_t((*child)->pid()), SIGKILL);
        (*child)->kill();
    }
    m_bus.process().kill();
    QDBusConnection::disconnectFromBus(m_busName);
}

} // namespace tivrel::test
