#include "MutterPointer.h"

#include <QDBusInterface>
#include <QDBusObjectPath>
#include <QDBusReply>

namespace tivrel::test {

namespace {

const QString kRemoteDesktop = QStringLiteral("org.gnome.Mutter.RemoteDesktop");
const QString kScreenCast = QStringLiteral("org.gnome.Mutter.ScreenCast");

QString failure(const QDBusError& error) {
    return error.name() + QStringLiteral(": ") + error.message();
}

} // namespace

MutterPointer::~MutterPointer() {
    if (!m_session.isEmpty())
        QDBusInterface(kRemoteDesktop, m_session, kRemoteDesktop + QStringLiteral(".Session"),
                       m_bus)
            .call(QStringLiteral("Stop"));
}

bool MutterPointer::open(const QDBusConnection& bus, const QString& connector, QString* error) {
    m_bus = bus;
    const QDBusReply<QDBusObjectPath> session =
        QDBusInterface(kRemoteDesktop, QStringLiteral("/org/gnome/Mutter/RemoteDesktop"),
                       kRemoteDesktop, bus)
            .call(QStringLiteral("CreateSession"));
    if (!session.isValid()) {
        *error = QStringLiteral("no remote desktop session of mutter: ") + failure(session.error());
        return false;
    }
    QDBusInterface remote(kRemoteDesktop, session.value().path(),
                          kRemoteDesktop + QStringLiteral(".Session"), bus);
    const QString id = remote.property("SessionId").toString();
    // Absolute places are on a stream: a screen cast linked to the session, of the monitor.
    // Nothing reads the stream, so mutter draws no frame for it.
    const QDBusReply<QDBusObjectPath> cast =
        QDBusInterface(kScreenCast, QStringLiteral("/org/gnome/Mutter/ScreenCast"), kScreenCast,
                       bus)
            .call(QStringLiteral("CreateSession"),
                  QVariantMap{{QStringLiteral("remote-desktop-session-id"), id}});
    if (!cast.isValid()) {
        *error = QStringLiteral("no screen cast session of mutter: ") + failure(cast.error());
        return false;
    }
    const QDBusReply<QDBusObjectPath> stream =
        QDBusInterface(kScreenCast, cast.value().path(), kScreenCast + QStringLiteral(".Session"),
                       bus)
            .call(QStringLiteral("RecordMonitor"), connector, QVariantMap{});
    if (!stream.isValid()) {
        *error = QStringLiteral("mutter records no monitor %1: %2")
                     .arg(connector, failure(stream.error()));
        return false;
    }
    const QDBusMessage started = remote.call(QStringLiteral("Start"));
    if (started.type() == QDBusMessage::ErrorMessage) {
        *error = QStringLiteral("mutter's remote desktop session did not start: ") +
                 started.errorMessage();
        return false;
    }
    m_session = session.value().path();
    m_stream = stream.value().path();
    return true;
}

bool MutterPointer::call(const QString& method, const QVariantList& arguments) {
    if (m_session.isEmpty())
        return false;
    QDBusInterface remote(kRemoteDesktop, m_session, kRemoteDesktop + QStringLiteral(".Session"),
                          m_bus);
    return remote.callWithArgumentList(QDBus::Block, method, arguments).type() ==
           QDBusMessage::ReplyMessage;
}

bool MutterPointer::moveTo(QPoint place) {
    return call(QStringLiteral("NotifyPointerMotionAbsolute"),
                {m_stream, double(place.x()), double(place.y())});
}

bool MutterPointer::moveBy(double dx, double dy) {
    return call(QStringLiteral("NotifyPointerMotionRelative"), {dx, dy});
}

bool MutterPointer::button(int code, bool pressed) {
    return call(QStringLiteral("NotifyPointerButton"), {code, pressed});
}

} // namespace tivrel::test
