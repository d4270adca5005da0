#include "KWinSession.h"

#include "Waiting.h"
#include "X11SocketFolder.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace tivrel::test {

namespace {

using namespace std::chrono_literals;

// A session bus that starts nothing itself: a service the session lacks stays missing
// instead of being started with the wrong environment (the document portal, say, which would
// mount a FUSE file system in the runtime folder).
constexpr char kBusConfig[] = R"(<!DOCTYPE busconfig PUBLIC
 "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:path=%1</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
)";

// What KWin reads to grant its fake input to a program.
constexpr char kFakeInputEntry[] = "[Desktop Entry]\n"
                                   "Type=Application\n"
                                   "Name=Tivrel test input\n"
                                   "NoDisplay=true\n"
                                   "Exec=%1\n"
                                   "X-KDE-Wayland-Interfaces=org_kde_kwin_fake_input\n";

// The menu KDE's service cache (kbuildsycoca6) lists applications by: without one it lists
// none, and KWin 6 then finds no desktop file that asks for its fake input.
constexpr char kMenu[] = "<!DOCTYPE Menu PUBLIC \"-//freedesktop//DTD Menu 1.0//EN\"\n"
                         " \"http://www.freedesktop.org/standards/menu-spec/1.0/menu.dtd\">\n"
                         "<Menu><Name>Applications</Name><DefaultAppDirs/>"
                         "<Include><All/></Include></Menu>\n";

// What KWin starts once XWayland takes clients: it writes the display KWin chose, which
// KWin tells only the programs it starts.
constexpr char kTellDisplay[] = "#!/bin/sh\n"
                                "echo \"$DISPLAY\" > %1.part && mv %1.part %1\n";

bool writeFile(const QString& path, const QByteArray& text) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
}

QString logText(const QString& path) {
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return QString::fromLocal8Bit(file.readAll().right(2000));
}

// Whether `service` answers `method` on `bus`.
bool answers(const QDBusConnection& bus, const QString& service, const QString& path,
             const QString& interface, const QString& method, const QVariantList& arguments) {
    QDBusMessage call = QDBusMessage::createMethodCall(service, path, interface, method);
    call.setArguments(arguments);
    return bus.call(call, QDBus::Block, 2000).type() == QDBusMessage::ReplyMessage;
}

} // namespace

KWinSession::KWinSession(X11 x11)
    : m_x11(x11), m_busName(QStringLiteral("tivrel-kwin-session-%1").arg(quintptr(this), 0, 16)) {}

KWinSession::~KWinSession() {
    QDBusConnection::disconnectFromBus(m_busName);
}

QString KWinSession::busAddress() const {
    return QStringLiteral("unix:path=") + m_runtime.filePath(QStringLiteral("bus"));
}

QDBusConnection KWinSession::bus() const {
    return QDBusConnection::connectToBus(busAddress(), m_busName);
}

QStringList KWinSession::environment() const {
    return {
        QStringLiteral("PATH=") + qEnvironmentVariable("PATH"),
        QStringLiteral("HOME=") + m_runtime.filePath(QStringLiteral("home")),
        QStringLiteral("XDG_RUNTIME_DIR=") + m_runtime.path(),
        QStringLiteral("DBUS_SESSION_BUS_ADDRESS=") + busAddress(),
        QStringLiteral("XDG_CURRENT_DESKTOP=KDE"),
        QStringLiteral("WAYLAND_DISPLAY=") + m_socket,
    };
}

bool KWinSession::startChild(ChildProcess& child, const QStringList& command,
                             const QStringList& extra, const QString& logName, QString* error) {
    const QString log = scratch() + QLatin1Char('/') + logName;
    return child.start(command, environment() + extra, log, log, error);
}

