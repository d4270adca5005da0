#include "platform/NativePlatform.h"
#include "platform/linux/DeadlineClickTimer.h"
#include "platform/linux/PosixTerminationSignals.h"
#include "platform/linux/TimerFdTickSource.h"
#include "platform/linux/XdgAutostartEntry.h"
#include "platform/qt/DesktopServicesBrowser.h"
#include "platform/qt/IniSettingsStore.h"
#include "platform/qt/LocaleTimeOfDay.h"
#include "platform/qt/LockFileInstanceLock.h"
#include "platform/qt/QtDialogs.h"
#include "platform/qt/QtFileSystem.h"
#include "platform/qt/QtNotificationIcon.h"
#include "platform/qt/QtTickSource.h"
#include "platform/qt/QtWindowCommands.h"
#include "platform/x11/QuietButtonState.h"
#include "platform/x11/X11Mouse.h"
#include "platform/x11/X11WindowStacking.h"

#include <QCoreApplication>

namespace tivrel {

namespace {

// The precise timer where the system has one, Qt's own otherwise.
std::unique_ptr<TickSource> newTickSource() {
    auto precise = std::make_unique<TimerFdTickSource>();
    if (precise->isValid())
        return precise;
    return std::make_unique<QtTickSource>();
}

// The mouse's own X connection: opening it checks the display and its XTEST extension.
class X11Display final : public DisplayConnection {
public:
    std::unique_ptr<X11Mouse> mouse;
};

class X11NativePlatform final : public NativePlatform {
public:
    explicit X11NativePlatform(std::unique_ptr<X11Mouse> mouse) : m_mouse(std::move(mouse)) {}

    Platform& platform() override { return m_platform; }
    void setDialogOwner(QWidget* owner) override { m_dialogs.setOwner(owner); }

private:
    std::unique_ptr<X11Mouse> m_mouse;
    QtDialogs m_dialogs;
    LocaleTimeOfDay m_timeOfDay;
    X11WindowStacking m_stacking;
    IniSettingsStore m_settings;
    QtFileSystem m_files;
    LockFileInstanceLock m_instanceLock;
    QtNotificationIcon m_trayIcon;
    QtWindowCommands m_windowCommands;
    PosixTerminationSignals m_termination;
    // The entry starts the program that wrote it, wherever it lies and whatever its name.
    XdgAutostartEntry m_startupEntry{QCoreApplication::applicationFilePath()};
    DesktopServicesBrowser m_browser;
    Platform m_platform{
        .mouse = *m_mouse,
        .dialogs = m_dialogs,
        .timeOfDay = m_timeOfDay,
        .stacking = m_stacking,
        .newTickSource = &newTickSource,
        .newClickTimer = [] { return std::make_unique<DeadlineClickTimer>(); },
        .settings = m_settings,
        .files = m_files,
        .instanceLock = m_instanceLock,
        .trayIcon = m_trayIcon,
        .windowCommands = m_windowCommands,
        .termination = m_termination,
        .startupEntry = m_startupEntry,
        .browser = m_browser,
    };
};

} // namespace

std::unique_ptr<DisplayConnection> NativePlatform::connect(QString* error) {
    // Clicks go through the X server: without an X display (a Wayland session without
    // XWayland, a text console) there is nothing Tivrel could click. A toolkit platform
    // chosen by the caller (offscreen for tests and tools) is left as it is.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        if (qEnvironmentVariableIsEmpty("DISPLAY")) {
            if (error) {
                *error = qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
                             ? QStringLiteral("no graphical session found. Tivrel needs an X11 "
                                              "session (or XWayland) to click; start it from a "
                                              "desktop session.")
                             : QStringLiteral("this Wayland session has no X11 display. Tivrel "
                                              "needs an X11 session (or XWayland) to click.");
            }
            return nullptr;
        }
        qputenv("QT_QPA_PLATFORM", "xcb");
    }
    auto mouse = X11Mouse::open(error);
    if (!mouse)
        return nullptr;
    auto display = std::make_unique<X11Display>();
    display->mouse = std::move(mouse);
    return display;
}

std::unique_ptr<NativePlatform> NativePlatform::open(std::unique_ptr<DisplayConnection> display) {
    quietButtonStateNotifications();
    return std::make_unique<X11NativePlatform>(std::move(static_cast<X11Display&>(*display).mouse));
}

} // namespace tivrel
