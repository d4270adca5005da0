#include "platform/NativePlatform.h"
#include "platform/linux/DeadlineClickTimer.h"
#include "platform/linux/DisplaySession.h"
#include "platform/linux/PosixTerminationSignals.h"
#include "platform/linux/TimerFdTickSource.h"
#include "platform/linux/XdgAutostartEntry.h"
#include "platform/qt/DesktopServicesBrowser.h"
#include "platform/qt/IniSettingsStore.h"
#include "platform/qt/LocalSocketCopyChannel.h"
#include "platform/qt/LocaleTimeOfDay.h"
#include "platform/qt/LockFileInstanceLock.h"
#include "platform/qt/QtDialogs.h"
#include "platform/qt/QtFileSystem.h"
#include "platform/qt/QtNotificationIcon.h"
#include "platform/qt/QtTickSource.h"
#include "platform/qt/QtWindowCommands.h"

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

// The display session, reached before Qt starts.
class LinuxDisplay final : public DisplayConnection {
public:
    std::unique_ptr<DisplaySession> session;
};

// What every Linux session shares, around the display session's own services.
class LinuxNativePlatform final : public NativePlatform {
public:
    explicit LinuxNativePlatform(std::unique_ptr<DisplaySession> session)
        : m_session(std::move(session)) {
        m_session->keepGrantsIn(m_settings);
    }

    Platform& platform() override { return m_platform; }
    void setDialogOwner(QWidget* owner) override {
        m_dialogs.setOwner(owner);
        m_session->setDialogOwner(owner);
    }

private:
    std::unique_ptr<DisplaySession> m_session;
    QtDialogs m_dialogs;
    LocaleTimeOfDay m_timeOfDay;
    IniSettingsStore m_settings;
    QtFileSystem m_files;
    LockFileInstanceLock m_instanceLock;
    QtNotificationIcon m_trayIcon;
    QtWindowCommands m_windowCommands;
    PosixTerminationSignals m_termination;
    // The entry starts the program that wrote it, wherever it lies and whatever its name.
    XdgAutostartEntry m_startupEntry{QCoreApplication::applicationFilePath()};
    DesktopServicesBrowser m_browser;
    LocalSocketCopyChannel m_copyChannel{LocalSocketCopyChannel::defaultName()};
    Platform m_platform{
        .mouse = m_session->mouse(),
        .pointerWatch = m_session->pointerWatch(),
        .dialogs = m_dialogs,
        .timeOfDay = m_timeOfDay,
        .stacking = m_session->stacking(),
        .newTickSource = &newTickSource,
        .newClickTimer =
            [this] { return std::make_unique<DeadlineClickTimer>(m_session->pointerNews()); },
        .settings = m_settings,
        .files = m_files,
        .instanceLock = m_instanceLock,
        .trayIcon = m_trayIcon,
        .windowCommands = m_windowCommands,
        .termination = m_termination,
        .startupEntry = m_startupEntry,
        .browser = m_browser,
        .startStopKey = m_session->startStopKey(),
        .copyChannel = m_copyChannel,
    };
};

} // namespace

std::unique_ptr<DisplayConnection> NativePlatform::connect(QString* error) {
    auto session =
        connectDisplaySession(SessionEnvironment::current(), builtDisplaySessions(), error);
    if (!session)
        return nullptr;
    // A toolkit platform chosen by the caller (offscreen for tests and tools) is left as it is.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", session->qtPlatform());
    auto display = std::make_unique<LinuxDisplay>();
    display->session = std::move(session);
    return display;
}

std::unique_ptr<NativePlatform> NativePlatform::open(std::unique_ptr<DisplayConnection> display) {
    auto session = std::move(static_cast<LinuxDisplay&>(*display).session);
    session->toolkitStarted();
    return std::make_unique<LinuxNativePlatform>(std::move(session));
}

std::unique_ptr<CopyChannel> NativePlatform::secondCopyChannel() {
    return std::make_unique<LocalSocketCopyChannel>(LocalSocketCopyChannel::defaultName());
}

} // namespace tivrel
