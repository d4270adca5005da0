#pragma once

#include "platform/Browser.h"
#include "platform/Dialogs.h"
#include "platform/FileSystem.h"
#include "platform/InstanceLock.h"
#include "platform/Mouse.h"
#include "platform/NotificationIcon.h"
#include "platform/SettingsStore.h"
#include "platform/StartupEntry.h"
#include "platform/SystemMenu.h"
#include "platform/TerminationSignals.h"
#include "platform/TickSource.h"
#include "platform/TimeOfDay.h"
#include "platform/WindowStacking.h"

#include <functional>
#include <memory>

namespace tivrel {

// The operations the program needs from the system, gathered so that windows and logic
// receive them in one piece: the real backends in the program, fakes in the tests.
struct Platform {
    Mouse& mouse;
    Dialogs& dialogs;
    TimeOfDay& timeOfDay;
    WindowStacking& stacking;
    std::function<std::unique_ptr<TickSource>()> newTickSource;
    SettingsStore& settings;
    FileSystem& files;
    InstanceLock& instanceLock;
    NotificationIcon& trayIcon;
    SystemMenu& systemMenu;
    TerminationSignals& termination;
    StartupEntry& startupEntry;
    Browser& browser;
};

} // namespace tivrel
