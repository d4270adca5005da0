#include "XWaylandTestSession.h"

#include "KWinFakeInput.h"

namespace tivrel::test {

XWaylandTestSession::XWaylandTestSession() : m_kwin(KWinSession::X11::XWayland) {}

bool XWaylandTestSession::start(QString* error) {
    if (!m_kwin.start(error))
        return false;
    auto input = std::make_unique<KWinFakeInput>();
    if (!input->open(m_kwin.socket())) {
        *error = QStringLiteral("KWin did not grant its fake input to the test program");
        return false;
    }
    m_hand = std::move(input);
    m_x11.emplace(m_kwin.xwaylandDisplay().toLocal8Bit());
    return m_x11->start(error);
}

void XWaylandTestSession::stop() {
    m_hand.reset();
    m_kwin.kwin().kill();
}

QString XWaylandTestSession::name() const {
    return m_kwin.socket() + QLatin1Char(' ') + m_kwin.xwaylandDisplay();
}

void XWaylandTestSession::addTo(QProcessEnvironment& environment) const {
    environment.insert(QStringLiteral("WAYLAND_DISPLAY"), m_kwin.socket());
    environment.insert(QStringLiteral("DISPLAY"), m_kwin.xwaylandDisplay());
    environment.insert(QStringLiteral("XDG_SESSION_TYPE"), QStringLiteral("wayland"));
    environment.insert(QStringLiteral("XDG_CURRENT_DESKTOP"), QStringLiteral("KDE"));
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), m_kwin.busAddress());
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
    if (m_x11->activate(window))
        return true;
    m_lastFailure = m_x11->lastFailure();
    return false;
}

std::vector<WindowInfo> XWaylandTestSession::windowsOf(qint64 pid) const {
    return m_x11->windowsOf(pid);
}

} // namespace tivrel::test
