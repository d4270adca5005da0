#pragma once

#include <QString>

#include <functional>

class QCloseEvent;
class QMenu;
class QWidget;

namespace tivrel {

// The menu commands the shell answers.
enum class ShellCommand {
    Exit,              // "Exit"
    Hide,              // "&Hide" on the menu bar
    Show,              // "Show" in "&File" and the tray menu
    StartupVisibility, // "Hide on startup" / "Show on startup"
    StartupShortcut,   // "Place shortcut in startup" / "Remove shortcut from startup"
    StartStopKey,      // "Start/Stop Key: F6..."
    Help,              // "H&elp"
    About,             // "&About"
};

// The main window as the shell sees it: its visibility, the few items whose state or caption
// the shell decides, the count it clears, the timers it stops on the way out, and the window
// itself for what the desktop does to windows (stacking, the close command, minimizing).
class ShellWindow {
public:
    virtual ~ShellWindow() = default;

    virtual QWidget& widget() = 0;
    virtual bool isShown() const = 0;
    virtual void setShown(bool shown) = 0;
    virtual void close() = 0;

    // The "Show" item and the separator below it, present only while the window is hidden.
    virtual bool isShowItemShown() const = 0;
    virtual void setShowItemShown(bool shown) = 0;
    virtual void setShowItemCaption(const QString& caption) = 0;

    virtual void setStartupVisibilityCaption(const QString& caption) = 0;
    virtual void setStartupShortcutCaption(const QString& caption) = 0;
    virtual void setStartStopKeyCaption(const QString& caption) = 0;

    // A run goes on: the start button would stop it.
    virtual bool isRunning() const = 0;
    // Presses the start button, as ENTER in the window does.
    virtual void pressStartButton() = 0;

    // The values every start begins with.
    virtual void setStartingValues() = 0;
    // Shows a count of 0 unless a run goes on.
    virtual void resetClickCount() = 0;
    // Stops every timer of the run, so no click follows.
    virtual void stopTimers() = 0;

    // "&File": the tray icon opens it too.
    virtual QMenu& fileMenu() = 0;
    // Decides on every request to close the window; without one the window closes.
    virtual void setCloseHandler(std::function<void(QCloseEvent&)> handler) = 0;
    // Runs handler each time the user picks the command.
    virtual void onCommand(ShellCommand command, std::function<void()> handler) = 0;
};

} // namespace tivrel
