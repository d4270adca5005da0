#include "shell/AppShell.h"

#include "platform/Platform.h"
#include "ui/Form1.h"
#include "ui/Minimize.h"

#include <QAction>
#include <QCloseEvent>
#include <QLabel>
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

AppShell::AppShell(Form1& form, Platform& platform, ShellUi ui)
    : m_form(form), m_platform(platform),
      m_gate(platform.settings, platform.files, platform.dialogs, std::move(ui.showDisclaimer)),
      m_tray(platform.trayIcon, std::move(ui.popup)),
      m_information(form, platform.stacking, platform.browser, std::move(ui.showInformation)),
      m_quit(std::move(ui.quit)) {
    m_form.setCloseHandler([this](QCloseEvent& event) { onCloseRequest(event); });
    onMinimized(m_form, [this] { onMinimize(); });
    m_platform.termination.onTerminate([this] { closeProgram(); });
}

AppShell::~AppShell() {
    m_platform.termination.onTerminate({});
    m_form.setCloseHandler({});
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
    switch (m_gate.run(&m_form, [this] { return m_closing; })) {
    case DisclaimerGate::Accepted:
        break;
    case DisclaimerGate::Declined:
    case DisclaimerGate::Interrupted:
        return 0;
    case DisclaimerGate::Failed:
        return 1;
    }
    m_shortcut = std::make_unique<StartupShortcut>(*m_form.Startupatlogonmnu,
                                                   m_platform.startupEntry, m_platform.dialogs);
    RemoveCloseItem(m_form, m_platform.windowCommands);
    m_form.setStartingValues();
    m_tray.AddTrayIcon(m_form, *m_form.optioinsmnu);
    m_tray.SetTrayTip(kApplicationTitle);
    m_loaded = true;
    connectMenus();
    applyStartupVisibility();
    m_shortcut->showState();
    scontinue();
    return std::nullopt;
}

void AppShell::connectMenus() {
    QObject::connect(m_form.Exitmnu, &QAction::triggered, &m_form, [this] { Exitmnu_Click(); });
    QObject::connect(m_form.Show2mnu, &QAction::triggered, &m_form, [this] { Show2mnu_Click(); });
    QObject::connect(m_form.Showmnu, &QAction::triggered, &m_form, [this] { Showmnu_Click(); });
    QObject::connect(m_form.AutoHideonstartupmnu, &QAction::triggered, &m_form,
                     [this] { AutoHideonstartupmnu_Click(); });
    QObject::connect(m_form.Startupatlogonmnu, &QAction::triggered, &m_form,
                     [this] { m_shortcut->Startupatlogonmnu_Click(); });
    QObject::connect(m_form.Helpmnu, &QAction::triggered, &m_form,
                     [this] { m_information.Helpmnu_Click(); });
    QObject::connect(m_form.Aboutmnu, &QAction::triggered, &m_form,
                     [this] { m_information.Aboutmnu_Click(); });
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
        m_form.setVisible(true);
        m_form.AutoHideonstartupmnu->setText(kHideOnStartup);
        m_form.Showmnu->setVisible(false);
        m_form.bar3->setVisible(false);
        return;
    }
    m_form.AutoHideonstartupmnu->setText(kShowOnStartup);
    if (m_platform.trayIcon.isAvailable()) {
        m_form.setVisible(false);
    } else {
        // Without a notification area a hidden window could not be brought back.
        m_form.setVisible(true);
        m_form.Showmnu->setVisible(false);
        m_form.bar3->setVisible(false);
    }
}

void AppShell::scontinue() {
    m_platform.stacking.makeOnTop(m_form);
}

void AppShell::Exitmnu_Click() {
    const MessageAnswer answer = m_platform.dialogs.messageBox(
        QStringLiteral("Are you sure you want to close the program ?"), MessageButtons::YesNo,
        MessageIcon::Information, QStringLiteral("Exiting ..."));
    if (answer == MessageAnswer::Yes)
        closeProgram();
}

void AppShell::Show2mnu_Click() {
    if (!m_form.Showmnu->isVisible()) {
        if (!m_platform.trayIcon.isAvailable())
            return; // nowhere to bring the window back from
        m_form.Showmnu->setText(QStringLiteral("Show"));
        m_form.Showmnu->setVisible(true);
        m_form.bar3->setVisible(true);
        m_form.setVisible(false);
        m_form.resetClickCount();
        m_platform.stacking.makeNotOnTop(m_form);
    } else {
        m_form.Showmnu->setVisible(false);
        m_form.bar3->setVisible(false);
        m_platform.stacking.makeOnTop(m_form);
        m_form.resetClickCount();
        m_form.setVisible(true);
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
    m_form.AutoHideonstartupmnu->setText(shown ? kShowOnStartup : kHideOnStartup);
}

void AppShell::onMinimize() {
    // The window manager's minimize leaves no way back (the window has no taskbar entry and
    // the tray menu no "Show"): it is taken as "Hide", and "Show" brings the window back on
    // top. The state comes off first, so the window is not mapped as an icon again then.
    restoreFromMinimized(m_form);
    if (m_loaded && !m_closing && m_platform.trayIcon.isAvailable() && !m_form.Showmnu->isVisible())
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
    m_form.close();
    m_quit(0);
}

void AppShell::cleanUp() {
    // No click may follow the end, whatever was running.
    m_form.Timer1->stop();
    for (TickSource* timer : {m_form.Timer2.get(), m_form.Timer3.get()})
        timer->setEnabled(false);
    m_platform.stacking.makeNotOnTop(m_form);
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
