#include "shell/AppShell.h"

#include "platform/Platform.h"
#include "widgets/Minimize.h"

#include <QCloseEvent>
#include <QMenu>

namespace tivrel {

namespace {

const QString kHideOnStartup = QStringLiteral("Hide on startup");
const QString kShowOnStartup = QStringLiteral("Show on startup");

// Takes the close command away from the window's frame; onCloseRequest refuses the close
// requests a desktop still sends.
void RemoveCloseItem(QWidget& window, WindowCommands& commands) {
    commands.removeCloseCommand(window);
}

} // namespace

AppShell::AppShell(ShellWindow& window, Platform& platform, ShellUi ui)
    : m_window(window), m_widget(window.widget()), m_platform(platform),
      m_gate(platform.settings, platform.files, platform.dialogs, std::move(ui.showDisclaimer)),
      m_tray(platform.trayIcon, std::move(ui.popup)),
      m_information(m_widget, platform.stacking, platform.browser, std::move(ui.showInformation)),
      m_startStop(window, platform.startStopKey, platform.copyChannel, platform.settings,
                  platform.dialogs, std::move(ui.boxOpen)),
      m_quit(std::move(ui.quit)) {
    m_window.setCloseHandler([this](QCloseEvent& event) { onCloseRequest(event); });
    onMinimized(m_widget, [this] { onMinimize(); });
    m_platform.termination.onTerminate([this] { closeProgram(); });
}

AppShell::~AppShell() {
    m_platform.termination.onTerminate({});
    m_window.setCloseHandler({});
    if (m_loaded)
        Form_Terminate();
}

std::optional<int> AppShell::Form_Load() {
    if (!m_platform.instanceLock.acquire()) {
        m_platform.dialogs.messageBox(QStringLiteral("Tivrel is already running."),
                                      MessageButtons::Ok, MessageIcon::Exclamation,
                                      kApplicationTitle);
        return 0;
    }
    // A second copy's requests wait for the key below; until then they do nothing.
    m_startStop.listen();
    switch (m_gate.run(&m_widget, [this] { return m_closing; })) {
    case DisclaimerGate::Accepted:
        break;
    case DisclaimerGate::Declined:
    case DisclaimerGate::Interrupted:
        return 0;
    case DisclaimerGate::Failed:
        return 1;
    }
    m_shortcut = std::make_unique<StartupShortcut>(
        [this](const QString& caption) { m_window.setStartupShortcutCaption(caption); },
        m_platform.startupEntry, m_platform.dialogs);
    RemoveCloseItem(m_widget, m_platform.windowCommands);
    m_window.setStartingValues();
    m_tray.AddTrayIcon(m_widget, m_window.fileMenu());
    m_tray.SetTrayTip(kApplicationTitle);
    m_loaded = true;
    connectMenus();
    applyStartupVisibility();
    m_shortcut->showState();
    scontinue();
    m_startStop.bind();
    return std::nullopt;
}

void AppShell::connectMenus() {
    m_window.onCommand(ShellCommand::Exit, [this] { Exitmnu_Click(); });
    m_window.onCommand(ShellCommand::Hide, [this] { Show2mnu_Click(); });
    m_window.onCommand(ShellCommand::Show, [this] { Showmnu_Click(); });
    m_window.onCommand(ShellCommand::StartupVisibility, [this] { AutoHideonstartupmnu_Click(); });
    m_window.onCommand(ShellCommand::StartupShortcut,
                       [this] { m_shortcut->Startupatlogonmnu_Click(); });
    m_window.onCommand(ShellCommand::StartStopKey, [this] { m_startStop.StartStopKeymnu_Click(); });
    m_window.onCommand(ShellCommand::Help, [this] { m_information.Helpmnu_Click(); });
    m_window.onCommand(ShellCommand::About, [this] { m_information.Aboutmnu_Click(); });
}

namespace {

// The stored start-up visibility: hidden only for "0" or nothing stored; any other value
// shows the window, as "1" does.
bool showsAtStartup(const QString& stored) {
    return !(stored.isEmpty() || stored == QStringLiteral("0"));
}

} // namespace

void AppShell::applyStartupVisibility() {
    if (showsAtStartup(m_platform.settings.read(kAutoHideSection, kAutoHideKey))) {
        m_window.setShown(true);
        m_window.setStartupVisibilityCaption(kHideOnStartup);
        m_window.setShowItemShown(false);
        return;
    }
    m_window.setStartupVisibilityCaption(kShowOnStartup);
    if (m_platform.trayIcon.isAvailable()) {
        m_window.setShown(false);
    } else {
        // Without a notification area a hidden window could not be brought back.
        m_window.setShown(true);
        m_window.setShowItemShown(false);
    }
}

void AppShell::scontinue() {
    m_platform.stacking.makeOnTop(m_widget);
}

void AppShell::Exitmnu_Click() {
    const MessageAnswer answer = m_platform.dialogs.messageBox(
        QStringLiteral("Are you sure you want to close the program ?"), MessageButtons::YesNo,
        MessageIcon::Information, QStringLiteral("Exiting ..."));
    if (answer == MessageAnswer::Yes)
        closeProgram();
}

void AppShell::Show2mnu_Click() {
    if (!m_window.isShowItemShown()) {
        if (!m_platform.trayIcon.isAvailable())
            return; // nowhere to bring the window back from
        m_window.setShowItemCaption(QStringLiteral("Show"));
        m_window.setShowItemShown(true);
        m_window.setShown(false);
        m_window.resetClickCount();
        m_platform.stacking.makeNotOnTop(m_widget);
    } else {
        m_window.setShowItemShown(false);
        m_platform.stacking.makeOnTop(m_widget);
        m_window.resetClickCount();
        m_window.setShown(true);
    }
}

void AppShell::Showmnu_Click() {
    Show2mnu_Click();
}

void AppShell::AutoHideonstartupmnu_Click() {
    const bool shown = showsAtStartup(m_platform.settings.read(kAutoHideSection, kAutoHideKey));
    QString error;
    if (!m_platform.settings.write(kAutoHideSection, kAutoHideKey,
                                   shown ? QStringLiteral("0") : QStringLiteral("1"), &error)) {
        m_platform.dialogs.messageBox(error, MessageButtons::Ok, MessageIcon::Critical,
                                      kApplicationTitle);
        return;
    }
    m_window.setStartupVisibilityCaption(shown ? kShowOnStartup : kHideOnStartup);
}

void AppShell::onMinimize() {
    // The window manager's minimize leaves no way back (the window has no taskbar entry and
    // the tray menu no "Show"): it is taken as "Hide", and "Show" brings the window back on
    // top. The state comes off first, so the window is not mapped as an icon again then.
    restoreFromMinimized(m_widget);
    if (minimizedForAnotherWindow(m_widget))
        return; // Help, About or a message box was minimized: it comes back, and so does this
    if (m_loaded && !m_closing && m_platform.trayIcon.isAvailable() && !m_window.isShowItemShown())
        Show2mnu_Click();
}

void AppShell::onCloseRequest(QCloseEvent& event) {
    // The user's close requests (title bar, Alt+F4, the window manager) are refused: the
    // program ends through "Exit" or when the system ends it.
    if (m_closing)
        event.accept();
    else
        event.ignore();
}

void AppShell::closeProgram() {
    if (m_closing)
        return;
    m_closing = true;
    if (!m_loaded) {
        // Still at the terms: nothing to clean up; leave the notice's loop and end.
        m_quit(0);
        return;
    }
    Form_QueryUnload();
    Form_Unload();
    m_window.close();
    m_quit(0);
}

void AppShell::cleanUp() {
    // No click may follow the end, whatever was running.
    m_window.stopTimers();
    m_startStop.release();
    m_platform.stacking.makeNotOnTop(m_widget);
    m_tray.RemoveTrayIcon();
}

void AppShell::Form_QueryUnload() {
    cleanUp();
}
void AppShell::Form_Unload() {
    cleanUp();
}
void AppShell::Form_Terminate() {
    cleanUp();
}

} // namespace tivrel
