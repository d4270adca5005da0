#include "platform/wayland/GlobalShortcutsKey.h"

#include "platform/wayland/PortalRequests.h"
#include "platform/wayland/ShortcutTrigger.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusServiceWatcher>

namespace tivrel {

// One shortcut as the portal passes it: its id and its properties, (sa{sv}).
struct PortalShortcut {
    QString id;
    QVariantMap properties;
};

QDBusArgument& operator<<(QDBusArgument& out, const PortalShortcut& shortcut) {
    out.beginStructure();
    out << shortcut.id << shortcut.properties;
    out.endStructure();
    return out;
}

const QDBusArgument& operator>>(const QDBusArgument& in, PortalShortcut& shortcut) {
    in.beginStructure();
    in >> shortcut.id >> shortcut.properties;
    in.endStructure();
    return in;
}

} // namespace tivrel

Q_DECLARE_METATYPE(tivrel::PortalShortcut)

namespace tivrel {

namespace {

const QString kGlobalShortcuts = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");
const QString kShortcutId = QStringLiteral("start-stop");
const QString kSessionToken = QStringLiteral("Tivrel");

// The desktop's description of our shortcut's key in a list of shortcuts, empty where it gave
// the shortcut none.
QString triggerOf(const QVariant& shortcuts) {
    if (!shortcuts.canConvert<QDBusArgument>())
        return {};
    const auto list = qdbus_cast<QList<PortalShortcut>>(shortcuts.value<QDBusArgument>());
    for (const PortalShortcut& shortcut : list)
        if (shortcut.id == kShortcutId)
            return shortcut.properties.value(QStringLiteral("trigger_description")).toString();
    return {};
}

} // namespace

GlobalShortcutsKey::GlobalShortcutsKey(QDBusConnection bus, bool desktopChooses)
    : m_bus(std::move(bus)), m_desktopChooses(desktopChooses),
      m_requests(new PortalRequests(m_bus, this)) {
    qDBusRegisterMetaType<PortalShortcut>();
    qDBusRegisterMetaType<QList<PortalShortcut>>();
    m_bus.connect(PortalRequests::kService, PortalRequests::kObject, kGlobalShortcuts,
                  QStringLiteral("Activated"), this,
                  SLOT(onActivated(QDBusObjectPath, QString, qulonglong, QVariantMap)));
    m_bus.connect(PortalRequests::kService, PortalRequests::kObject, kGlobalShortcuts,
                  QStringLiteral("Deactivated"), this,
                  SLOT(onDeactivated(QDBusObjectPath, QString, qulonglong, QVariantMap)));
    m_bus.connect(PortalRequests::kService, PortalRequests::kObject, kGlobalShortcuts,
                  QStringLiteral("ShortcutsChanged"), this, SLOT(onShortcutsChanged(QDBusMessage)));
    // The portal restarting ends its sessions, and takes the key with them.
    auto* watcher = new QDBusServiceWatcher(PortalRequests::kService, m_bus,
                                            QDBusServiceWatcher::WatchForUnregistration, this);
    connect(watcher, &QDBusServiceWatcher::serviceUnregistered, this,
            &GlobalShortcutsKey::onClosed);
}

GlobalShortcutsKey::~GlobalShortcutsKey() {
    closeSession();
}

StartStopKey::Result GlobalShortcutsKey::hold(const QString& key) {
    if (key.isEmpty()) {
        closeSession();
        return Result::Held;
    }
    const QString trigger = shortcutTrigger(key);
    if (trigger.isEmpty()) {
        qWarning("Tivrel: the desktop's shortcuts have no name for the key %s", qPrintable(key));
        return Result::Refused;
    }
    // Each key chosen in a session of its own. Bound again in the same session, Plasma 6.3
    // reported the new key while the old one went on working and the new one did nothing; in a
    // new session it reports the key that works, which is the one its shortcut settings keep.
    closeSession();
    if (!openSession())
        return Result::Refused;
    const QVariantMap shortcut{
        {QStringLiteral("description"), QStringLiteral("Start or stop a click run")},
        {QStringLiteral("preferred_trigger"), trigger}};
    QString detail;
    const auto bound = m_requests->call(
        kGlobalShortcuts, QStringLiteral("BindShortcuts"),
        {QVariant::fromValue(QDBusObjectPath(m_session)),
         QVariant::fromValue(QList<PortalShortcut>{{kShortcutId, shortcut}}), QString()},
        {}, &detail);
    if (!bound || bound->code != 0) {
        if (!bound || bound->code != PortalRequests::kCancelled)
            qWarning("Tivrel: the desktop did not bind the start/stop key %s (%s)",
                     qPrintable(trigger),
                     qPrintable(!bound ? detail : QStringLiteral("its shortcut service failed")));
        closeSession();
        return Result::Refused;
    }
    m_held = triggerOf(bound->results.value(QStringLiteral("shortcuts")));
    if (!m_held.isEmpty())
        return Result::Held;
    // A key that is another program's shortcut is not given; Plasma 5.27 gives none at all and
    // opens its shortcut settings, where the user gives one (ShortcutsChanged tells it then).
    return Result::Unassigned;
}

bool GlobalShortcutsKey::openSession() {
    QString detail;
    // Always the same session token: a desktop that does not know the program's name keeps its
    // shortcuts under the token (Plasma 5.27 does), and the key its user gave it then stays.
    const auto created =
        m_requests->call(kGlobalShortcuts, QStringLiteral("CreateSession"), {},
                         {{QStringLiteral("session_handle_token"), kSessionToken}}, &detail);
    if (created && created->code == 0)
        m_session = created->results.value(QStringLiteral("session_handle")).toString();
    if (m_session.isEmpty()) {
        qWarning("Tivrel: the desktop's global shortcuts gave no session (%s)",
                 qPrintable(created ? QStringLiteral("answer %1").arg(created->code) : detail));
        return false;
    }
    m_bus.connect(PortalRequests::kService, m_session, PortalRequests::kSessionInterface,
                  QStringLiteral("Closed"), this, SLOT(onClosed()));
    return true;
}

void GlobalShortcutsKey::closeSession() {
    if (m_session.isEmpty())
        return;
    const QString session = m_session;
    forgetSession();
    m_bus.call(QDBusMessage::createMethodCall(PortalRequests::kService, session,
                                              PortalRequests::kSessionInterface,
                                              QStringLiteral("Close")),
               QDBus::Block, PortalRequests::kCloseTimeoutMs);
}

void GlobalShortcutsKey::forgetSession() {
    m_bus.disconnect(PortalRequests::kService, m_session, PortalRequests::kSessionInterface,
                     QStringLiteral("Closed"), this, SLOT(onClosed()));
    m_session.clear();
    m_held.clear();
    m_down = false;
}

// A key held down is activated again at the keyboard's repeat rate (Plasma 6.3: twelve times
// in a second's hold) and deactivated once, at its release: one press.
void GlobalShortcutsKey::onActivated(const QDBusObjectPath& session, const QString& shortcut,
                                     qulonglong, const QVariantMap&) {
    if (session.path() != m_session || shortcut != kShortcutId || m_down)
        return;
    m_down = true;
    pressed();
}

void GlobalShortcutsKey::onDeactivated(const QDBusObjectPath& session, const QString& shortcut,
                                       qulonglong, const QVariantMap&) {
    if (session.path() == m_session && shortcut == kShortcutId)
        m_down = false;
}

void GlobalShortcutsKey::onShortcutsChanged(const QDBusMessage& message) {
    const QVariantList arguments = message.arguments();
    if (arguments.size() < 2 || arguments[0].value<QDBusObjectPath>().path() != m_session ||
        m_session.isEmpty())
        return;
    m_held = triggerOf(arguments[1]);
    changed();
}

void GlobalShortcutsKey::onClosed() {
    if (m_session.isEmpty())
        return;
    forgetSession();
    m_requests->stopWaiting();
    lost();
}

} // namespace tivrel
