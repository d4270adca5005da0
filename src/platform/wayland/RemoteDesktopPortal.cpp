#include "platform/wayland/RemoteDesktopPortal.h"

#include "platform/wayland/PortalProbe.h"

#include <QDBusArgument>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QDBusServiceWatcher>
#include <QDBusUnixFileDescriptor>

#include <fcntl.h>

namespace tivrel {

namespace {

const QString kRemoteDesktop = QStringLiteral("org.freedesktop.portal.RemoteDesktop");
const QString kScreenCast = QStringLiteral("org.freedesktop.portal.ScreenCast");

// The screen cast's monitor source, and a grant kept until the user takes it back.
constexpr uint kMonitorSource = 1;
constexpr uint kPersistUntilRevoked = 2;
// A press or release answered later than this: the desktop is not taking input any more.
constexpr int kInputCallTimeoutMs = 2000;

// The streams of a Start answer, a(ua{sv}): the first one's PipeWire node.
quint32 firstStreamNode(const QVariant& streams) {
    if (!streams.canConvert<QDBusArgument>())
        return 0;
    const QDBusArgument argument = streams.value<QDBusArgument>();
    quint32 first = 0;
    argument.beginArray();
    while (!argument.atEnd()) {
        quint32 node = 0;
        QVariantMap properties;
        argument.beginStructure();
        argument >> node >> properties;
        argument.endStructure();
        if (first == 0)
            first = node;
    }
    argument.endArray();
    return first;
}

} // namespace

RemoteDesktopPortal::RemoteDesktopPortal(QDBusConnection bus)
    : m_bus(std::move(bus)), m_requests(new PortalRequests(m_bus, this)) {
    // A session that ends while a request waits ends the wait.
    connect(this, &RemoteDesktopPortal::closed, m_requests, &PortalRequests::stopWaiting);
    // The desktop's portal restarting ends every session it had.
    m_watcher = new QDBusServiceWatcher(PortalRequests::kService, m_bus,
                                        QDBusServiceWatcher::WatchForUnregistration, this);
    connect(m_watcher, &QDBusServiceWatcher::serviceUnregistered, this,
            &RemoteDesktopPortal::onClosed);
}

RemoteDesktopPortal::~RemoteDesktopPortal() {
    close();
}

uint RemoteDesktopPortal::version() {
    QDBusMessage get = QDBusMessage::createMethodCall(
        PortalRequests::kService, PortalRequests::kObject,
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << kRemoteDesktop << QStringLiteral("version");
    const QDBusReply<QDBusVariant> reply = m_bus.call(get);
    return reply.isValid() ? reply.value().variant().toUInt() : 0;
}

QString RemoteDesktopPortal::nextToken() {
    return PortalRequests::nextToken();
}

RemoteDesktopPortal::Outcome RemoteDesktopPortal::start(const Request& asked, QString* detail) {
    close();
    m_lost = false;
    detail->clear();
    const auto refused = [&](uint code) {
        close();
        return code == PortalRequests::kCancelled ? Outcome::Cancelled : Outcome::Failed;
    };
    const auto request = [&](const QString& interface, const QString& method,
                             QVariantList arguments, QVariantMap options) {
        return m_requests->call(interface, method, std::move(arguments), std::move(options),
                                detail);
    };

    auto created = request(kRemoteDesktop, QStringLiteral("CreateSession"), {},
                           {{QStringLiteral("session_handle_token"), nextToken()}});
    if (!created)
        return Outcome::Failed;
    if (created->code != 0)
        return refused(created->code);
    m_session = created->results.value(QStringLiteral("session_handle")).toString();
    if (m_session.isEmpty())
        return Outcome::Failed;
    m_open = true;
    m_bus.connect(PortalRequests::kService, m_session, PortalRequests::kSessionInterface,
                  QStringLiteral("Closed"), this, SLOT(onClosed()));
    const QVariantList session{QVariant::fromValue(QDBusObjectPath(m_session))};

    QVariantMap devices{{QStringLiteral("types"), kPortalPointerDevice}};
    m_version = version();
    if (m_version >= 2) {
        devices.insert(QStringLiteral("persist_mode"), kPersistUntilRevoked);
        if (!asked.restoreToken.isEmpty())
            devices.insert(QStringLiteral("restore_token"), asked.restoreToken);
    }
    auto selected = request(kRemoteDesktop, QStringLiteral("SelectDevices"), session, devices);
    if (!selected)
        return close(), Outcome::Failed;
    if (selected->code != 0)
        return refused(selected->code);

    if (asked.cursorStream) {
        auto sources = request(kScreenCast, QStringLiteral("SelectSources"), session,
                               {{QStringLiteral("types"), kMonitorSource},
                                {QStringLiteral("multiple"), false},
                                {QStringLiteral("cursor_mode"), kPortalCursorAsMetadata}});
        if (!sources)
            return close(), Outcome::Failed;
        if (sources->code != 0)
            return refused(sources->code);
    }

    auto started = request(kRemoteDesktop, QStringLiteral("Start"),
                           session + QVariantList{asked.parentWindow}, {});
    if (!started)
        return close(), Outcome::Failed;
    if (started->code != 0)
        return refused(started->code);
    // GNOME's dialog grants a screen share without the pointer unless the user switched on
    // the remote interaction.
    if (!(started->results.value(QStringLiteral("devices")).toUInt() & kPortalPointerDevice)) {
        close();
        return Outcome::NoPointer;
    }
    m_restoreToken = started->results.value(QStringLiteral("restore_token")).toString();
    m_streamNode = firstStreamNode(started->results.value(QStringLiteral("streams")));
    return Outcome::Granted;
}

int RemoteDesktopPortal::openPipeWireRemote(QString* error) {
    QDBusMessage open =
        QDBusMessage::createMethodCall(PortalRequests::kService, PortalRequests::kObject,
                                       kScreenCast, QStringLiteral("OpenPipeWireRemote"));
    open << QVariant::fromValue(QDBusObjectPath(m_session)) << QVariantMap{};
    const QDBusReply<QDBusUnixFileDescriptor> reply = m_bus.call(open);
    if (!reply.isValid()) {
        *error = reply.error().message();
        return -1;
    }
    // The reply's descriptor closes with it.
    return fcntl(reply.value().fileDescriptor(), F_DUPFD_CLOEXEC, 0);
}

int RemoteDesktopPortal::connectToEis(QString* error) {
    QDBusMessage connectToEis = sessionCall(kRemoteDesktop, QStringLiteral("ConnectToEIS"));
    const QDBusReply<QDBusUnixFileDescriptor> reply = m_bus.call(connectToEis);
    if (!reply.isValid()) {
        *error = reply.error().message();
        return -1;
    }
    return fcntl(reply.value().fileDescriptor(), F_DUPFD_CLOEXEC, 0);
}

QDBusMessage RemoteDesktopPortal::sessionCall(const QString& interface, const QString& method) {
    QDBusMessage call = QDBusMessage::createMethodCall(PortalRequests::kService,
                                                       PortalRequests::kObject, interface, method);
    call << QVariant::fromValue(QDBusObjectPath(m_session)) << QVariantMap{};
    return call;
}

bool RemoteDesktopPortal::sendButton(int code, bool pressed) {
    if (m_lost || !m_open)
        return false;
    QDBusMessage call = sessionCall(kRemoteDesktop, QStringLiteral("NotifyPointerButton"));
    call << code << uint(pressed ? 1 : 0);
    // Each waits for its answer: the portal handles calls side by side, so a press sent
    // without waiting could reach the desktop after its release, and the click is lost (1 or
    // 2 of 200 on mutter at 5 ms).
    const QDBusMessage reply = m_bus.call(call, QDBus::Block, kInputCallTimeoutMs);
    if (reply.type() == QDBusMessage::ErrorMessage) {
        m_lost = true;
        return false;
    }
    return true;
}

bool RemoteDesktopPortal::sendMotion(double dx, double dy) {
    if (m_lost || !m_open)
        return false;
    QDBusMessage call = sessionCall(kRemoteDesktop, QStringLiteral("NotifyPointerMotion"));
    call << dx << dy;
    const QDBusMessage reply = m_bus.call(call, QDBus::Block, kInputCallTimeoutMs);
    return reply.type() != QDBusMessage::ErrorMessage;
}

void RemoteDesktopPortal::onClosed() {
    if (!m_open)
        return;
    m_open = false;
    m_lost = true;
    emit closed();
}

void RemoteDesktopPortal::close() {
    if (m_session.isEmpty())
        return;
    m_bus.disconnect(PortalRequests::kService, m_session, PortalRequests::kSessionInterface,
                     QStringLiteral("Closed"), this, SLOT(onClosed()));
    // Waits for the answer: a refused run is over only once the desktop has ended its session.
    if (m_open)
        m_bus.call(QDBusMessage::createMethodCall(PortalRequests::kService, m_session,
                                                  PortalRequests::kSessionInterface,
                                                  QStringLiteral("Close")),
                   QDBus::Block, PortalRequests::kCloseTimeoutMs);
    m_open = false;
    m_session.clear();
    m_streamNode = 0;
}

} // namespace tivrel
