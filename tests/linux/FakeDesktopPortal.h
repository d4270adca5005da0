#pragma once

#include <QDBusConnection>
#include <QDBusVirtualObject>
#include <QMutex>
#include <QStringList>
#include <QThread>

namespace tivrel::test {

// The desktop portal's remote desktop and screen cast, and its global shortcuts, as the
// program meets them, on a bus of the test's own, answering on a thread of its own while the
// program's UI thread waits: each request answered through its Request object, the dialog's
// outcome as the test sets it, and every call written down in order ("SelectDevices types=2
// persist=2 token=kept", "button 272 1", "bind start-stop=F6", "close").
class FakeDesktopPortal final : public QDBusVirtualObject {
    Q_OBJECT
public:
    struct Dialog {
        uint response = 0;    // 0 allowed, 1 cancelled, 2 ended otherwise
        uint devices = 2;     // what was granted: 2 the pointer, 0 the screen only
        QString restoreToken; // given back where the version keeps grants
    };

    // What the desktop makes of the shortcuts a program binds.
    struct Binding {
        uint response = 0; // 0 bound, 1 cancelled in the desktop's dialog, 2 failed
        QString trigger;   // the key the desktop describes for it; empty: none
    };

    explicit FakeDesktopPortal(const QString& busAddress);
    ~FakeDesktopPortal() override;

    bool registered() const { return m_registered; }
    void setVersion(uint version) { m_version = version; }
    void setDialog(const Dialog& dialog) { m_dialog = dialog; }
    void failCreateSession(bool fail) { m_failCreate = fail; }
    void setShortcutsVersion(uint version) { m_shortcutsVersion = version; }
    void setBinding(const Binding& binding) { m_binding = binding; }
    // The user presses and releases the key of `shortcut` in each open shortcuts session,
    // holding it down for `repeats` of the keyboard's repeats.
    void pressShortcut(const QString& shortcut, int repeats = 0);
    // The desktop ends every open session, as at a logout or a revoke.
    void endSessions();
    // The portal leaves the bus, as when it crashes.
    void leaveBus();

    QStringList calls() const;
    void clearCalls();

    QString introspect(const QString& path) const override;
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override;

private:
    void answer(const QDBusMessage& call, const QVariantMap& options, uint response,
                const QVariantMap& results);
    void note(const QString& call);

    QThread m_thread;
    QDBusConnection m_bus;
    bool m_registered = false;
    uint m_version = 1;
    uint m_shortcutsVersion = 1; // 0: the portal has no global shortcuts
    Binding m_binding;
    Dialog m_dialog;
    bool m_failCreate = false;
    QStringList m_sessions;
    QStringList m_shortcutSessions;
    mutable QMutex m_lock;
    QStringList m_calls;
};

} // namespace tivrel::test
