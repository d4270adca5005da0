#pragma once

#include "platform/wayland/RemoteDesktopPortal.h"

#include <QString>

namespace tivrel {

// What the user reads about clicking through the desktop portal: the portal's own code says
// what happened, and the words for it are all here.

// Told before the system's first dialog. `portalKeepsGrants`: the portal remembers what the
// user allowed (version 2 on).
QString portalAskNotice(bool portalKeepsGrants);

// Why a run may not click: a start of the remote desktop that was not granted, with the
// portal's `detail` where it failed.
QString portalRefusal(RemoteDesktopPortal::Outcome outcome, const QString& detail);

} // namespace tivrel
