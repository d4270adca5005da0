#include "KWinSession.h"

#include "KWinFakeInput.h"
#include "Waiting.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace tivrel::test {

namespace {

using namespace std::chrono_literals;

constexpr PrivateDesktop::Program kKWin{"kwin_wayland", "kwin-wayland"};
constexpr PrivateDesktop::Program kPipeWire{"pipewire", "pipewire-bin"};
constexpr PrivateDesktop::Program kBackend{"/usr/lib/" TIVREL_LIBRARY_ARCHITECTURE
                                           "/libexec/xdg-desktop-portal-kde",
                                           "xdg-desktop-portal-kde"};

// What KWin reads to grant its fake input to a program.
constexpr char kFakeInputEntry[] = "[Desktop Entry]\n"
                                   "Type=Application\n"
                                   "Name=Tivrel test input\n"
                                   "NoDisplay=true\n"
                                   "Exec=%1\n"
                                   "X-KDE-Wayland-Interfaces=org_kde_kwin_fake_input\n";

// The menu KDE's service cache (kbuildsycoca6) lists applications by: without one it lists
// none, and KWin 6 then finds no desktop file that asks for its fake input.
constexpr char kMenu[] = "<!DOCTYPE Menu>\n"
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

// Whether `service` answers `method` on `bus`.
bool answers(const QDBusConnection& bus, const QString& service, const QString& path,
             const QString& interface, const QString& method, const QVariantList& arguments) {
    QDBusMessage call = QDBusMessage::createMethodCall(service, path, interface, method);
    call.setArguments(arguments);
    return bus.call(call, QDBus::Block, 2000).type() == QDBusMessage::ReplyMessage;
}

} // namespace

KWinSession::KWinSession(X11 x11) : PrivateDesktop(x11, QStringLiteral("KDE"), {}) {}

std::unique_ptr<CompositorHand> KWinSession::newHand(QString* error) {
    auto input = std::make_unique<KWinFakeInput>();
    if (input->open(socket()))
        return input;
    *error = QStringLiteral("KWin did not grant its fake input to the test program");
    return nullptr;
}

bool KWinSession::startCompositor(QString* error) {
    const QString installed = find(kKWin, error);
    const QString pipewire = find(kPipeWire, error);
    if (installed.isEmpty() || pipewire.isEmpty() || find(kBackend, error).isEmpty())
        return false;
    const QString runtime = scratch();
    const QString self = QFileInfo(QCoreApplication::applicationFilePath()).canonicalFilePath();
    // KWin refuses its own Qt platform plugin to a program whose name is not kwin_wayland, and
    // this system refuses to run the installed one, which carries a file capability: a plain
    // copy under the same name runs.
    const QString kwin = runtime + QStringLiteral("/bin/kwin_wayland");
    if (!QDir().mkpath(runtime + QStringLiteral("/bin")) ||
        !QDir().mkpath(home() + QStringLiteral("/.local/share/applications")) ||
        !QDir().mkpath(home() + QStringLiteral("/.config/menus")) ||
        !writeFile(home() + QStringLiteral("/.config/menus/applications.menu"), kMenu) ||
        !QFile::copy(installed, kwin) ||
        !writeFile(home() + QStringLiteral("/.local/share/applications/tivrel-test-input.desktop"),
                   QString::fromLatin1(kFakeInputEntry).arg(self).toUtf8())) {
        *error = QStringLiteral("cannot prepare the session's folder %1").arg(runtime);
        return false;
    }

    // KWin 6 reads the desktop files through KDE's service cache: made before it starts (KWin
    // 5 reads them itself).
    if (const QString cache = QStandardPaths::findExecutable(QStringLiteral("kbuildsycoca6"));
        !cache.isEmpty()) {
        ChildProcess* builder = startChild({cache, QStringLiteral("--noincremental")},
                                           QStringLiteral("kbuildsycoca"), error);
        if (!builder)
            return false;
        if (!builder->waitForEnd(60s) || !builder->exitedNormally() || builder->exitCode() != 0) {
            *error = QStringLiteral("kbuildsycoca6 failed (%1):%2")
                         .arg(builder->describeEnd(), logTail(QStringLiteral("kbuildsycoca")));
            return false;
        }
    }

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
    // QPainter composition: llvmpipe's OpenGL would cost the machine's cores for nothing.
    m_compositor =
        startChild(command, QStringLiteral("kwin"), error, {QStringLiteral("KWIN_COMPOSE=Q")});
    if (!m_compositor)
        return false;
    const bool kwinUp = waitUntil(
        [&] {
            return m_compositor->hasEnded() ||
                   (QFile::exists(socket) && (m_x11 == X11::None || QFile::exists(displayFile)) &&
                    answers(bus(), QStringLiteral("org.kde.KWin"), QStringLiteral("/Scripting"),
                            QStringLiteral("org.kde.kwin.Scripting"),
                            QStringLiteral("isScriptLoaded"), {QStringLiteral("none")}));
        },
        30s, 10ms);
    if (!kwinUp || m_compositor->hasEnded()) {
        *error = QStringLiteral("KWin did not start (%1):%2")
                     .arg(m_compositor->describeEnd(), logTail(QStringLiteral("kwin")));
        return false;
    }
    m_socket = socket;
    if (m_x11 == X11::XWayland) {
        QFile file(displayFile);
        if (file.open(QIODevice::ReadOnly))
            m_xwaylandDisplay = QString::fromLocal8Bit(file.readAll()).trimmed();
        if (!m_xwaylandDisplay.startsWith(QLatin1Char(':'))) {
            *error =
                QStringLiteral("KWin named no XWayland display:") + logTail(QStringLiteral("kwin"));
            return false;
        }
    }
    return startChild({pipewire}, QStringLiteral("pipewire"), error) != nullptr;
}

// Qt tells the accessibility bus of its windows (the dialog) only where asked to.
QStringList KWinSession::backendCommand(QStringList* extra) const {
    *extra = {QStringLiteral("QT_QPA_PLATFORM=wayland"),
              QStringLiteral("QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1")};
    return {QString::fromLatin1(kBackend.file)};
}

bool KWinSession::backendAnswers() const {
    return bus().interface()->isServiceRegistered(
        QStringLiteral("org.freedesktop.impl.portal.desktop.kde"));
}

bool KWinSession::portalAnswers() const {
    return answers(
        bus(), QStringLiteral("org.freedesktop.portal.Desktop"),
        QStringLiteral("/org/freedesktop/portal/desktop"),
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"),
        {QStringLiteral("org.freedesktop.portal.RemoteDesktop"), QStringLiteral("version")});
}

bool KWinSession::portalBindsKeys() const {
    const QDBusMessage kwin = bus().call(QDBusMessage::createMethodCall(
        QStringLiteral("org.kde.KWin"), QStringLiteral("/KWin"), QStringLiteral("org.kde.KWin"),
        QStringLiteral("supportInformation")));
    return !kwin.arguments().value(0).toString().contains(QLatin1String("KWin version: 5."));
}

} // namespace tivrel::test
