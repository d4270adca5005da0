#include "MutterSession.h"

#include "MutterPointer.h"
#include "PrivateBus.h"
#include "Waiting.h"

#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QDBusReply>
#include <QDBusVariant>
#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <algorithm>

namespace tivrel::test {

namespace {

using namespace std::chrono_literals;

constexpr PrivateDesktop::Program kPrograms[] = {
    {"pipewire", "pipewire"},
    {"wireplumber", "wireplumber"},
    {"mutter", "mutter"},
    {"/usr/libexec/xdg-desktop-portal-gnome", "xdg-desktop-portal-gnome"},
};

// The screen cast's source types as the service tells them; 0 until it knows mutter's.
uint sourceTypes(const QDBusConnection& bus, const QString& service, const QString& interface) {
    QDBusInterface properties(service, QStringLiteral("/org/freedesktop/portal/desktop"),
                              QStringLiteral("org.freedesktop.DBus.Properties"), bus);
    const QDBusReply<QDBusVariant> reply =
        properties.call(QStringLiteral("Get"), interface, QStringLiteral("AvailableSourceTypes"));
    return reply.isValid() ? reply.value().variant().toUInt() : 0;
}

} // namespace

MutterSession::MutterSession(X11 x11)
    : PrivateDesktop(x11, QStringLiteral("GNOME"),
                     {
                         // The GNOME backend (GNOME 48) reaches mutter through its service
                         // channel only in a Wayland session, and serves nothing but settings
                         // otherwise.
                         QStringLiteral("XDG_SESSION_TYPE=wayland"),
                         // No dconf on the private bus: settings stay in memory.
                         QStringLiteral("GSETTINGS_BACKEND=memory"),
                     }) {}

QString MutterSession::xauthority() const {
    const QStringList cookies = QDir(scratch()).entryList(
        {QStringLiteral(".mutter-Xwaylandauth.*")}, QDir::Files | QDir::Hidden);
    return cookies.isEmpty() ? QString() : scratch() + QLatin1Char('/') + cookies.first();
}

std::unique_ptr<CompositorHand> MutterSession::newHand(QString* error) {
    auto pointer = std::make_unique<MutterPointer>();
    if (!pointer->open(bus(), QString::fromLatin1(kConnector), error))
        return nullptr;
    return pointer;
}

bool MutterSession::startCompositor(QString* error) {
    QString paths[std::size(kPrograms)];
    for (std::size_t i = 0; i < std::size(kPrograms); ++i)
        if ((paths[i] = find(kPrograms[i], error)).isEmpty())
            return false;
    // mutter's screen casts go through PipeWire, whose session manager links them. The
    // session manager gives up at once where PipeWire does not yet take clients, and then
    // no stream of the session is ever linked: it waits for PipeWire's sockets.
    ChildProcess* pipewire = startChild({paths[0]}, QStringLiteral("pipewire"), error);
    if (!pipewire)
        return false;
    // PipeWire 1.x gives the session manager a socket of its own, which 0.3 does not have.
    QStringList sockets{scratch() + QStringLiteral("/pipewire-0")};
    if (QFile config(QStringLiteral("/usr/share/pipewire/pipewire.conf"));
        config.open(QIODevice::ReadOnly) && config.readAll().contains("pipewire-0-manager"))
        sockets << scratch() + QStringLiteral("/pipewire-0-manager");
    if (!waitUntil(
            [&] {
                return pipewire->hasEnded() ||
                       std::all_of(sockets.begin(), sockets.end(), listensAt);
            },
            10s, 5ms) ||
        pipewire->hasEnded()) {
        *error = QStringLiteral("PipeWire did not start (%1):%2")
                     .arg(pipewire->describeEnd(), logTail(QStringLiteral("pipewire")));
        return false;
    }
    // The runtime folder is new: mutter names its display the first free name there.
    const QString socket = scratch() + QStringLiteral("/wayland-0");
    m_sessionManager = startChild({paths[1]}, QStringLiteral("wireplumber"), error);
    // Without XWayland where the test does not ask for it: mutter starts faster.
    m_compositor =
        m_sessionManager
            ? startChild(
                  QStringList{
                      paths[2], QStringLiteral("--headless"), QStringLiteral("--wayland"),
                      QStringLiteral("--virtual-monitor"),
                      QStringLiteral("%1x%2").arg(kOutputSize.width()).arg(kOutputSize.height())} +
                      (m_x11 == X11::None ? QStringList{QStringLiteral("--no-x11")}
                                          : QStringList{}),
                  QStringLiteral("mutter"), error)
            : nullptr;
    if (!m_compositor)
        return false;
    const QString screenCast = QStringLiteral("org.gnome.Mutter.ScreenCast");
    const auto ended = [&] {
        return m_compositor->hasEnded() || pipewire->hasEnded() || m_sessionManager->hasEnded();
    };
    if (!waitUntil(
            [&] {
                return ended() || (listensAt(socket) &&
                                   bus().interface()->isServiceRegistered(screenCast).value());
            },
            20s, 5ms) ||
        ended()) {
        *error =
            QStringLiteral("mutter, PipeWire or its session manager did not start (%1, %2, "
                           "%3):%4%5%6")
                .arg(m_compositor->describeEnd(), pipewire->describeEnd(),
                     m_sessionManager->describeEnd(), logTail(QStringLiteral("mutter")),
                     logTail(QStringLiteral("pipewire")), logTail(QStringLiteral("wireplumber")));
        return false;
    }
    m_socket = socket;
    if (m_x11 == X11::None)
        return true;
    // mutter names the display it listens on for X11 clients in its log, and starts XWayland
    // at the first client there.
    const QRegularExpression named(QStringLiteral("Using public X11 display (:\\d+)"));
    waitUntil(
        [&] {
            QFile log(logPath(QStringLiteral("mutter")));
            if (log.open(QIODevice::ReadOnly))
                m_xwaylandDisplay = named.match(QString::fromLocal8Bit(log.readAll())).captured(1);
            return !m_xwaylandDisplay.isEmpty();
        },
        10s, 5ms);
    if (m_xwaylandDisplay.isEmpty()) {
        *error = QStringLiteral("mutter named no X11 display:") + logTail(QStringLiteral("mutter"));
        return false;
    }
    return true;
}

QStringList MutterSession::backendCommand(QStringList*) const {
    return {QString::fromLatin1(kPrograms[3].file)};
}

// The portal asks its backend what a screen cast offers once, at its start: the backend must
// know mutter's by then, or the portal offers none for its whole life.
bool MutterSession::backendAnswers() const {
    return sourceTypes(bus(), QStringLiteral("org.freedesktop.impl.portal.desktop.gnome"),
                       QStringLiteral("org.freedesktop.impl.portal.ScreenCast")) != 0;
}

bool MutterSession::portalAnswers() const {
    return sourceTypes(bus(), QStringLiteral("org.freedesktop.portal.Desktop"),
                       QStringLiteral("org.freedesktop.portal.ScreenCast")) != 0;
}

} // namespace tivrel::test