bool KWinSession::start(QString* error) {
    if (m_x11 == X11::XWayland && !ensureX11SocketFolder(error))
        return false;
    if (!m_runtime.isValid() || !m_scratch.isValid()) {
        *error = QStringLiteral("no temporary folder");
        return false;
    }
    // Each program with the package that has it, so that a missing one says what to install.
    struct Needed {
        const char* program;
        const char* package;
        QString path;
    } needed[] = {
        {"dbus-daemon", "dbus-daemon", {}},
        {"kwin_wayland", "kwin-wayland", {}},
        {"pipewire", "pipewire-bin", {}},
        {"/usr/libexec/xdg-desktop-portal", "xdg-desktop-portal", {}},
        {"/usr/lib/" TIVREL_LIBRARY_ARCHITECTURE "/libexec/xdg-desktop-portal-kde",
         "xdg-desktop-portal-kde",
         {}},
        {"/usr/libexec/xdg-permission-store", "xdg-desktop-portal", {}},
    };
    for (Needed& n : needed) {
        const QString program = QString::fromLatin1(n.program);
        n.path = program.startsWith(QLatin1Char('/'))
                     ? (QFile::exists(program) ? program : QString())
                     : QStandardPaths::findExecutable(program);
        if (n.path.isEmpty()) {
            *error = QStringLiteral("%1 not found (package %2)").arg(program, n.package);
            return false;
        }
    }
    const QString runtime = m_runtime.path();
    const QString home = m_runtime.filePath(QStringLiteral("home"));
    const QString self = QFileInfo(QCoreApplication::applicationFilePath()).canonicalFilePath();
    // KWin refuses its own Qt platform plugin to a program whose name is not kwin_wayland, and
    // this system refuses to run the installed one, which carries a file capability: a plain
    // copy under the same name runs.
    const QString kwin = runtime + QStringLiteral("/bin/kwin_wayland");
    if (!QDir().mkpath(runtime + QStringLiteral("/bin")) ||
        !QDir().mkpath(home + QStringLiteral("/.local/share/applications")) ||
        !QDir().mkpath(home + QStringLiteral("/.config/menus")) ||
        !writeFile(home + QStringLiteral("/.config/menus/applications.menu"), kMenu) ||
        !QFile::copy(needed[1].path, kwin) ||
        !writeFile(
            runtime + QStringLiteral("/bus.conf"),
            QString::fromLatin1(kBusConfig).arg(runtime + QStringLiteral("/bus")).toUtf8()) ||
        !writeFile(home + QStringLiteral("/.local/share/applications/tivrel-test-input.desktop"),
                   QString::fromLatin1(kFakeInputEntry).arg(self).toUtf8())) {
        *error = QStringLiteral("cannot prepare the session's folder %1").arg(runtime);
        return false;
    }

    if (!startChild(m_bus,
                    {needed[0].path, QStringLiteral("--nofork"), QStringLiteral("--nopidfile"),
                     QStringLiteral("--config-file=") + runtime + QStringLiteral("/bus.conf")},
                    {}, QStringLiteral("bus.log"), error))
        return false;
    const QString busSocket = runtime + QStringLiteral("/bus");
    if (!waitUntil([&] { return QFile::exists(busSocket) || m_bus.hasEnded(); }, 10s, 10ms) ||
        m_bus.hasEnded() || !bus().isConnected()) {
        *error = QStringLiteral("dbus-daemon did not start: ") + logText(scratch() + "/bus.log");
        return false;
    }

    // KWin 6 reads the desktop files through KDE's service cache: made before it starts (KWin
    // 5 reads them itself).
    if (const QString cache = QStandardPaths::findExecutable(QStringLiteral("kbuildsycoca6"));
        !cache.isEmpty()) {
        ChildProcess builder;
        if (!startChild(builder, {cache, QStringLiteral("--noincremental")}, {},
                        QStringLiteral("kbuildsycoca.log"), error))
            return false;
        if (!builder.waitForEnd(60s) || !builder.exitedNormally() || builder.exitCode() != 0) {
            *error = QStringLiteral("kbuildsycoca6 failed (%1): %2")
                         .arg(builder.describeEnd(), logText(scratch() + "/kbuildsycoca.log"));
            return false;
        }
    }
    // KDE's portal shows its dialogs even headless (Plasma 6): the user who answers them.
    if (!m_dialogs.start(bus(), environment(), scratch(), error))
        return false;

    const QString socket = runtime + QStringLiteral("/wayland-0");
    QStringList command{kwin,
                        QStringLiteral("--virtual"),
                        QStringLiteral("--no-lockscreen"),
                        QStringLiteral("--socket"),
                        QStringLiteral("wayland-0"),
                        QStringLiteral("--width"),
                        QString::number(kOutputSize.width()),
                        QStringLiteral("--height"),
                        QString::number(kOutputSize.height())};
    const QString displayFile = runtime + QStringLiteral("/xwayland-display");
    if (m_x11 == X11::XWayland) {
        const QString tell = runtime + QStringLiteral("/bin/tell-display");
        if (!writeFile(tell, QString::fromLatin1(kTellDisplay).arg(displayFile).toUtf8()) ||
            !QFile::setPermissions(tell, QFileDevice::ReadOwner | QFileDevice::ExeOwner)) {
            *error = QStringLiteral("cannot write %1").arg(tell);
            return false;
        }
        command << QStringLiteral("--xwayland") << tell;
    }
    QElapsedTimer clock;
    clock.start();
    // QPainter composition: llvmpipe's OpenGL would cost the machine's cores for nothing.
    if (!startChild(m_kwin, command, {QStringLiteral("KWIN_COMPOSE=Q")}, QStringLiteral("kwin.log"),
                    error))
        return false;
    const QString scripting = QStringLiteral("/Scripting");
    const bool kwinUp = waitUntil(
        [&] {
            return m_kwin.hasEnded() ||
                   (QFile::exists(socket) && (m_x11 == X11::None || QFile::exists(displayFile)) &&
                    answers(bus(), QStringLiteral("org.kde.KWin"), scripting,
                            QStringLiteral("org.kde.kwin.Scripting"),
                            QStringLiteral("isScriptLoaded"), {QStringLiteral("none")}));
        },
        30s, 10ms);
    if (!kwinUp || m_kwin.hasEnded()) {
        *error = QStringLiteral("KWin did not start (%1): %2")
                     .arg(m_kwin.describeEnd(), logText(scratch() + "/kwin.log"));
        return false;
    }
    m_kwinStartSeconds = double(clock.nsecsElapsed()) / 1e9;
    m_socket = socket;
    if (m_x11 == X11::XWayland) {
        QFile file(displayFile);
        if (file.open(QIODevice::ReadOnly))
            m_xwaylandDisplay = QString::fromLocal8Bit(file.readAll()).trimmed();
        if (!m_xwaylandDisplay.startsWith(QLatin1Char(':'))) {
            *error = QStringLiteral("KWin named no XWayland display: ") +
                     logText(scratch() + "/kwin.log");
            return false;
        }
    }

    if (!startChild(m_pipewire, {needed[2].path}, {}, QStringLiteral("pipewire.log"), error) ||
        !startChild(m_permissions, {needed[5].path}, {}, QStringLiteral("permissions.log"),
                    error) ||
        // Qt tells the accessibility bus of its windows only where asked to.
        !startChild(m_portalBackend, {needed[4].path},
                    {QStringLiteral("QT_QPA_PLATFORM=wayland"),
                     QStringLiteral("QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1")},
                    QStringLiteral("portal-kde.log"), error))
        return false;
    // The portal asks its backend by name from the first request on, and its permission store
    // (where the grants it keeps live) from its start, and nobody would start either for it.
    const QString backend = QStringLiteral("org.freedesktop.impl.portal.desktop.kde");
    const QString permissions = QStringLiteral("org.freedesktop.impl.portal.PermissionStore");
    if (!waitUntil(
            [&] {
                return m_portalBackend.hasEnded() || m_permissions.hasEnded() ||
                       (bus().interface()->isServiceRegistered(backend) &&
                        bus().interface()->isServiceRegistered(permissions));
            },
            30s, 10ms) ||
        m_portalBackend.hasEnded() || m_permissions.hasEnded()) {
        *error = QStringLiteral("the portal's KDE backend or permission store did not start (%1, "
                                "%2): %3 %4")
                     .arg(m_portalBackend.describeEnd(), m_permissions.describeEnd(),
                          logText(scratch() + "/portal-kde.log"),
                          logText(scratch() + "/permissions.log"));
        return false;
    }
    return startPortal(error);
}

