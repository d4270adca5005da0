#include "platform/wayland/PortalRegistry.h"

#include "platform/wayland/PortalRequests.h"

#include <QDBusMessage>
#include <QVariantMap>

namespace tivrel {

void registerWithPortal(const QDBusConnection& bus) {
    QDBusMessage registration = QDBusMessage::createMethodCall(
        PortalRequests::kService, PortalRequests::kObject,
        QStringLiteral("org.freedesktop.host.portal.Registry"), QStringLiteral("Register"));
    // The id of the desktop file the package installs (packaging/).
    registration << QStringLiteral(TIVREL_APP_ID) << QVariantMap{};
    const QDBusMessage reply = bus.call(registration);
    if (reply.type() == QDBusMessage::ErrorMessage &&
        reply.errorName() != u"org.freedesktop.DBus.Error.UnknownMethod" &&
        reply.errorName() != u"org.freedesktop.DBus.Error.UnknownInterface")
        qWarning("Tivrel: the desktop portal did not take the program's name (%s)",
                 qPrintable(reply.errorMessage()));
}

} // namespace tivrel
