#include "platform/linux/DisplaySession.h"
#include "platform/x11/QuietButtonState.h"
#include "platform/x11/X11Mouse.h"
#include "platform/x11/X11PointerWatch.h"
#include "platform/x11/X11StartStopKey.h"
#include "platform/x11/X11WindowStacking.h"

#include <xcb/xcb.h>

namespace tivrel {

namespace {

// An X server, or XWayland: clicks through XTEST and the pointer watched through XInput 2,
// both on the mouse's own connection; the windows on Qt's xcb plugin.
class X11Session final : public DisplaySession {
public:
    X11Session(std::unique_ptr<X11Mouse> mouse, std::unique_ptr<X11PointerWatch> watch)
        : m_mouse(std::move(mouse)), m_watch(std::move(watch)) {}

    QByteArray qtPlatform() const override { return "xcb"; }
    void toolkitStarted() override { quietButtonStateNotifications(); }
    Mouse& mouse() override { return *m_mouse; }
    PointerWatch& pointerWatch() override { return *m_watch; }
    int pointerNews() const override { return xcb_get_file_descriptor(m_mouse->connection()); }
    WindowStacking& stacking() override { return m_stacking; }
    // On XWayland the grab would see only the X11 windows' keys: there the key is the
    // desktop's to give, and this session offers none.
    StartStopKey& startStopKey() override {
        if (m_xwayland)
            return DisplaySession::startStopKey();
        return m_key;
    }

private:
    bool m_xwayland = !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    X11StartStopKey m_key;
    std::unique_ptr<X11Mouse> m_mouse; // its connection outlives the watch
    std::unique_ptr<X11PointerWatch> m_watch;
    X11WindowStacking m_stacking;
};

} // namespace

DisplaySessionKind x11DisplaySession() {
    return {
        .name = QStringLiteral("x11"),
        .offered = [](const SessionEnvironment& e) { return !e.display.isEmpty(); },
        .connect = [](QString* error) -> std::unique_ptr<DisplaySession> {
            auto mouse = X11Mouse::open(error);
            if (!mouse)
                return nullptr;
            auto watch = X11PointerWatch::open(mouse->connection(), mouse->root(), error);
            if (!watch)
                return nullptr;
            return std::make_unique<X11Session>(std::move(mouse), std::move(watch));
        },
    };
}

} // namespace tivrel
