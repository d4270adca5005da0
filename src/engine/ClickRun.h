#pragma once

#include "engine/MouseStuff.h"

#include <QString>

#include <atomic>
#include <optional>

namespace tivrel {

class Dialogs;
class RunWindow;
struct RunChoices;
enum class RunTimer;
class TimeOfDay;

// Runs click runs: started and stopped by the start button, driven by the fast click timer
// (Timer1, on a thread of its own) or the one-second slow clock (Timer2), watched by the
// mouse watch (Timer3). The run owns its numbers: the count, the amount, the button and the
// period; the window's labels show them.
class ClickRun {
public:
    // Why a run stopped. A new reason is a value here, its text in reasonText() and whether
    // the user asked for it (stop()).
    enum class StopReason { EnterPressed, MouseMoved, AmountReached, InputLost };

    static inline const QString kStartCaption = QStringLiteral("&Press ENTER to Start");
    static inline const QString kStopCaption = QStringLiteral("&Move MOUSE to Stop");
    static inline const QString kEnterPressed = QStringLiteral("The enter key was pressed.");
    static inline const QString kMouseMoved = QStringLiteral("The mouse was moved.");
    static inline const QString kAmountReached =
        QStringLiteral("The required amount of clicks has been reached.");
    static inline const QString kInputLost =
        QStringLiteral("The desktop ended Tivrel's permission to click.");
    static const QString& reasonText(StopReason reason);
    static inline const QString kNeedsAmount =
        QStringLiteral("This desktop does not let Tivrel see the mouse, so moving it could not "
                       "stop the run. Tick \"Amount\" and set the number of clicks.");
    // The mouse watch looks at the pointer every 15 ms. When the click thread looks before
    // every click and at least as often, the watch only shows the count, as often as the
    // count is drawn.
    static constexpr int kWatchMs = 15;
    static constexpr int kCountShowMs = 100;

    ClickRun(RunWindow& window, Mouse& mouse, PointerWatch& watch, Dialogs& dialogs,
             TimeOfDay& timeOfDay);

    void Command1_Click();
    // One fast click, on the click thread; false when the run must stop instead.
    bool Timer1_Timer();
    // News of the pointer between two fast clicks, on the click thread; false at a move.
    bool Timer1_PointerNews();
    void Timer2_Timer();
    void Timer3_Timer();
    QString RunSummary() const;

    // A choice changed: the run takes the new amount, switch, button and slow period.
    void choicesChanged();

    // A run goes on from its start until one of its stops.
    bool isRunning() const { return m_running; }
    // The clicks made in the present or last run.
    qint64 clickCount() const { return m_count; }

    // Time since the last slow click; kept from one run to the next.
    qint32 ElapsedHours = 0;
    qint32 ElapsedMinutes = 0;
    qint32 ElapsedSeconds = 0;
    QString StartTime;
    QString EndTime;
    QString DelayText;
    QString ButtonText;

private:
    void start();
    // Whether a run with these choices may start; says why not.
    bool startable(const RunChoices& choices);
    // The desktop's leave to click, asked at the first run where it asks the user.
    bool askForClicks();
    void stop(StopReason reason);
    void take(const RunChoices& choices);
    // The click thread's own stop: recorded for the UI thread, which reports it.
    bool endOnClickThread(StopReason reason);
    void fastRunEnded();
    void showStopMessage(StopReason reason);
    bool timerOn(RunTimer which);
    bool amountReached() const;
    // False, and nothing counted, where the desktop no longer takes the clicks.
    bool click();
    void showCount();
    // Clicks only while the pointer is where the run started; stops the run otherwise.
    bool clickIfPointerStill();

    RunWindow& m_window;
    MouseStuff m_mouse;
    Dialogs& m_dialogs;
    TimeOfDay& m_timeOfDay;
    bool m_running = false;
    bool m_asking = false;    // the system's dialog is open
    bool m_watchLooks = true; // the mouse watch looks at the pointer, not only the clicks
    qint64 m_slowPeriod = 0;  // seconds
    // Shared with the click thread: written before it starts, or atomic.
    std::atomic<bool> m_clicking = false; // from a fast start until its stop
    std::atomic<qint64> m_count = 0;
    std::atomic<bool> m_amountOn = false;
    std::atomic<qint64> m_amount = 1;
    std::atomic<int> m_buttonCode = LeftButton;
    std::atomic<std::optional<StopReason>> m_threadStop;
};

} // namespace tivrel
