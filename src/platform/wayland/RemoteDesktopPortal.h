#pragma once

#include "platform/wayland/PortalRequests.h"

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QVariantMap>

class QDBusServiceWatcher;

#include <atomic>

namespace tivrel {

// A session of the desktop portal's remote desktop service (org.freedesktop.portal.
// RemoteDesktop), through which GNOME, KDE and other Wayland desktops let a program press
// the pointer's buttons once the user allowed it in the system's own dialog. With a cursor
// stream the same session also shares the monitor's cursor (ScreenCast, cursor as metadata),
// which is how the program learns where the pointer is.
class RemoteDesktopPortal final : public QObject {
    Q_OBJECT
public:
    // Asked for when the session starts.
    struct Request {
        QString parentWindow; // "x11:<hex id>", or empty
        bool cursorStream = false;
        QString restoreToken; // from an earlier start, where the portal keeps grants
    };
    // How a start ended: the pointer granted; a dialog cancelled; the screen shared without
    // the pointer; the portal broke off or ended a request itself.
    enum class Outcome { Granted, Cancelled, NoPointer, Failed };

    explicit RemoteDesktopPortal(QDBusConnection bus);
    // Closes the session: the desktop forgets the grant until the next start.
    ~RemoteDesktopPortal() override;
    RemoteDesktopPortal(const RemoteDesktopPortal&) = delete;
    RemoteDesktopPortal& operator=(const RemoteDesktopPortal&) = delete;

    // The service's version, 0 where the bus has no remote desktop portal.
    uint version();

    // Asks the desktop for a session with the pointer: the system's dialog, while the UI
    // thread's events go on. Where it Failed, `detail` is the D-Bus error of the call that
    // failed, and empty where the portal answered a request with its own failure (response
    // 2, which says no more) or left the bus.
    Outcome start(const Request& request, QString* detail);
    bool isOpen() const { return m_open && !m_lost; }
    // A token for the next start's request to be granted without a dialog, where the
    // portal keeps grants (version 2 on); empty otherwise.
    QString restoreToken() const { return m_restoreToken; }
    // The PipeWire node of the cursor stream, 0 where there is none.
    quint32 cursorStreamNode() const { return m_streamNode; }
    // A new connection to the PipeWire daemon that carries the stream; the caller owns the
    // descriptor. -1 and the D-Bus error on failure.
    int openPipeWireRemote(QString* error);
    // Whether the session's portal hands out the compositor's input socket (ConnectToEIS,
    // version 2 on).
    bool handsOutEis() const { return m_version >= 2; }
    // A socket to the compositor's own input server (EIS) for this session's devices, where
    // the portal hands one out (version 2 on); the caller owns the descriptor. -1 and the
    // D-Bus error otherwise.
    int connectToEis(QString* error);

    // Buttons by their Linux input code (BTN_LEFT and so on). From any thread; each returns
    // once the portal has answered. False once the session is gone.
    bool sendButton(int code, bool pressed);
    // A relative pointer motion.
    bool sendMotion(double dx, double dy);

    // The desktop ended the session (a logout, the portal restarting, the user revoking
    // it): no click reaches anything from then on.
    bool lost() const { return m_lost; }

signals:
    void closed();

private slots:
    void onClosed();

private:
    QString nextToken();
    QDBusMessage sessionCall(const QString& interface, const QString& method);
    void close();

    QDBusConnection m_bus;
    QDBusServiceWatcher* m_watcher;
    QString m_session;
    std::atomic<bool> m_open = false;
    std::atomic<bool> m_lost = false;
    QString m_restoreToken;
    quint32 m_streamNode = 0;
    uint m_version = 0; // found at the start
    PortalRequests* m_requests;
};

} // namespace tivrel
