#pragma once

// The real program driven from outside, for the program tests and the benchmark alike: started
// as a process of its own in a private home on a test session, its windows found by kind and
// title, its boxes answered at the keyboard, its values typed into the boxes its value labels
// open, ENTER pressed with the pointer on a target, its dialog log read. It speaks only to
// the TestSession, never to the display server itself.

#include "ChildProcess.h"
#include "ProgramHome.h"
#include "SessionWindow.h"

#include <QPoint>
#include <QRect>
#include <QString>
#include <QStringList>

#include <chrono>
#include <functional>
#include <optional>
#include <vector>

namespace tivrel::test {

class TestSession;

// Long enough for a sanitizer build on a busy machine; the waits end as soon as the
// awaited thing is there.
inline constexpr std::chrono::seconds kAppearTimeout{40};

// Where the pointer rests while nothing is to be under it: off the main window (in the
// middle of the screen), off the tray (top right) and off the menus the tray opens.
inline constexpr QPoint kRestingPointer(640, 1010);

using WindowTest = std::function<bool(const WindowInfo&)>;

bool isMainWindow(const WindowInfo& window);
bool isDialogTitled(const WindowInfo& window, const QString& title);
bool isTrayIcon(const WindowInfo& window);
// A menu the program has open.
bool isPopupMenu(const WindowInfo& window);

class ProgramDriver {
public:
    // Both outlive the driver.
    ProgramDriver(TestSession& session, ProgramHome& home);
    // Kills the program if it still runs.
    ~ProgramDriver();
    ProgramDriver(const ProgramDriver&) = delete;
    ProgramDriver& operator=(const ProgramDriver&) = delete;

    // Starts the home's program on the session; `wrapper` goes before it (setpriv ...).
    bool start(QString* error, const QStringList& wrapper = {});
    // Asks the program to end with SIGTERM, as a session's end would, and kills it when it
    // has not ended within `timeout`.
    void end(std::chrono::milliseconds timeout = std::chrono::seconds(5));

    ChildProcess& process() { return m_process; }
    TestSession& session() const { return m_session; }
    ProgramHome& home() const { return m_home; }
    const QString& errorFile() const { return m_errorFile; }
    // The last `size` bytes the program wrote to standard error.
    QString standardError(qsizetype size = 1 << 20) const;

    std::vector<WindowInfo> windows(const WindowTest& wanted) const;
    // The first of the program's windows that satisfies `wanted`, once there is one; none
    // once the program has ended.
    std::optional<WindowInfo> waitForWindow(const WindowTest& wanted,
                                            std::chrono::milliseconds timeout = kAppearTimeout);
    // Waits until no window of the program satisfies `unwanted` (or the program ended).
    bool waitForNoWindow(const WindowTest& unwanted,
                         std::chrono::milliseconds timeout = kAppearTimeout);
    // Waits until the dialog log holds `count` lines; they are in home().dialogs().
    bool waitForDialogs(std::size_t count, std::chrono::milliseconds timeout = kAppearTimeout);

    // Answers the box titled `title` with `key` at the keyboard: activates it, types the key,
    // and waits until it has gone. False, with the reason in failure, when it never showed or
    // did not go.
    bool answerBox(const QString& title, const QString& key, QString* failure);
    // Clicks the tray icon with `button` and waits for the menu; the pointer then rests off
    // the menu, so that only the keyboard chooses in it.
    std::optional<WindowInfo> openTrayMenu(int button, QString* failure);

    // The main window shown, where the window manager has placed it: it may still move the
    // window after it is mapped, so its place counts once three looks in a row agree.
    std::optional<QRect> placeMainWindow(QString* error);
    // The run's settings typed into the boxes the value labels open, as the user sets them:
    // the interval in milliseconds, and the amount of clicks (0 leaves "Amount" unticked).
    // They need the main window placed.
    bool setSpeed(int milliseconds, QString* error);
    bool setAmount(int clicks, QString* error);
    // Runs a second copy of the program with `argument` ("--toggle") in the same home, with
    // no display in its environment, and waits for its end: its exit code, -1 when it did
    // not end in time; what it wrote to standard error goes into `errors`.
    int runSecondCopy(const QString& argument, QString* errors);
    // Activates the main window, puts the pointer on `target` and presses ENTER;
    // `beforeKey` runs just before the key. It needs the main window placed too.
    bool pressEnter(QPoint target, QString* error, const std::function<void()>& beforeKey = {});

private:
    enum class Control { SpeedValue, AmountTick, AmountValue };
    // The centre of the control on the screen, from the main window's place.
    QPoint centreOf(Control control) const;
    // Clicks a value label; true once the box it opens was asked for.
    bool openValueBox(Control label);
    // Types the value into the open box and closes it; true when the program took it.
    bool typeValue(int value, QString* error);

    TestSession& m_session;
    ProgramHome& m_home;
    ChildProcess m_process;
    QString m_errorFile;
    unsigned long m_mainWindowId = 0;
    QRect m_mainWindow;
    std::size_t m_dialogsBeforeBox = 0;
};

} // namespace tivrel::test
