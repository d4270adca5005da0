#include "XWaylandTestSession.h"

#include "KWinFakeInput.h"
#include "KWinSession.h"
#include "MutterSession.h"
#include "Waiting.h"

#include <QDBusInterface>
#include <QDBusReply>
#include <QDBusVariant>

namespace tivrel::test {

XWaylandTestSession::XWaylandTestSession(Desktop desktop) {
    if (desktop == Desktop::KDE)
        m_desktop = std::make_unique<KWinSession>(PrivateDesktop::X11::XWayland);
    else
        m_desktop = std::make_unique<MutterSession>(PrivateDesktop::X11::XWayland);
}

bool XWaylandTestSession::start(QString* error) {
    if (!m_desktop->start(error) || !(m_hand = m_desktop->newHand(error)))
        return false;
    // The X tools the X11 session runs inherit the cookie from here.
    if (const QString cookie = m_desktop->xauthority(); !cookie.isEmpty())
        qputenv("XAUTHORITY", cookie.toLocal8Bit());
    m_x11.emplace(m_desktop->xwaylandDisplay().toLocal8Bit());
    // mutter starts XWayland at the first X11 client, which waits meanwhile or is turned
    // away: asked again until XWayland runs.
    QString refused;
    if (waitUntil([&] { return m_x11->start(&refused); }, std::chrono::seconds(20),
                  std::chrono::milliseconds(100)))
        return true;
    *error = refused;
    return false;
}

void XWaylandTestSession::stop() {
    m_hand.reset();
    m_desktop->stop();
}

uint XWaylandTestSession::remoteDesktopVersion() const {
    QDBusInterface properties(QStringLiteral("org.freedesktop.portal.Desktop"),
                              QStringLiteral("/org/freedesktop/portal/desktop"),
                              QStringLiteral("org.freedesktop.DBus.Properties"), m_desktop->bus());
    const QDBusReply<QDBusVariant> version = properties.call(
        QStringLiteral("Get"), QStringLiteral("org.freedesktop.portal.RemoteDesktop"),
        QStringLiteral("version"));
    return version.isValid() ? version.value().variant().toUInt() : 0;
}

bool XWaylandTestSession::tapKey(std::uint32_t code) const {
    auto* keyboard = dynamic_cast<KWinFakeInput*>(m_hand.get());
    return keyboard && keyboard->key(code, true) && keyboard->key(code, false);
}

bool XWaylandTestSession::restartPortal(QString* error) {
    return m_desktop->startPortal(error);
}

QString XWaylandTestSession::name() const {
    return socket() + QLatin1Char(' ') + m_desktop->xwaylandDisplay();
}

void XWaylandTestSession::addTo(QProcessEnvironment& environment) const {
    environment.insert(QStringLiteral("WAYLAND_DISPLAY"), socket());
    environment.insert(QStringLiteral("DISPLAY"), m_desktop->xwaylandDisplay());
    environment.insert(QStringLiteral("XDG_SESSION_TYPE"), QStringLiteral("wayland"));
    environment.insert(QStringLiteral("XDG_CURRENT_DESKTOP"), m_desktop->name());
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), m_desktop->busAddress());
    if (const QString cookie = m_desktop->xauthority(); !cookie.isEmpty())
        environment.insert(QStringLiteral("XAUTHORITY"), cookie);
}

bool XWaylandTestSession::movePointer(QPoint onScreen) const {
    if (m_hand->moveTo(onScreen))
        return true;
    m_lastFailure = QStringLiteral("the test's hand lost the compositor");
    return false;
}

bool XWaylandTestSession::click(QPoint onScreen, int button) const {
    // The driver clicks only the program's own windows, X11 ones here, which XTEST reaches
    // inside XWayland. KWin's pointer may still pick the native window below one that has
    // just come above it, for a while and for more than one move.
    if (m_x11->click(onScreen, button))
        return true;
    m_lastFailure = m_x11->lastFailure();
    return false;
}

bool XWaylandTestSession::keys(const QStringList& keys) const {
    if (m_x11->keys(keys))
        return true;
    m_lastFailure = m_x11->lastFailure();
    return false;
}

bool XWaylandTestSession::activate(unsigned long window) const {
    if (m_desktop->activatesOnRequest() ? m_x11->activate(window) : m_x11->focus(window))
        return true;
    m_lastFailure = m_x11->lastFailure();
    return false;
}

std::vector<WindowInfo> XWaylandTestSession::windowsOf(qint64 pid) const {
    return m_x11->windowsOf(pid);
}

} // namespace tivrel::test
