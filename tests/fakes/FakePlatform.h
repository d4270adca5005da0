#pragma once

#include "fakes/FakeClickTimer.h"
#include "fakes/FakeDialogs.h"
#include "fakes/FakeMouse.h"
#include "fakes/FakeShellServices.h"
#include "fakes/FakeStartStopKey.h"
#include "fakes/FakeStartupEntry.h"
#include "fakes/FakeTickSource.h"
#include "platform/Platform.h"
#include "platform/TimeOfDay.h"
#include "platform/WindowStacking.h"
#include "platform/null/NullPlatform.h"

#include <QStringList>
#include <QWidget>

#include <deque>
#include <vector>

namespace tivrel::test {

// Gives the times of day from a list, then repeats the last one.
class FakeTimeOfDay final : public TimeOfDay {
public:
    QString now() override {
        if (times.size() > 1) {
            const QString t = times.front();
            times.pop_front();
            return t;
        }
        return times.empty() ? QStringLiteral("12:00:00") : times.front();
    }
    std::deque<QString> times;
};

// Records the placement calls as "on:<objectName>" and "off:<objectName>".
class FakeStacking final : public WindowStacking {
public:
    void makeOnTop(QWidget& window) override {
        calls << QStringLiteral("on:") + window.objectName();
    }
    void makeNotOnTop(QWidget& window) override {
        calls << QStringLiteral("off:") + window.objectName();
    }
    QStringList calls;
};

// Every fake in one bundle, over the null platform: a service without a fake does nothing.
// Tick sources are created in the order the window asks for them and kept in `timers`, click
// timers in `clickTimers`.
struct FakePlatform {
    // The main window's timers, told apart by the order it asks for them: the mouse watch
    // Timer3, the slow clock Timer2, then the click thread Timer1. One not made yet throws.
    FakeClickTimer& timer1() const { return *clickTimers.at(0); }
    FakeTickSource& timer2() const { return *timers.at(1); }
    FakeTickSource& timer3() const { return *timers.at(0); }

    NullPlatform null;
    FakeMouse mouse;
    FakePointerWatch pointerWatch;
    FakeDialogs dialogs;
    FakeTimeOfDay timeOfDay;
    FakeStacking stacking;
    FakeSettingsStore settings;
    FakeFileSystem files;
    FakeInstanceLock instanceLock;
    FakeNotificationIcon trayIcon;
    FakeWindowCommands windowCommands;
    FakeTerminationSignals termination;
    FakeStartupEntry startupEntry;
    FakeBrowser browser;
    FakeStartStopKey startStopKey;
    FakeCopyChannel copyChannel;
    std::vector<FakeTickSource*> timers;
    std::vector<FakeClickTimer*> clickTimers;
    Platform platform = null.platform.with({
        .mouse = &mouse,
        .pointerWatch = &pointerWatch,
        .dialogs = &dialogs,
        .timeOfDay = &timeOfDay,
        .stacking = &stacking,
        .newTickSource =
            [this] {
                auto source = std::make_unique<FakeTickSource>();
                timers.push_back(source.get());
                return source;
            },
        .newClickTimer =
            [this] {
                auto timer = std::make_unique<FakeClickTimer>();
                clickTimers.push_back(timer.get());
                return timer;
            },
        .settings = &settings,
        .files = &files,
        .instanceLock = &instanceLock,
        .trayIcon = &trayIcon,
        .windowCommands = &windowCommands,
        .termination = &termination,
        .startupEntry = &startupEntry,
        .browser = &browser,
        .startStopKey = &startStopKey,
        .copyChannel = &copyChannel,
    });
};

} // namespace tivrel::test
