#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QVariantMap>

#include <optional>

class QDBusServiceWatcher;

namespace tivrel {

// The desktop portal answers most of its calls later, through a Request object: this makes
// such a call and waits for that answer while the UI thread's events go on. Each portal
// service the program uses (the remote desktop, the global shortcuts) has one.
class PortalRequests final : public QObject {
    Q_OBJECT
public:
    static inline const QString kService = QStringLiteral("org.freedesktop.portal.Desktop");
    static inline const QString kObject = QStringLiteral("/org/freedesktop/portal/desktop");
    // The interface of the session objects the services hand out, and how long closing one
    // may take.
    static inline const QString kSessionInterface =
        QStringLiteral("org.freedesktop.portal.Session");
    static constexpr int kCloseTimeoutMs = 1000;
    static constexpr uint kCancelled = 1;

    struct Answer {
        uint code = 2; // 0 granted, 1 (kCancelled) cancelled by the user, 2 ended otherwise
        QVariantMap results;
    };

    explicit PortalRequests(QDBusConnection bus, QObject* parent = nullptr);

    // A token no other call of this program has used. The portal names its Request and
    // session objects after the caller and the token, so two services' calls must not share
    // one.
    static QString nextToken();

    // Calls `method` with `arguments` and `options` (which get the handle token) and waits for
    // its answer. Nothing where the call failed (`detail` says why), the portal left the bus,
    // or stopWaiting() ended the wait.
    std::optional<Answer> call(const QString& interface, const QString& method,
                               QVariantList arguments, QVariantMap options, QString* detail);

public slots:
    // Ends a wait under way: the session it was for has ended.
    void stopWaiting();

signals:
    void answered();
    void stopped();

private slots:
    void onResponse(uint response, const QVariantMap& results);

private:
    QDBusConnection m_bus;
    QDBusServiceWatcher* m_watcher;
    std::optional<Answer> m_answer;
};

} // namespace tivrel
