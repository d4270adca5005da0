#include "platform/linux/DisplaySession.h"

#include <algorithm>

namespace tivrel {

SessionEnvironment SessionEnvironment::current() {
    return {qEnvironmentVariable("WAYLAND_DISPLAY"), qEnvironmentVariable("DISPLAY"),
            qEnvironmentVariable("XDG_SESSION_TYPE")};
}

std::vector<const DisplaySessionKind*> sessionsToTry(const SessionEnvironment& environment,
                                                     const std::vector<DisplaySessionKind>& kinds) {
    const QString own = !environment.sessionType.isEmpty()      ? environment.sessionType
                        : !environment.waylandDisplay.isEmpty() ? QStringLiteral("wayland")
                                                                : QStringLiteral("x11");
    std::vector<const DisplaySessionKind*> order;
    for (const DisplaySessionKind& kind : kinds) {
        if (kind.offered(environment))
            order.push_back(&kind);
    }
    std::stable_partition(order.begin(), order.end(),
                          [&own](const DisplaySessionKind* kind) { return kind->name == own; });
    return order;
}

QString noSessionMessage(const SessionEnvironment& environment) {
    // A build with the Wayland session offers it wherever WAYLAND_DISPLAY is set, so this
    // one is an X11-only build's.
    if (!environment.waylandDisplay.isEmpty()) {
        return QStringLiteral("this Wayland session has no X11 display, and this build of "
                              "Tivrel clicks only through X11. Tivrel needs XWayland here.");
    }
    return QStringLiteral("no graphical session found. Tivrel needs an X11 session, XWayland "
                          "or a Wayland desktop with a virtual pointer (sway) to click; start "
                          "it from a desktop session.");
}

std::unique_ptr<DisplaySession> connectDisplaySession(const SessionEnvironment& environment,
                                                      const std::vector<DisplaySessionKind>& kinds,
                                                      QString* error) {
    const auto order = sessionsToTry(environment, kinds);
    if (order.empty()) {
        if (error)
            *error = noSessionMessage(environment);
        return nullptr;
    }
    QString first;
    for (const DisplaySessionKind* kind : order) {
        QString why;
        if (auto session = kind->connect(&why))
            return session;
        if (first.isEmpty())
            first = why;
    }
    if (error)
        *error = first;
    return nullptr;
}

} // namespace tivrel
