#pragma once

#include "engine/MouseStuff.h"

#include <QString>

namespace tivrel {

class Dialogs;
class RunWindow;
enum class RunTimer;
class TimeOfDay;

// Runs click runs: started and stopped by the start button, driven by the fast click timer
// (Timer1) or the one-second slow clock (Timer2), watched by the mouse watch (Timer3).
class ClickRun {
public:
    static inline const QString kStartCaption = QStringLiteral("&Press ENTER to Start");
    static inline const QString kStopCaption = QStringLiteral("&Move MOUSE to Stop");
    static inline const QString kEnterPressed = QStringLiteral("The enter key was pressed.");
    static inline const QString kMouseMoved = QStringLiteral("The mouse was moved.");
    static inline const QString kAmountReached =
        QStringLiteral("The required amount of clicks has been reached.");

    ClickRun(RunWindow& window, Mouse& mouse, Dialogs& dialogs, TimeOfDay& timeOfDay);

    void Command1_Click();
    void Timer1_Timer();
    void Timer2_Timer();
    void Timer3_Timer();
    QString RunSummary() const;

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
    void start();
    void stop();
    void stopByWatcher(const QString& reason);
    void showStopMessage(const QString& reason);
    bool timerOn(RunTimer which);
    bool fastModeSelected() const;
    int buttonCode() const;
    bool amountReached() const;
    // The slow period in seconds, as the hours, minutes and seconds rows read now.
    qint64 slowPeriod() const;
    bool pointerMoved();
    // Clicks only while the pointer is where the run started; stops the run otherwise.
    bool clickIfPointerStill();

    RunWindow& m_window;
    MouseStuff m_mouse;
    Dialogs& m_dialogs;
    TimeOfDay& m_timeOfDay;
    qint64 m_count = 0;
};

} // namespace tivrel
