#include "platform/BlindPointerWatch.h"
#include "platform/linux/DisplaySession.h"
#include "platform/qt/QtWindowStacking.h"
#include "platform/wayland/PortalProbe.h"
#include "platform/wayland/PortalSession.h"
#include "platform/wayland/WlrootsMouse.h"

namespace tivrel {

namespace {

// A wlroots compositor (sway and its kin) without the portal's remote desktop: clicks through
// a virtual pointer. The windows
// stay X11 windows where XWayland runs, so the window keeps its place on top and the tray
// icon, while the clicks reach every window; a native Wayland window otherwise.
class WlrootsSession final : public DisplaySession {
public:
    WlrootsSession(std::unique_ptr<WlrootsMouse> mouse, bool xwayland)
        : m_mouse(std::move(mouse)), m_xwayland(xwayland) {}

    QByteArray qtPlatform() const override { return m_xwayland ? "xcb" : "wayland"; }
    Mouse& mouse() override { return *m_mouse; }
    PointerWatch& pointerWatch() override { return m_watch; }
    WindowStacking& stacking() override { return m_stacking; }

private:
    std::unique_ptr<WlrootsMouse> m_mouse;
    bool m_xwayland;
    BlindPointerWatch m_watch;
    QtWindowStacking m_stacking;
};

} // namespace

DisplaySessionKind waylandDisplaySession() {
    return {
        .name = QStringLiteral("wayland"),
        .offered = [](const SessionEnvironment& e) { return !e.waylandDisplay.isEmpty(); },
        .connect = [](QString* error) -> std::unique_ptr<DisplaySession> {
            const bool xwayland = !qEnvironmentVariableIsEmpty("DISPLAY");
            // The portal asks the user, and the compositor's own virtual pointer does not:
            // where a desktop offers both, the user's say comes first.
            const PortalOffer portal = probeDesktopPortal();
            if (portal.pointer)
                return newPortalSession(portal, xwayland);
            auto mouse = WlrootsMouse::open(error);
            if (!mouse)
                return nullptr;
            return std::make_unique<WlrootsSession>(std::move(mouse), xwayland);
        },
    };
}

} // namespace tivrel
