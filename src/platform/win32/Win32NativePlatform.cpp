#include "platform/NativePlatform.h"
#include "platform/qt/DesktopServicesBrowser.h"
#include "platform/qt/LocalSocketCopyChannel.h"
#include "platform/qt/LocaleTimeOfDay.h"
#include "platform/qt/QtDialogs.h"
#include "platform/qt/QtFileSystem.h"
#include "platform/qt/QtNotificationIcon.h"
#include "platform/qt/QtSessionEnd.h"
#include "platform/qt/QtTickSource.h"
#include "platform/win32/NamedMutexInstanceLock.h"
#include "platform/win32/RegistrySettingsStore.h"
#include "platform/win32/ShellLinkStartupEntry.h"
#include "platform/win32/WaitableClickTimer.h"
#include "platform/win32/WaitableTimerTickSource.h"
#include "platform/win32/Win32Mouse.h"
#include "platform/win32/Win32PointerWatch.h"
#include "platform/win32/Win32WindowCommands.h"
#include "platform/win32/Win32WindowStacking.h"

#include <QCoreApplication>

namespace tivrel {

namespace {

// The high-resolution waitable timer where the system gives one, Qt's own otherwise.
std::unique_ptr<TickSource> newTickSource() {
    auto precise = std::make_unique<WaitableTimerTickSource>();
    if (precise->isValid())
        return precise;
    return std::make_unique<QtTickSource>();
}

// Every desktop session has its input queue: there is nothing to open before Qt starts.
class Win32Desktop final : public DisplayConnection {};

class Win32NativePlatform final : public NativePlatform {
public:
    Platform& platform() override { return m_platform; }
    void setDialogOwner(QWidget* owner) override { m_dialogs.setOwner(owner); }

private:
    Win32Mouse m_mouse;
    Win32PointerWatch m_pointerWatch;
    QtDialogs m_dialogs;
    LocaleTimeOfDay m_timeOfDay;
    Win32WindowStacking m_stacking;
    RegistrySettingsStore m_settings;
    QtFileSystem m_files;
    NamedMutexInstanceLock m_instanceLock;
    QtNotificationIcon m_trayIcon;
    Win32WindowCommands m_windowCommands;
    QtSessionEnd m_termination;
    // The link starts the program that wrote it, wherever it lies and whatever its name.
    ShellLinkStartupEntry m_startupEntry{QCoreApplication::applicationFilePath()};
    DesktopServicesBrowser m_browser;
    // RegisterHotKey comes with its own backend; until then the key is not offered here.
    NoStartStopKey m_startStopKey;
    LocalSocketCopyChannel m_copyChannel{LocalSocketCopyChannel::defaultName()};
    Platform m_platform{
        .mouse = m_mouse,
        .pointerWatch = m_pointerWatch,
        .dialogs = m_dialogs,
        .timeOfDay = m_timeOfDay,
        .stacking = m_stacking,
        .newTickSource = &newTickSource,
        .newClickTimer = [] { return std::make_unique<WaitableClickTimer>(); },
        .settings = m_settings,
        .files = m_files,
        .instanceLock = m_instanceLock,
        .trayIcon = m_trayIcon,
        .windowCommands = m_windowCommands,
        .termination = m_termination,
        .startupEntry = m_startupEntry,
        .browser = m_browser,
        .startStopKey = m_startStopKey,
        .copyChannel = m_copyChannel,
    };
};

} // namespace

std::unique_ptr<DisplayConnection> NativePlatform::connect(QString*) {
    return std::make_unique<Win32Desktop>();
}

std::unique_ptr<NativePlatform> NativePlatform::open(std::unique_ptr<DisplayConnection>) {
    return std::make_unique<Win32NativePlatform>();
}

std::unique_ptr<CopyChannel> NativePlatform::secondCopyChannel() {
    return std::make_unique<LocalSocketCopyChannel>(LocalSocketCopyChannel::defaultName());
}

} // namespace tivrel
