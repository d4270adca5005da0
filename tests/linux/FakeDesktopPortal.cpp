#include "FakeDesktopPortal.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QMutexLocker>

namespace tivrel::test {

// One stream of a Start answer, as the portal marshals it: (node, properties).
struct PortalStream {
    uint node;
    QVariantMap properties;
};

QDBusArgument& operator<<(QDBusArgument& out, const PortalStream& s) {
    out.beginStructure();
    out << s.node << s.properties;
    out.endStructure();
    return out;
}
const QDBusArgument& operator>>(const QDBusArgument& in, PortalStream& s) {
    in.beginStructure();
    in >> s.node >> s.properties;
    in.endStructure();
    return in;
}

// One shortcut as the portal passes it: (id, properties).
struct PortalShortcut {
    QString id;
    QVariantMap properties;
};

QDBusArgument& operator<<(QDBusArgument& out, const PortalShortcut& s) {
    out.beginStructure();
    out << s.id << s.properties;
    out.endStructure();
    return out;
}
const QDBusArgument& operator>>(const QDBusArgument& in, PortalShortcut& s) {
    in.beginStructure();
    in >> s.id >> s.properties;
    in.endStructure();
    return in;
}

} // namespace tivrel::test

Q_DECLARE_METATYPE(tivrel::test::PortalStream)
Q_DECLARE_METATYPE(tivrel::test::PortalShortcut)