bool KWinSession::portalBindsKeys() const {
    const QDBusMessage kwin = bus().call(QDBusMessage::createMethodCall(
        QStringLiteral("org.kde.KWin"), QStringLiteral("/KWin"), QStringLiteral("org.kde.KWin"),
        QStringLiteral("supportInformation")));
    return !kwin.arguments().value(0).toString().contains(QLatin1String("KWin version: 5."));
}

bool KWinSession::startPortal(QString* error) {
    m_portal.kill();
    if (!startChild(m_portal, {QStringLiteral("/usr/libexec/xdg-desktop-portal")}, {},
                    QStringLiteral("portal.log"), error))
        return false;
    const bool portalUp = waitUntil(
        [&] {
            return m_portal.hasEnded() || m_portalBackend.hasEnded() ||
                   answers(bus(), QStringLiteral("org.freedesktop.portal.Desktop"),
                           QStringLiteral("/org/freedesktop/portal/desktop"),
                           QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"),
                           {QStringLiteral("org.freedesktop.portal.RemoteDesktop"),
                            QStringLiteral("version")});
        },
        30s, 20ms);
    if (!portalUp || m_portal.hasEnded() || m_portalBackend.hasEnded()) {
        *error =
            QStringLiteral("the portal did not start (%1; its KDE backend %2): %3 %4")
                .arg(m_portal.describeEnd(), m_portalBackend.describeEnd(),
                     logText(scratch() + "/portal.log"), logText(scratch() + "/portal-kde.log"));
        return false;
    }
    return true;
}

} // namespace tivrel::test
