#pragma once

#include "platform/linux/DisplaySession.h"

namespace tivrel {

// A Wayland desktop whose portal offers a remote desktop with the pointer (GNOME, KDE and
// others): clicks through it, once the user allowed them at the first run.
std::unique_ptr<DisplaySession> newPortalSession(bool cursorAsData, bool xwayland);

} // namespace tivrel
