#pragma once

#include <QDBusConnection>

namespace tivrel {

// Names the program to the desktop portal by its desktop file's id, as a program outside a
// sandbox must from xdg-desktop-portal 1.21 on before the global shortcuts serve it. The
// first call to the portal on `bus` must be this one. A portal without the registry (before
// 1.20) needs nothing; a refusal is logged, and the program carries on unnamed.
void registerWithPortal(const QDBusConnection& bus);

} // namespace tivrel
