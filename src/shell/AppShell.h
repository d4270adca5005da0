#pragma once

#include "shell/DisclaimerGate.h"
#include "shell/TrayIcon.h"

#include <QString>

#include <optional>

class QCloseEvent;

namespace tivrel {

class Form1;
class Form3;
struct Platform;

// The program's life: start-up (single instance, the terms, the starting values, the tray
// icon, the start-up visibility, the window on top), the hide and show commands, and every
// way out through the same clean-up.
class AppShell {
public:
    static inline const QString kShortcutPath = QStringLiteral(
        "C:\\Documents and Settings\\All Users\\Start Menu\\Programs\\Startup\\Tivrel.lnk");
    static inline const QString kAutoHideSection = QStringLiteral("Auto-Hide");
    static inline const QString kAutoHideKey = QStringLiteral("Show");

    // showModal shows a filled disclaimer window and returns once it has closed; popup
    // opens a menu at the pointer; quit ends the event loop with an exit code.
    AppShell(Form1& form, Platform& platform, std::function<void(Form3&)> showModal,
             std::function<void(QMenu&)> popup, std::function<void(int)> quit);
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
    bool isClosing() const { return m_closing; }

private:
    void connectMenus();
    void applyStartupVisibility();
    void closeProgram();
    void cleanUp();
    void onCloseRequest(QCloseEvent& event);

    Form1& m_form;
    Platform& m_platform;
    DisclaimerGate m_gate;
    TrayIcon m_tray;
    std::function<void(int)> m_quit;
    bool m_loaded = false;
    bool m_closing = false;
};

} // namespace tivrel
