#include "SwaySession.h"

#include "Waiting.h"

#include <QDir>
#include <QFile>

#include <wayland-client.h>

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>

namespace tivrel::test {

namespace {

using namespace std::chrono_literals;

// No XWayland: the clicks under test must reach a native Wayland window. A lone window fills
// the output, without a border; the pointer's moves take no focus from the window a test
// activated.
constexpr char kConfig[] = "xwayland disable\n"
                           "default_border none\n"
                           "focus_follows_mouse no\n"
                           "output HEADLESS-1 resolution 1280x1024\n";

// The socket sway made in its runtime folder, once a client can connect to it.
QString acceptingSocket(const QString& runtime) {
    const QStringList names =
        QDir(runtime).entryList({QStringLiteral("wayland-*")}, QDir::System | QDir::Files);
    for (const QString& name : names) {
        if (name.endsWith(QLatin1String(".lock")))
            continue;
        const QString path = runtime + QLatin1Char('/') + name;
        if (wl_display* display = wl_display_connect(QFile::encodeName(path).constData())) {
            wl_display_disconnect(display);
            return path;
        }
    }
    return {};
}

} // namespace

SwaySession::SwaySession() = default;

QString SwaySession::ipcSocket() const {
    const QStringList names =
        QDir(m_runtime.path()).entryList({QStringLiteral("sway-ipc.*")}, QDir::System);
    return names.isEmpty() ? QString() : m_runtime.filePath(names.front());
}

SwaySession::~SwaySession() {
    m_sway.kill();
}

bool SwaySession::start(QString* error) {
    if (!m_runtime.isValid() || !m_scratch.isValid()) {
        *error = QStringLiteral("no temporary folder");
        return false;
    }
    const QString runtime = m_runtime.path();
    QFile config(runtime + QStringLiteral("/config"));
    if (!config.open(QIODevice::WriteOnly) || config.write(kConfig) < 0) {
        *error = QStringLiteral("cannot write the sway config");
        return false;
    }
    config.close();

    QStringList command{QStringLiteral("sway"), QStringLiteral("-c"), config.fileName()};
    if (geteuid() == 0) {
        const passwd* nobody = getpwnam("nobody");
        if (!nobody) {
            *error = QStringLiteral("no user \"nobody\" to run sway as");
            return false;
        }
        const QByteArray path = QFile::encodeName(runtime);
        if (chown(path.constData(), nobody->pw_uid, nobody->pw_gid) != 0 ||
            chmod(path.constData(), 0700) != 0) {
            *error = QStringLiteral("cannot give the runtime folder to nobody");
            return false;
        }
        command =
            QStringList{QStringLiteral("setpriv"), QStringLiteral("--reuid=%1").arg(nobody->pw_uid),
                        QStringLiteral("--regid=%1").arg(nobody->pw_gid),
                        QStringLiteral("--clear-groups"), QStringLiteral("--")} +
            command;
    }
    const QStringList environment{
        QStringLiteral("PATH=") + qEnvironmentVariable("PATH"),
        QStringLiteral("HOME=") + runtime,
        QStringLiteral("XDG_RUNTIME_DIR=") + runtime,
        QStringLiteral("WLR_BACKENDS=headless"),
        QStringLiteral("WLR_LIBINPUT_NO_DEVICES=1"),
        QStringLiteral("WLR_RENDERER=pixman"),
    };
    const QString log = scratch() + QStringLiteral("/sway.log");
    if (!m_sway.start(command, environment, log, log, error))
        return false;
    const bool up = waitUntil(
        [&] {
            m_socket = acceptingSocket(runtime);
            return !m_socket.isEmpty() || m_sway.hasEnded();
        },
        20s, 10ms);
    if (!up || m_socket.isEmpty()) {
        QFile output(log);
        output.open(QIODevice::ReadOnly);
        *error = QStringLiteral("sway did not start (%1): %2")
                     .arg(m_sway.describeEnd(), QString::fromLocal8Bit(output.readAll()));
        return false;
    }
    return true;
}

} // namespace tivrel::test
