#pragma once

#include "ChildProcess.h"
#include "CompositorHand.h"
#include "PortalDialogs.h"
#include "PrivateBus.h"

#include <QDBusConnection>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <deque>
#include <memory>

namespace tivrel::test {

// A headless desktop of the test's own, whatever its compositor: one runtime folder (the
// home, the logs and the clients' own files in it too), a session bus that starts nothing on
// demand (every service the desktop has is started here, so none outlives it or comes from
// the machine's own session), the desktop portal with its backend and permission store, and
// the user who answers the portal's dialogs through AT-SPI. Every child runs with the
// desktop's environment and a log of its own; stop(), or the object's end, ends them all the
// other way round from their start. Each compositor's class starts its own part and says how
// its portal shows that it is ready.
class PrivateDesktop {
public:
    // The one output's size, as the program driver's places expect it.
    static constexpr QSize kOutputSize{1280, 1024};
    enum class X11 { None, XWayland };

    virtual ~PrivateDesktop();
    PrivateDesktop(const PrivateDesktop&) = delete;
    PrivateDesktop& operator=(const PrivateDesktop&) = delete;

    // Returns once the portal answers; false and a reason otherwise (a missing program names
    // its package).
    bool start(QString* error);
    void stop();
    // Ends the portal and starts it again, as a restart of the desktop's services would.
    bool startPortal(QString* error);

    // WAYLAND_DISPLAY for a client: the socket's full path.
    const QString& socket() const { return m_socket; }
    // DISPLAY for an X11 client (":N"), once started with XWayland.
    const QString& xwaylandDisplay() const { return m_xwaylandDisplay; }
    // XAUTHORITY for an X11 client; empty where XWayland lets every local client in.
    virtual QString xauthority() const { return {}; }
    // DBUS_SESSION_BUS_ADDRESS for a client, and the test process's connection to the bus.
    QString busAddress() const;
    QDBusConnection bus() const;
    // The runtime folder (XDG_RUNTIME_DIR), where the logs and the clients' files go.
    QString scratch() const { return m_runtime.path(); }
    // The session user's home.
    QString home() const { return m_runtime.filePath(QStringLiteral("home")); }
    // The variables a client of this desktop needs, "NAME=value".
    QStringList environment() const;
    // XDG_CURRENT_DESKTOP.
    const QString& name() const { return m_name; }

    ChildProcess& compositor() { return *m_compositor; }
    // The portal's backend, which holds the sessions it asked the compositor for.
    ChildProcess& portalBackend() { return *m_portalBackend; }
    // The user who answers the portal's dialogs.
    PortalDialogs& dialogs() { return m_dialogs; }
    const PortalDialogs& dialogs() const { return m_dialogs; }

    // The test's own hand on the compositor's pointer, once started.
    virtual std::unique_ptr<CompositorHand> newHand(QString* error) = 0;
    // Whether the compositor gives an X11 window the focus when another client asks for it.
    virtual bool activatesOnRequest() const { return true; }
    // Whether the portal binds a program's global shortcut without a word from the user.
    virtual bool portalBindsKeys() const { return false; }

    // A program the desktop runs, and the package that has it.
    struct Program {
        const char* file;
        const char* package;
    };

protected:
    // `name` is the desktop's XDG_CURRENT_DESKTOP; `extra` more variables for every child.
    PrivateDesktop(X11 x11, QString name, QStringList extra);

    // The compositor and what it needs beside the bus; sets m_compositor and m_socket (and
    // m_xwaylandDisplay with XWayland).
    virtual bool startCompositor(QString* error) = 0;
    // The portal's backend, and whether it (and then the portal) answer as the tests need.
    virtual QStringList backendCommand(QStringList* extra) const = 0;
    virtual bool backendAnswers() const = 0;
    virtual bool portalAnswers() const = 0;

    // The full path of `program`, or empty and a reason.
    static QString find(const Program& program, QString* error);
    // Starts `command` with the desktop's environment and `extra`, its output to
    // `logName`.log; ended by stop(). Null and a reason on failure.
    ChildProcess* startChild(const QStringList& command, const QString& logName, QString* error,
                             const QStringList& extra = {});
    QString logPath(const QString& logName) const;
    // The last part of a child's log, for a reason.
    QString logTail(const QString& logName) const;

    X11 m_x11;
    ChildProcess* m_compositor = nullptr;
    QString m_socket;
    QString m_xwaylandDisplay;

private:
    bool startBus(QString* error);
    bool startPortalServices(QString* error);

    QString m_name;
    QStringList m_extra;
    QString m_busName;
    QTemporaryDir m_runtime;
    PrivateBus m_bus;
    // In the order they started, after the bus.
    std::deque<std::unique_ptr<ChildProcess>> m_children;
    PortalDialogs m_dialogs;
    ChildProcess* m_portalBackend = nullptr;
    ChildProcess* m_portal = nullptr;
};

} // namespace tivrel::test