namespace tivrel::test {

namespace {

const QString kService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kObject = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kShortcuts = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");

// A caller's name as it appears in the portal's object paths.
QString pathPart(const QString& sender) {
    return sender.mid(1).replace(u'.', u'_');
}

} // namespace

FakeDesktopPortal::FakeDesktopPortal(const QString& busAddress)
    : m_bus(QDBusConnection::connectToBus(busAddress, QStringLiteral("fake-portal"))) {
    qDBusRegisterMetaType<PortalStream>();
    qDBusRegisterMetaType<QList<PortalStream>>();
    qDBusRegisterMetaType<PortalShortcut>();
    qDBusRegisterMetaType<QList<PortalShortcut>>();
    m_registered = m_bus.registerVirtualObject(kObject, this, QDBusConnection::SubPath) &&
                   m_bus.registerService(kService);
    m_thread.start();
    moveToThread(&m_thread);
}

FakeDesktopPortal::~FakeDesktopPortal() {
    leaveBus();
    m_thread.quit();
    m_thread.wait();
    QDBusConnection::disconnectFromBus(QStringLiteral("fake-portal"));
}

void FakeDesktopPortal::leaveBus() {
    m_bus.unregisterService(kService);
    m_bus.unregisterObject(kObject, QDBusConnection::UnregisterTree);
}

void FakeDesktopPortal::endSessions() {
    QMutexLocker locker(&m_lock);
    for (const QString& session : std::as_const(m_sessions))
        m_bus.send(QDBusMessage::createSignal(session,
                                              QStringLiteral("org.freedesktop.portal.Session"),
                                              QStringLiteral("Closed"))
                   << QVariantMap{});
    m_sessions.clear();
    m_shortcutSessions.clear();
}

void FakeDesktopPortal::pressShortcut(const QString& shortcut, int repeats) {
    QMutexLocker locker(&m_lock);
    for (const QString& session : std::as_const(m_shortcutSessions)) {
        const auto send = [&](const char* signal) {
            m_bus.send(QDBusMessage::createSignal(kObject, kShortcuts, QLatin1String(signal))
                       << QVariant::fromValue(QDBusObjectPath(session)) << shortcut << qulonglong(0)
                       << QVariantMap{});
        };
        // A key held down is activated again at each repeat, and deactivated once.
        for (int i = 0; i <= repeats; ++i)
            send("Activated");
        send("Deactivated");
    }
}

QStringList FakeDesktopPortal::calls() const {
    QMutexLocker locker(&m_lock);
    return m_calls;
}

void FakeDesktopPortal::clearCalls() {
    QMutexLocker locker(&m_lock);
    m_calls.clear();
}

void FakeDesktopPortal::note(const QString& call) {
    QMutexLocker locker(&m_lock);
    m_calls.append(call);
}

QString FakeDesktopPortal::introspect(const QString&) const {
    return {};
}

void FakeDesktopPortal::answer(const QDBusMessage& call, const QVariantMap& options, uint response,
                               const QVariantMap& results) {
    const QString request = QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2")
                                .arg(pathPart(call.service()),
                                     options.value(QStringLiteral("handle_token")).toString());
    m_bus.send(call.createReply(QVariant::fromValue(QDBusObjectPath(request))));
    m_bus.send(QDBusMessage::createSignal(request, QStringLiteral("org.freedesktop.portal.Request"),
                                          QStringLiteral("Response"))
               << response << results);
}

bool FakeDesktopPortal::handleMessage(const QDBusMessage& message,
                                      const QDBusConnection& connection) {
    const QString member = message.member();
    const QVariantList args = message.arguments();
    const auto optionsAt = [&](int i) {
        return qdbus_cast<QVariantMap>(args.value(i).value<QDBusArgument>());
    };
    const bool shortcuts = message.interface() == kShortcuts;
    if (member == u"Get") {
        const QString property = args.value(1).toString();
        if (args.value(0).toString() == kShortcuts && m_shortcutsVersion == 0) {
            connection.send(message.createErrorReply(
                QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs"), QStringLiteral("none")));
            return true;
        }
        const uint value = args.value(0).toString() == kShortcuts ? m_shortcutsVersion
                           : property == u"version"               ? m_version
                                                                  : 7;
        connection.send(message.createReply(QVariant::fromValue(QDBusVariant(value))));
    } else if (member == u"Register") {
        note(QStringLiteral("Register ") + args.value(0).toString());
        connection.send(message.createReply());
    } else if (member == u"CreateSession") {
        note(shortcuts ? QStringLiteral("shortcuts session") : QStringLiteral("CreateSession"));
        const QVariantMap options = optionsAt(0);
        if (m_failCreate) {
            connection.send(
                message.createErrorReply(QStringLiteral("org.freedesktop.DBus.Error.Failed"),
                                         QStringLiteral("no session today")));
            return true;
        }
        const QString session =
            QStringLiteral("/org/freedesktop/portal/desktop/session/%1/%2")
                .arg(pathPart(message.service()),
                     options.value(QStringLiteral("session_handle_token")).toString());
        {
            QMutexLocker locker(&m_lock);
            m_sessions.append(session);
            if (shortcuts)
                m_shortcutSessions.append(session);
        }
        answer(message, options, 0, {{QStringLiteral("session_handle"), session}});
    } else if (member == u"SelectDevices") {
        const QVariantMap options = optionsAt(1);
        note(QStringLiteral("SelectDevices types=%1 persist=%2 token=%3")
                 .arg(options.value(QStringLiteral("types")).toUInt())
                 .arg(options.value(QStringLiteral("persist_mode")).toUInt())
                 .arg(options.value(QStringLiteral("restore_token")).toString()));
        answer(message, options, 0, {});
    } else if (member == u"SelectSources") {
        const QVariantMap options = optionsAt(1);
        note(QStringLiteral("SelectSources types=%1 cursor=%2")
                 .arg(options.value(QStringLiteral("types")).toUInt())
                 .arg(options.value(QStringLiteral("cursor_mode")).toUInt()));
        answer(message, options, 0, {});
    } else if (member == u"Start") {
        note(QStringLiteral("Start parent=") + args.value(1).toString());
        QVariantMap results{
            {QStringLiteral("devices"), m_dialog.devices},
            {QStringLiteral("streams"), QVariant::fromValue(QList<PortalStream>{{42, {}}})}};
        if (m_version >= 2 && !m_dialog.restoreToken.isEmpty())
            results.insert(QStringLiteral("restore_token"), m_dialog.restoreToken);
        answer(message, optionsAt(2), m_dialog.response, results);
    } else if (member == u"BindShortcuts") {
        const auto asked = qdbus_cast<QList<PortalShortcut>>(args.value(1).value<QDBusArgument>());
        QString call = QStringLiteral("bind");
        QList<PortalShortcut> bound;
        for (const PortalShortcut& s : asked) {
            call += QStringLiteral(" %1=%2").arg(
                s.id, s.properties.value(QStringLiteral("preferred_trigger")).toString());
            bound.append({s.id,
                          {{QStringLiteral("description"),
                            s.properties.value(QStringLiteral("description"))},
                           {QStringLiteral("trigger_description"), m_binding.trigger}}});
        }
        note(call);
        answer(message, optionsAt(3), m_binding.response,
               m_binding.response == 0
                   ? QVariantMap{{QStringLiteral("shortcuts"), QVariant::fromValue(bound)}}
                   : QVariantMap{});
    } else if (member == u"NotifyPointerButton") {
        note(QStringLiteral("button %1 %2").arg(args.value(2).toInt()).arg(args.value(3).toUInt()));
        connection.send(message.createReply());
    } else if (member == u"NotifyPointerMotion") {
        note(QStringLiteral("motion %1 %2")
                 .arg(args.value(2).toDouble())
                 .arg(args.value(3).toDouble()));
        connection.send(message.createReply());
    } else if (member == u"ConnectToEIS") {
        // No input socket here: the buttons go through the calls above.
        connection.send(message.createErrorReply(
            QStringLiteral("org.freedesktop.DBus.Error.NotSupported"), QStringLiteral("no EIS")));
    } else if (member == u"Close") {
        note(QStringLiteral("close"));
        QMutexLocker locker(&m_lock);
        m_sessions.removeAll(message.path());
        m_shortcutSessions.removeAll(message.path());
        connection.send(message.createReply());
    } else {
        return false;
    }
    return true;
}

} // namespace tivrel::test
