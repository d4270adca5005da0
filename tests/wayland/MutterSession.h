#pragma once

#include "ChildProcess.h"
#include "PortalDialogs.h"

#include <QDBusConnection>
#include <QSize>
#include <QString>
#include <QTemporaryDir>

namespace tivrel::test {

// A headless GNOME of the test's own: mutter with one virtual monitor (with XWayland on
// request, as GNOME starts it for X11 clients; none otherwise), on a
// private session bus with the accessibility bus, PipeWire and WirePlumber, and the desktop
// portal with its GNOME backend, all in a runtime folder of its own and run as the test's own
// user (root works: unlike sway, none of them refuses it). Each portal dialog is answered
// through AT-SPI as it appears (Share unless told otherwise), never by a setting that skips
// it. Stopped when the object goes.
class MutterSession {
public:
    // The virtual monitor's size; mutter names it kConnector.
    static constexpr QSize kOutputSize{1280, 1024};
    static constexpr char kConnector[] = "Meta-0";

    enum class X11 { None, XWayland };

    explicit MutterSession(X11 x11 = X11::None);
    ~MutterSession();
    MutterSession(const MutterSession&) = delete;
    MutterSession& operator=(const MutterSession&) = delete;

    // Returns once the portal answers with the screen cast of mutter; false and a reason
    // otherwise (a missing program names its package).
    bool start(QString* error);
    void stop();
    // Ends the portal and starts it again, as a restart of the desktop's services would.
    bool startPortal(QString* error);

    // WAYLAND_DISPLAY for a client: the socket's full path.
    QString socket() const { return m_socket; }
    // DBUS_SESSION_BUS_ADDRESS of the private bus, and the test process's connection to it.
    QString busAddress() const { return m_busAddress; }
    QDBusConnection bus() const;
    // DISPLAY for an X11 client (":N"), once started with XWayland.
    const QString& xwaylandDisplay() const { return m_xwaylandDisplay; }
    // XAUTHORITY for an X11 client: mutter lets in only those that have its cookie.
    QString xauthority() const;
    // The runtime folder (XDG_RUNTIME_DIR), where the logs go too.
    QString scratch() const { return m_runtime.path(); }
    // The variables a client of this session needs, "NAME=value".
    QStringList environment() const;
    ChildProcess& mutter() { return m_mutter; }
    ChildProcess& sessionManager() { return m_wireplumber; }
    // xdg-desktop-portal-gnome: mutter ends the sessions it made once it goes.
    ChildProcess& portalBackend() { return m_portalBackend; }

    // The user who answers the portal's dialogs.
    PortalDialogs& dialogs() { return m_dialogs; }

private:
    bool startChild(ChildProcess& child, const QStringList& command, const QString& logName,
                    QString* error);
    // The last lines of a child's log, for a reason.
    QString logTail(const QString& logName) const;

    X11 m_x11;
    QString m_xwaylandDisplay;
    QTemporaryDir m_runtime;
    QString m_busAddress;
    QString m_busName;
    QString m_socket;
    // In the order they start; stop() ends them the other way round.
    ChildProcess m_dbus;
    PortalDialogs m_dialogs;
    ChildProcess m_pipewire;
    ChildProcess m_wireplumber;
    ChildProcess m_mutter;
    ChildProcess m_portalBackend;
    ChildProcess m_permissions;
    ChildProcess m_portal;
};

} // namespace tivrel::test
