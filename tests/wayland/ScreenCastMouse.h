#pragma once

#include "platform/wayland/PortalMouse.h"
#include "platform/wayland/ScreenCastPointerWatch.h"

#include <QDBusConnection>
#include <QString>

#include <memory>

namespace tivrel::test {

// The portal's mouse as the program has it on GNOME: asking for the cursor stream, which the
// grant connects to `watch`; why the stream failed, if it did, goes to `streamError`, which
// must outlive the mouse.
std::unique_ptr<PortalMouse> newScreenCastMouse(const QDBusConnection& bus,
                                                ScreenCastPointerWatch& watch, QString& streamError,
                                                EisConnector eis = eisConnector());

} // namespace tivrel::test
