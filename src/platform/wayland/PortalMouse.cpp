#include "platform/wayland/PortalMouse.h"

#include "platform/wayland/PortalWords.h"

namespace tivrel {

namespace {

// The Linux input codes of the buttons (BTN_LEFT, BTN_RIGHT, BTN_MIDDLE).
int inputCode(MouseButton button) {
    switch (button) {
    case MouseButton::Left:
        return 0x110;
    case MouseButton::Right:
        return 0x111;
    case MouseButton::Middle:
        break;
    }
    return 0x112;
}

} // namespace

PortalMouse::PortalMouse(Asking asking, std::function<std::unique_ptr<RemoteDesktopPortal>()> reach,
                         EisConnector eis)
    : m_asking(std::move(asking)), m_reach(std::move(reach)), m_eis(std::move(eis)) {}

PortalMouse::~PortalMouse() = default;

void PortalMouse::press(MouseButton button) {
    if (m_eisButtons)
        m_eisButtons->send(inputCode(button), true);
    else if (m_portal)
        m_portal->sendButton(inputCode(button), true);
}

void PortalMouse::release(MouseButton button) {
    if (m_eisButtons)
        m_eisButtons->send(inputCode(button), false);
    else if (m_portal)
        m_portal->sendButton(inputCode(button), false);
}

void PortalMouse::click(MouseButton button) {
    // The socket takes both frames at once and answers one ping for them.
    if (m_eisButtons)
        m_eisButtons->click(inputCode(button));
    else
        Mouse::click(button);
}

bool PortalMouse::mustAsk() const {
    return !m_portal || !m_portal->isOpen() || (m_eisButtons && m_eisButtons->lost());
}

QString PortalMouse::askNotice() {
    if (std::exchange(m_told, true) || !m_asking.notice)
        return {};
    return m_asking.notice();
}

bool PortalMouse::ask(QString* refusal) {
    if (!m_portal)
        m_portal = m_reach();
    // The socket belonged to the session this one replaces.
    m_eisButtons.reset();
    QString detail;
    const RemoteDesktopPortal::Outcome outcome = m_portal->start(m_asking.request(), &detail);
    if (outcome != RemoteDesktopPortal::Outcome::Granted) {
        *refusal = portalRefusal(outcome, detail);
        return false;
    }
    // mutter drops the buttons of a new session until its pointer has moved once; a motion
    // of nothing counts and leaves the pointer where the user put it.
    m_portal->sendMotion(0, 0);
    connectEis();
    if (m_asking.granted)
        m_asking.granted(*m_portal);
    return true;
}

void PortalMouse::connectEis() {
    if (!m_eis || !m_portal->handsOutEis())
        return;
    QString error;
    const int fd = m_portal->connectToEis(&error);
    if (fd >= 0)
        m_eisButtons = m_eis(fd, &error);
    // The portal's own calls still carry the buttons, a millisecond or two slower each.
    if (!m_eisButtons)
        qWarning("Tivrel: clicking through the portal's D-Bus calls: no input socket: %s",
                 qPrintable(error));
}

bool PortalMouse::lost() const {
    return (m_portal && m_portal->lost()) || (m_eisButtons && m_eisButtons->lost());
}

} // namespace tivrel
