#pragma once

#include "CompositorHand.h"
#include "PrivateDesktop.h"
#include "TestSession.h"
#include "X11TestSession.h"

#include <cstdint>
#include <memory>
#include <optional>

namespace tivrel::test {

// The program driver's session on a Wayland desktop with XWayland, as KDE's is: the program's
// windows are X11 windows, found, clicked and given keys and the focus through an
// X11TestSession on the XWayland display, while the pointer that the program's clicks land
// at and that its watch sees is the compositor's own, moved by the compositor's hand (XTEST
// moves XWayland's pointer alone). Its clients reach the compositor's session bus, where the
// portal and KWin's scripting are. Only start() knows which compositor it is, a headless
// KWin or mutter of its own.
class XWaylandTestSession final : public TestSession {
public:
    enum class Desktop { KDE, GNOME };

    explicit XWaylandTestSession(Desktop desktop);

    bool start(QString* error) override;
    void stop() override;
    QString name() const override;
    void addTo(QProcessEnvironment& environment) const override;
    bool movePointer(QPoint onScreen) const override;
    bool click(QPoint onScreen, int button) const override;
    bool keys(const QStringList& keys) const override;
    bool activate(unsigned long window) const override;
    std::vector<WindowInfo> windowsOf(qint64 pid) const override;
    const QString& lastFailure() const override { return m_lastFailure; }

    // WAYLAND_DISPLAY for a client, and a folder for its files.
    QString socket() const { return m_desktop->socket(); }
    QString scratch() const { return m_desktop->scratch(); }
    // The compositor's process.
    ChildProcess& compositor() { return m_desktop->compositor(); }
    X11TestSession& x11() { return *m_x11; }
    // Moves made with it come from another source than the program's clicks.
    CompositorHand& hand() const { return *m_hand; }
    // The user who answers the portal's dialogs.
    PortalDialogs& dialogs() { return m_desktop->dialogs(); }
    const PortalDialogs& dialogs() const { return m_desktop->dialogs(); }
    // The version of the portal's remote desktop: from 2 on, it can keep a grant.
    uint remoteDesktopVersion() const;
    // A key by its Linux input code (KEY_F6, ...) pressed and let go, as on the keyboard, where
    // the session has a keyboard of its own: KDE's. (mutter's own remote desktop keyboard
    // reached no window of a headless mutter when tried.)
    bool tapKey(std::uint32_t code) const;
    // Whether the portal binds the program's start/stop key without a word from the user
    // (Plasma 6; GNOME's needs its shell, and Plasma 5.27 leaves the key to System Settings).
    bool bindsStartStopKey() const { return m_desktop->portalBindsKeys(); }
    // Ends the portal and starts it again.
    bool restartPortal(QString* error);

private:
    std::unique_ptr<PrivateDesktop> m_desktop;
    std::unique_ptr<CompositorHand> m_hand;
    std::optional<X11TestSession> m_x11;
    mutable QString m_lastFailure;
};

} // namespace tivrel::test
