#include "platform/wayland/PortalMouse.h"

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

PortalMouse::PortalMouse(Asking asking, std::function<std::unique_ptr<RemoteDesktopPortal>()> reach)
    : m_asking(std::move(asking)), m_reach(std::move(reach)) {}

PortalMouse::~PortalMouse() = default;

void PortalMouse::press(MouseButton button) {
    if (m_portal)
        m_portal->sendButton(inputCode(button), true);
}

void PortalMouse::release(MouseButton button) {
    if (m_portal)
        m_portal->sendButton(inputCode(button), false);
}

bool PortalMouse::mustAsk() const {
    return !m_portal || !m_portal->isOpen();
}

QString PortalMouse::askNotice() {
    if (std::exchange(m_told, true) || !m_asking.notice)
        return {};
    return m_asking.notice();
}

bool PortalMouse::ask(QString* refusal) {
    if (!m_portal)
        m_portal = m_reach();
    const RemoteDesktopPortal::Outcome outcome = m_portal->start(m_asking.request(), refusal);
    if (outcome != RemoteDesktopPortal::Outcome::Granted)
        return false;
    // mutter drops the buttons of a new session until its pointer has moved once; a motion
    // of nothing counts and leaves the pointer where the user put it.
    m_portal->sendMotion(0, 0);
    if (m_asking.granted)
        m_asking.granted(*m_portal);
    return true;
}

bool PortalMouse::lost() const {
    return m_portal && m_portal->lost();
}

} // namespace tivrel
