#include "platform/wayland/PortalRequests.h"

#include <QDBusObjectPath>
#include <QDBusReply>
#include <QDBusServiceWatcher>
#include <QEventLoop>

#include <atomic>

namespace tivrel {

namespace {

const QString kRequest = QStringLiteral("org.freedesktop.portal.Request");

} // namespace

PortalRequests::PortalRequests(QDBusConnection bus, QObject* parent)
    : QObject(parent), m_bus(std::move(bus)),
      m_watcher(new QDBusServiceWatcher(kService, m_bus,
                                        QDBusServiceWatcher::WatchForUnregistration, this)) {}

QString PortalRequests::nextToken() {
    static std::atomic<int> tokens = 0;
    return QStringLiteral("tivrel%1").arg(++tokens);
}

std::optional<PortalRequests::Answer> PortalRequests::call(const QString& interface,
                                                           const QString& method,
                                                           QVariantList arguments,
                                                           QVariantMap options, QString* detail) {
    // The answer comes as a signal on a Request object named after the caller and a token:
    // subscribed before the call, or a quick answer would be missed.
    const QString token = nextToken();
    const QString sender = m_bus.baseService().mid(1).replace(u'.', u'_');
    QString path = kObject + QStringLiteral("/request/%1/%2").arg(sender, token);
    const auto listen = [this](const QString& on) {
        return m_bus.connect(kService, on, kRequest, QStringLiteral("Response"), this,
                             SLOT(onResponse(uint, QVariantMap)));
    };
    const auto stopListening = [this](const QString& on) {
        m_bus.disconnect(kService, on, kRequest, QStringLiteral("Response"), this,
                         SLOT(onResponse(uint, QVariantMap)));
    };
    listen(path);
    options.insert(QStringLiteral("handle_token"), token);
    QDBusMessage message = QDBusMessage::createMethodCall(kService, kObject, interface, method);
    arguments.append(options);
    message.setArguments(arguments);
    m_answer.reset();
    const QDBusReply<QDBusObjectPath> reply = m_bus.call(message);
    if (!reply.isValid()) {
        stopListening(path);
        *detail = reply.error().message();
        return std::nullopt;
    }
    // A portal older than its handle tokens names the Request object itself.
    if (reply.value().path() != path) {
        stopListening(path);
        path = reply.value().path();
        listen(path);
    }
    if (!m_answer) {
        QEventLoop waiting;
        connect(this, &PortalRequests::answered, &waiting, &QEventLoop::quit);
        connect(this, &PortalRequests::stopped, &waiting, &QEventLoop::quit);
        connect(m_watcher, &QDBusServiceWatcher::serviceUnregistered, &waiting, &QEventLoop::quit);
        waiting.exec();
    }
    stopListening(path);
    detail->clear();
    return std::exchange(m_answer, std::nullopt);
}

void PortalRequests::stopWaiting() {
    emit stopped();
}

void PortalRequests::onResponse(uint response, const QVariantMap& results) {
    m_answer = Answer{response, results};
    emit answered();
}

} // namespace tivrel
