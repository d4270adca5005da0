#include "XWaylandTestSession.h"

#include "KWinFakeInput.h"
#include "MutterPointer.h"
#include "Waiting.h"

#include <QDBusInterface>
#include <QDBusReply>
#include <QDBusVariant>

namespace tivrel::test {

XWaylandTestSession::XWaylandTestSession(Desktop desktop) {
    if (desktop == Desktop::KDE)
        m_kwin.emplace(KWinSession::X11::XWayland);
    else
        m_mutter.emplace(MutterSession::X11::XWayland);
}

bool XWaylandTestSession::start(QString* error) {
    if (m_kwin) {
        if (!m_kwin->start(error))
            return false;
        auto input = std::make_unique<KWinFakeInput>();
        if (!input->open(m_kwin->socket())) {
            *error = QStringLiteral("KWin did not grant its fake input to the test program");
            return false;
        }
        m_hand = std::move(input);
    } else {
        if (!m_mutter->start(error))
            return false;
        auto pointer = std::make_unique<MutterPointer>();
        if (!pointer->open(m_mutter->bus(), QString::fromLatin1(MutterSession::kConnector), error))
            return false;
        m_hand = std::move(pointer);
    }
    // The X tools the X11 session runs inherit the cookie from here.
    if (m_mutter)
        qputenv("XAUTHORITY", m_mutter->xauthority().toLocal8Bit());
    m_x11.emplace(xwaylandDisplay().toLocal8Bit());
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
    if (m_kwin)
        m_kwin->kwin().kill();
    else
        m_mutter->stop();
}

QString XWaylandTestSession::socket() const {
    return m_kwin ? m_kwin->socket() : m_mutter->socket();
}

QString XWaylandTestSession::scratch() const {
    return m_kwin ? m_kwin->scratch() : m_mutter->scratch();
}

ChildProcess& XWaylandTestSession::compositor() {
    return m_kwin ? m_kwin->kwin() : m_mutter->mutter();
}

PortalDialogs& XWaylandTestSession::dialogs() {
    return m_kwin ? m_kwin->dialogs() : m_mutter->dialogs();
}

uint XWaylandTestSession::remoteDesktopVersion() const {
    QDBusInterface properties(QStringLiteral("org.freedesktop.portal.Desktop"),
                              QStringLiteral("/org/freedesktop/portal/desktop"),
                              QStringLiteral("org.freedesktop.DBus.Properties"),
                              m_kwin ? m_kwin->bus() : m_mutter->bus());
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
    return m_kwin ? m_kwin->startPortal(error) : m_mutter->startPortal(error);
}

QString XWaylandTestSession::xwaylandDisplay() const {
    return m_kwin ? m_kwin->xwaylandDisplay() : m_mutter->xwaylandDisplay();
}

QString XWaylandTestSession::busAddress() const {
    return m_kwin ? m_kwin->busAddress() : m_mutter->busAddress();
}

QString XWaylandTestSession::name() const {
    return socket() + QLatin1Char(' ') + xwaylandDisplay();
}

void XWaylandTestSession::addTo(QProcessEnvironment& environment) const {
    environment.insert(QStringLiteral("WAYLAND_DISPLAY"), socket());
    environment.insert(QStringLiteral("DISPLAY"), xwaylandDisplay());
    environment.insert(QStringLiteral("XDG_SESSION_TYPE"), QStringLiteral("wayland"));
    environment.insert(QStringLiteral("XDG_CURRENT_DESKTOP"),
                       m_kwin ? QStringLiteral("KDE") : QStringLiteral("GNOME"));
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), busAddress());
    if (m_mutter)
        environment.insert(QStringLiteral("XAUTHORITY"), m_mutter->xauthority());
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
    // mutter 48 refuses another client's request to activate a window (xdotool's
    // windowactivate waits for it in vain), but takes the focus given directly, as mutter 43
    // does too.
    if (m_mutter ? m_x11->focus(window) : m_x11->activate(window))
        return true;
    m_lastFailure = m_x11->lastFailure();
    return false;
}

std::vector<WindowInfo> XWaylandTestSession::windowsOf(qint64 pid) const {
    return m_x11->windowsOf(pid);
}

} // namespace tivrel::test
