#pragma once

#include "engine/MouseStuff.h"

#include <QString>

#include <atomic>

namespace tivrel {

class Dialogs;
class RunWindow;
enum class RunTimer;
class TimeOfDay;

// Runs click runs: started and stopped by the start button, driven by the fast click timer
// (Timer1, on a thread of its own) or the one-second slow clock (Timer2), watched by the
// mouse watch (Timer3). The run owns its numbers: the count, the amount, the button, the
// period and the place where it started; the window's labels show them.
class ClickRun {
public:
    static inline const QString kStartCaption = QStringLiteral("&Press ENTER to Start");
    static inline const QString kStopCaption = QStringLiteral("&Move MOUSE to Stop");
    static inline const QString kEnterPressed = QStringLiteral("The enter key was pressed.");
    static inline const QString kMouseMoved = QStringLiteral("The mouse was moved.");
    static inline const QString kAmountReached =
        QStringLiteral("The required amount of clicks has been reached.");
    // The mouse watch looks at the pointer every 15 ms. When the click thread looks before
    // every click and at least as often, the watch only shows the count, as often as the
    // count is drawn.
    static constexpr int kWatchMs = 15;
    static constexpr int kCountShowMs = 100;

    ClickRun(RunWindow& window, Mouse& mouse, Dialogs& dialogs, TimeOfDay& timeOfDay);

    void Command1_Click();
    // One fast click, on the click thread; false when the run must stop instead.
    bool Timer1_Timer();
    void Timer2_Timer();
    void Timer3_Timer();
    QString RunSummary() const;

    // The amount, its switch or the button changed: the run takes the new values.
    void choicesChanged();

    // A run goes on from its start until one of its stops.
    bool isRunning() const;
    // The clicks made in the present or last run.
    qint64 clickCount() const { return m_count; }
    MouseStuff& mouseStuff() { return m_mouse; }

    // Time since the last slow click; kept from one run to the next.
    qint32 ElapsedHours = 0;
    qint32 ElapsedMinutes = 0;
    qint32 ElapsedSeconds = 0;
    QString StartTime;
    QString EndTime;
    QString DelayText;
    QString ButtonText;

private:
    // Why the click thread ended the run, for the UI thread to report.
    enum class ThreadStop { None, MouseMoved, AmountReached };

    void start();
    void stop();
    void stopByWatcher(const QString& reason);
    void fastRunEnded();
    void showStopMessage(const QString& reason);
    bool timerOn(RunTimer which);
    bool fastModeSelected() const;
    int selectedButtonCode() const;
    bool amountReached() const;
    // The slow period in seconds, as the hours, minutes and seconds rows read now.
    qint64 slowPeriod() const;
    bool pointerMoved();
    void click();
    void showCount();
    // Clicks only while the pointer is where the run started; stops the run otherwise.
    bool clickIfPointerStill();

    RunWindow& m_window;
    MouseStuff m_mouse;
    Dialogs& m_dialogs;
    TimeOfDay& m_timeOfDay;
    bool m_watchLooks = true; // the mouse watch looks at the pointer, not only the clicks
    // Shared with the click thread: written before it starts, or atomic.
    std::atomic<bool> m_clicking = false; // from a fast start until its stop
    std::atomic<qint64> m_count = 0;
    std::atomic<bool> m_amountOn = false;
    std::atomic<qint64> m_amount = 1;
    std::atomic<int> m_buttonCode = LeftButton;
    std::atomic<ThreadStop> m_threadStop = ThreadStop::None;
};

} // namespace tivrel
