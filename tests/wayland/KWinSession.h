#pragma once

#include "ChildProcess.h"
#include "PortalDialogs.h"

#include <QDBusConnection>
#include <QSize>
#include <QString>
#include <QTemporaryDir>

namespace tivrel::test {

// A headless KWin of the test's own, with what KDE's remote desktop portal needs around it: a
// session bus of its own (nothing on it is started on demand: every service is a child here),
// PipeWire, xdg-desktop-portal and its KDE backend, all in a runtime folder and a home of their
// own. The test program itself may use KWin's fake input (the hand that moves the pointer):
// KWin grants it to programs whose desktop file asks for it, and the session's home holds one
// for the running test program. With XWayland, KWin starts a rootless X server for X11
// clients beside its Wayland ones. Everything is stopped when the object goes.
class KWinSession {
public:
    static constexpr QSize kOutputSize{1280, 1024};
    enum class X11 { None, XWayland };

    explicit KWinSession(X11 x11 = X11::None);
    ~KWinSession();

    // Returns once the portal answers; false and a reason otherwise.
    bool start(QString* error);
    // Ends the portal and starts it again, as a restart of the desktop's services would.
    bool startPortal(QString* error);
    // WAYLAND_DISPLAY for a client: the socket's full path.
    QString socket() const { return m_socket; }
    // DISPLAY for an X11 client (":N"), once started with XWayland.
    const QString& xwaylandDisplay() const { return m_xwaylandDisplay; }
    // DBUS_SESSION_BUS_ADDRESS for a client.
    QString busAddress() const;
    // A connection of the test's own to the session's bus.
    QDBusConnection bus() const;
    // The session user's home, whose .local/share/applications holds the desktop files of the
    // programs installed for the session.
    QString home() const { return m_runtime.filePath(QStringLiteral("home")); }
    // The logs and the clients' own runtime files.
    QString scratch() const { return m_scratch.path(); }
    ChildProcess& kwin() { return m_kwin; }
    // The user who answers the portal's dialogs (Plasma 6 shows one before a first grant).
    PortalDialogs& dialogs() { return m_dialogs; }
    // xdg-desktop-portal-kde, which holds the remote desktop sessions it asked KWin for.
    ChildProcess& portalBackend() { return m_portalBackend; }
    // Whether the portal binds a program's global shortcut to the key it asks for: Plasma
    // 5.27's binds it to none and opens System Settings for the user to give it one.
    bool portalBindsKeys() const;
    // Seconds from starting KWin until its scripting answered on the bus (and XWayland took
    // clients).
    double kwinStartSeconds() const { return m_kwinStartSeconds; }

private:
    bool startChild(ChildProcess& child, const QStringList& command, const QStringList& extra,
                    const QString& logName, QString* error);
    QStringList environment() const;

    X11 m_x11;
    QTemporaryDir m_runtime;
    QTemporaryDir m_scratch;
    QString m_busName;
    // Stopped in reverse order: the clients of KWin and of the bus first.
    ChildProcess m_bus;
    PortalDialogs m_dialogs;
    ChildProcess m_kwin;
    ChildProcess m_pipewire;
    ChildProcess m_permissions;
    ChildProcess m_portalBackend;
    ChildProcess m_portal;
    QString m_socket;
    QString m_xwaylandDisplay;
    double m_kwinStartSeconds = 0;
};

} // namespace tivrel::test
