#pragma once

#include "platform/StartStopKey.h"

#include <QDBusConnection>
#include <QObject>
#include <QString>

class QDBusMessage;
class QDBusObjectPath;

namespace tivrel {

class PortalRequests;

// The start/stop key through the desktop portal's global shortcuts (KDE Plasma, GNOME from
// 48): one shortcut in a session that lasts until the user chooses another key (or none). The
// desktop may give the shortcut another key than the one asked for (its own dialog, its
// shortcut settings), and the held key is the one it reports.
class GlobalShortcutsKey final : public QObject, public StartStopKey {
    Q_OBJECT
public:
    // `desktopChooses`: the desktop shows its own dialog when a key is bound (GNOME).
    GlobalShortcutsKey(QDBusConnection bus, bool desktopChooses);
    // Closes the session: the desktop lets go of the key.
    ~GlobalShortcutsKey() override;
    GlobalShortcutsKey(const GlobalShortcutsKey&) = delete;
    GlobalShortcutsKey& operator=(const GlobalShortcutsKey&) = delete;

    Result hold(const QString& key) override;
    QString heldKey() const override { return m_held; }
    bool desktopChooses() const override { return m_desktopChooses; }

private slots:
    void onActivated(const QDBusObjectPath& session, const QString& shortcut, qulonglong timestamp,
                     const QVariantMap& options);
    void onDeactivated(const QDBusObjectPath& session, const QString& shortcut,
                       qulonglong timestamp, const QVariantMap& options);
    void onShortcutsChanged(const QDBusMessage& message);
    void onClosed();

private:
    bool openSession();
    void closeSession();
    // Stops listening to the session, and forgets it and its key.
    void forgetSession();

    QDBusConnection m_bus;
    bool m_desktopChooses;
    PortalRequests* m_requests;
    QString m_session;
    QString m_held;
    bool m_down = false; // pressed and not yet released
};

} // namespace tivrel
