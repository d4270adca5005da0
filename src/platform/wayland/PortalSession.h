#pragma once

#include "platform/linux/DisplaySession.h"
#include "platform/wayland/PortalProbe.h"

namespace tivrel {

// A Wayland desktop whose portal offers a remote desktop with the pointer (GNOME, KDE and
// others): clicks through it, once the user allowed them at the first run; the start/stop key
// through its global shortcuts where it has them. What the portal offers is as the probe found
// it before Qt started.
std::unique_ptr<DisplaySession> newPortalSession(const PortalOffer& offer, bool xwayland);

} // namespace tivrel
