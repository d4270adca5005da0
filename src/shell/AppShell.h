#pragma once

#include "desktop/InformationWindow.h"
#include "desktop/StartupShortcut.h"
#include "shell/DisclaimerGate.h"
#include "shell/ShellWindow.h"
#include "shell/StartStopControl.h"
#include "shell/TrayIcon.h"

#include <QString>

#include <optional>

class QCloseEvent;

namespace tivrel {

class Form2;
class Form3;
struct Platform;

// How the shell shows its modal windows and menus and ends the event loop; the tests
// replace each of them.
struct ShellUi {
    std::function<void(Form3&)> showDisclaimer;  // returns once the window has closed
    std::function<void(Form2&)> showInformation; // returns once the window has closed
    std::function<void(QMenu&)> popup;           // opens a menu at the pointer
    std::function<void(int)> quit;               // ends the event loop with an exit code
    std::function<bool()> boxOpen;               // one of the program's modal boxes is open
};

// The program's life: start-up (single instance, the terms, the starting values, the tray
// icon, the start-up visibility, the window on top), the hide and show commands, and every
// way out through the same clean-up.
class AppShell {
public:
    static inline const QString kAutoHideSection = QStringLiteral("Auto-Hide");
    static inline const QString kAutoHideKey = QStringLiteral("Show");

    AppShell(ShellWindow& window, Platform& platform, ShellUi ui);
    ~AppShell();

    // Runs start-up. Returns an exit code when the program must end at once.
    std::optional<int> Form_Load();
    void scontinue();

    void Exitmnu_Click();
    void Show2mnu_Click();
    void Showmnu_Click();
    void AutoHideonstartupmnu_Click();

    // The close sequence: every way out goes through these, each with the same clean-up.
    void Form_QueryUnload();
    void Form_Unload();
    void Form_Terminate();

    TrayIcon& trayIcon() { return m_tray; }
    StartupShortcut* startupShortcut() { return m_shortcut.get(); }
    StartStopControl& startStop() { return m_startStop; }
    bool isClosing() const { return m_closing; }

private:
    void connectMenus();
    void applyStartupVisibility();
    void closeProgram();
    void cleanUp();
    void onCloseRequest(QCloseEvent& event);
    void onMinimize();

    ShellWindow& m_window;
    QWidget& m_widget;
    Platform& m_platform;
    DisclaimerGate m_gate;
    TrayIcon m_tray;
    InformationWindow m_information;
    StartStopControl m_startStop;
    std::function<void(int)> m_quit;
    std::unique_ptr<StartupShortcut> m_shortcut;
    bool m_loaded = false;
    bool m_closing = false;
};

} // namespace tivrel
