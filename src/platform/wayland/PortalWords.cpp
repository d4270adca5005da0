#include "platform/wayland/PortalWords.h"

namespace tivrel {

QString portalAskNotice(bool portalKeepsGrants) {
    const bool gnome = qEnvironmentVariable("XDG_CURRENT_DESKTOP").contains(u"GNOME");
    const QString what = QStringLiteral(
        "On this desktop Tivrel clicks through the system's remote desktop service. The "
        "system will now ask whether Tivrel may control the mouse.\n\n");
    const QString how = gnome ? QStringLiteral("Switch on \"Allow remote interaction\" and press "
                                               "\"Share\". ")
                              : QStringLiteral("Allow it. ");
    const QString when = portalKeepsGrants
                             ? QStringLiteral("The system asks once and remembers the answer.")
                             : QStringLiteral("Tivrel asks once each time it starts.");
    return what + how + when;
}

QString portalRefusal(RemoteDesktopPortal::Outcome outcome, const QString& detail) {
    using Outcome = RemoteDesktopPortal::Outcome;
    switch (outcome) {
    case Outcome::Granted:
        return {};
    case Outcome::Cancelled:
        return QStringLiteral("Tivrel was not allowed to click: the request was cancelled. "
                              "Press ENTER to be asked again.");
    case Outcome::NoPointer:
        return QStringLiteral("Tivrel was not allowed to control the pointer. Press ENTER and, "
                              "when the system asks, allow remote interaction.");
    case Outcome::Failed:
        break;
    }
    const QString failed = QStringLiteral(
        "The desktop's remote desktop service (xdg-desktop-portal) did not answer as expected, "
        "so Tivrel cannot click on this desktop now.");
    return detail.isEmpty() ? failed : failed + QStringLiteral("\n\n") + detail;
}

} // namespace tivrel
