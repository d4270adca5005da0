#pragma once

#include "platform/Browser.h"
#include "platform/ClickTimer.h"
#include "platform/CopyChannel.h"
#include "platform/Dialogs.h"
#include "platform/FileSystem.h"
#include "platform/InstanceLock.h"
#include "platform/Mouse.h"
#include "platform/NotificationIcon.h"
#include "platform/PointerWatch.h"
#include "platform/SettingsStore.h"
#include "platform/StartStopKey.h"
#include "platform/StartupEntry.h"
#include "platform/TerminationSignals.h"
#include "platform/TickSource.h"
#include "platform/TimeOfDay.h"
#include "platform/WindowCommands.h"
#include "platform/WindowStacking.h"

#include <functional>
#include <memory>

namespace tivrel {

// The operations the program needs from the system, gathered so that windows and logic
// receive them in one piece. Each system's assembler names every member (designated
// initialisers); whoever needs another service in one place takes a copy with with().
struct Platform {
    using TickSourceFactory = std::function<std::unique_ptr<TickSource>()>;
    using ClickTimerFactory = std::function<std::unique_ptr<ClickTimer>()>;

    Mouse& mouse;
    PointerWatch& pointerWatch;
    Dialogs& dialogs;
    TimeOfDay& timeOfDay;
    WindowStacking& stacking;
    TickSourceFactory newTickSource;
    ClickTimerFactory newClickTimer;
    SettingsStore& settings;
    FileSystem& files;
    InstanceLock& instanceLock;
    NotificationIcon& trayIcon;
    WindowCommands& windowCommands;
    TerminationSignals& termination;
    StartupEntry& startupEntry;
    Browser& browser;
    StartStopKey& startStopKey;
    CopyChannel& copyChannel;

    // Services to put in place of a platform's own; those left empty stay as they are.
    struct Replacements {
        Mouse* mouse = nullptr;
        PointerWatch* pointerWatch = nullptr;
        Dialogs* dialogs = nullptr;
        TimeOfDay* timeOfDay = nullptr;
        WindowStacking* stacking = nullptr;
        TickSourceFactory newTickSource = {};
        ClickTimerFactory newClickTimer = {};
        SettingsStore* settings = nullptr;
        FileSystem* files = nullptr;
        InstanceLock* instanceLock = nullptr;
        NotificationIcon* trayIcon = nullptr;
        WindowCommands* windowCommands = nullptr;
        TerminationSignals* termination = nullptr;
        StartupEntry* startupEntry = nullptr;
        Browser* browser = nullptr;
        StartStopKey* startStopKey = nullptr;
        CopyChannel* copyChannel = nullptr;
    };

    // This platform with some of its services replaced: a test's real backend among fakes,
    // a tool's scripted message boxes among the real backends.
    Platform with(const Replacements& replacements) const;
};

} // namespace tivrel
