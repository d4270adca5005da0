#pragma once

// The real program, started as a separate process on the test display (openbox and trayer
// run there) with a private home, and watched and driven only from outside through the
// program's driver: its windows in the X tree, its tray icon inside trayer, its message boxes
// through the dialog log, keys and clicks through xdotool, and signals. A failed test shows
// what each program it started left behind.

#include "ChildProcess.h"
#include "ProgramDriver.h"
#include "ProgramHome.h"
#include "X11TestSession.h"

#include <QRect>
#include <QString>
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace tivrel::test {

inline constexpr std::chrono::seconds kExitTimeout{40};

// Clear of the main window (centre of the screen) and of the tray (top right).
inline constexpr QRect kTargetPlace(40, 780, 240, 180);

inline const QString kNoticeTitle = QStringLiteral("Disclaimer Notice");

inline bool isNotice(const WindowInfo& window) {
    return isDialogTitled(window, kNoticeTitle);
}

// The trayer that CTest's x11 set-up started for the session, 0 when the tests run outside CTest.
qint64 sessionTrayHostPid();

class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Starts the program of `home` on `desktop`; `wrapper` goes before it (setpriv ...).
    ChildProcess* startProgram(const QStringList& wrapper = {});
    ChildProcess* startProgram(ProgramHome& home, const X11TestSession& desktop,
                               const QStringList& wrapper = {});
    // The driver of a program this test started.
    ProgramDriver& driverOf(ChildProcess& program);

    // The first of the process's windows that satisfies `wanted`, once there is one.
    std::optional<WindowInfo> waitForWindow(ChildProcess& program,
                                            const std::function<bool(const WindowInfo&)>& wanted,
                                            std::chrono::milliseconds timeout = kAppearTimeout);
    // Waits until no window of the process satisfies `unwanted` (or the process ended).
    bool waitForNoWindow(ChildProcess& program,
                         const std::function<bool(const WindowInfo&)>& unwanted,
                         std::chrono::milliseconds timeout = kAppearTimeout);
    std::vector<WindowInfo> windowsOf(ChildProcess& program,
                                      const std::function<bool(const WindowInfo&)>& wanted);

    std::optional<WindowInfo> waitForTrayIcon(ChildProcess& program) {
        return waitForWindow(program, isTrayIcon);
    }
    // Waits until the dialog log holds `count` lines; they are in home.dialogs().
    bool waitForDialogs(std::size_t count, std::chrono::milliseconds timeout = kAppearTimeout);
    // Waits until the window manager has put the window in the topmost band; the window's
    // _NET_WM_STATE as last read goes into `state`.
    bool waitUntilOnTop(unsigned long window, QString* state);

    // Answers the box titled `title` with `key` at the keyboard: activates it, types the key,
    // and waits until it has gone. False, with the reason in lastFailure, when it never
    // showed or did not go.
    bool answerBox(ChildProcess& program, const QString& title, const QString& key);
    // Clicks the tray icon with `button` and waits for the menu; the pointer is then moved
    // off the menu, so that only the keyboard chooses in it.
    std::optional<WindowInfo> openTrayMenu(ChildProcess& program, int button);

    // The process has ended by itself with `code`, neither a signal nor a sanitizer report.
    void expectExit(ChildProcess& program, int code);
    void expectNonZeroExit(ChildProcess& program);
    QString standardError(const ChildProcess& program) const;

    ProgramHome home{QStringLiteral(TIVREL_PROGRAM_FILE)};
    X11TestSession desktop;
    QString lastFailure;

private:
    struct Started {
        // A copy: a private display's session may be gone by the tear-down.
        std::unique_ptr<X11TestSession> desktop;
        std::unique_ptr<ProgramDriver> driver;
    };
    std::vector<Started> m_started;
};

} // namespace tivrel::test
