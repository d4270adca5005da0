#include "engine/ClickRun.h"

#include "engine/RunWindow.h"
#include "engine/WholeNumber.h"
#include "platform/Dialogs.h"
#include "platform/TickSource.h"
#include "platform/TimeOfDay.h"

namespace tivrel {

namespace {

const QString kCrLf = QStringLiteral("\r\n");
const QString kTab = QStringLiteral("\t");

} // namespace

ClickRun::ClickRun(RunWindow& window, Mouse& mouse, Dialogs& dialogs, TimeOfDay& timeOfDay)
    : m_window(window), m_mouse(mouse), m_dialogs(dialogs), m_timeOfDay(timeOfDay) {}

void ClickRun::Command1_Click() {
    if (m_window.startCaption() == kStartCaption)
        start();
    else
        stop();
}

bool ClickRun::fastModeSelected() const {
    return !m_window.isDelayOptionSelected(0);
}

int ClickRun::buttonCode() const {
    if (m_window.isButtonOptionSelected(0))
        return LeftButton;
    if (m_window.isButtonOptionSelected(1))
        return RightButton;
    return MiddleButton;
}

void ClickRun::start() {
    const bool fast = fastModeSelected();
    if (!fast && m_window.scrollValue(HoursRow) == 0 && m_window.scrollValue(MinutesRow) == 0 &&
        m_window.scrollValue(SecondsRow) == 0) {
        m_dialogs.messageBox(QStringLiteral("You must increment the time."), MessageButtons::Ok,
                             MessageIcon::Critical, QStringLiteral("Error"));
        return;
    }
    ButtonText = m_window.isButtonOptionSelected(0)   ? QStringLiteral("Left")
                 : m_window.isButtonOptionSelected(1) ? QStringLiteral("Right")
                                                      : QStringLiteral("Middle");
    ElapsedSeconds = 0;
    ElapsedMinutes = 0;
    ElapsedHours = 0;
    m_window.setClickCountText(QStringLiteral("0"));
    m_window.setStartCaption(kStopCaption);
    m_mouse.StartCursorSum.reset();
    m_mouse.CursorSum();
    StartTime = m_timeOfDay.now();
    if (fast) {
        DelayText = m_window.valueText(SpeedRow) + QStringLiteral("th / second");
    } else {
        DelayText = m_window.valueText(HoursRow) + QStringLiteral(" hrs ") +
                    m_window.valueText(MinutesRow) + QStringLiteral(" mins ") +
                    m_window.valueText(SecondsRow) + QStringLiteral(" secs");
    }
    m_window.timer(RunTimer::Timer3).setEnabled(true);
    if (fast) {
        // The label holds the scroll bar's value, or the same number as the user typed it.
        const auto speed = toWholeNumber16(m_window.valueText(SpeedRow));
        TickSource& timer1 = m_window.timer(RunTimer::Timer1);
        timer1.setInterval(speed ? *speed : m_window.scrollValue(SpeedRow));
        timer1.setEnabled(true);
    } else {
        m_window.timer(RunTimer::Timer2).setEnabled(true);
    }
}

void ClickRun::stop() {
    EndTime = m_timeOfDay.now();
    m_window.timer(RunTimer::Timer1).setEnabled(false);
    m_window.timer(RunTimer::Timer2).setEnabled(false);
    TickSource& watch = m_window.timer(RunTimer::Timer3);
    if (watch.isEnabled()) {
        // Stopped by the start button: the caption still reads "stop" while the message
        // is open, and is reset once it closes.
        watch.setEnabled(false);
        showStopMessage(kEnterPressed);
    }
    m_window.setStartCaption(kStartCaption);
    watch.setEnabled(false);
}

void ClickRun::stopByWatcher(const QString& reason) {
    m_window.timer(RunTimer::Timer3).setEnabled(false);
    stop();
    showStopMessage(reason);
}

void ClickRun::showStopMessage(const QString& reason) {
    m_dialogs.messageBox(reason + RunSummary(), MessageButtons::Ok, MessageIcon::Critical,
                         QStringLiteral("Program Stopped"));
    m_window.focusMainWindow();
}

QString ClickRun::RunSummary() const {
    return kCrLf + kCrLf + QStringLiteral("Total Clicks:") + kTab + m_window.clickCountText() +
           kCrLf + QStringLiteral("Configuration:") + kTab + ButtonText +
           QStringLiteral(" Button") + kCrLf + QStringLiteral("Start Time:") + kTab + StartTime +
           kCrLf + QStringLiteral("End Time:") + kTab + kTab + EndTime + kCrLf +
           QStringLiteral("Delay:") + kTab + kTab + DelayText;
}

bool ClickRun::amountReached() const {
    return m_window.amountSwitch() == 1 &&
           m_window.clickCountText() == m_window.valueText(AmountRow);
}

bool ClickRun::pointerMoved() {
    const qint32 sum = m_mouse.CursorSum(); // records the reference if there is none yet
    return sum != *m_mouse.StartCursorSum;
}

bool ClickRun::clickIfPointerStill() {
    // The watch looks every 15 ms; a click due before its next look must not land
    // wherever the pointer has gone meanwhile.
    if (pointerMoved()) {
        stopByWatcher(kMouseMoved);
        return false;
    }
    m_mouse.ClickButton(buttonCode(), m_window);
    return true;
}

bool ClickRun::timerOn(RunTimer which) {
    return m_window.timer(which).isEnabled();
}

// A tick only counts while its timer is on: one that slips through after a stop is dropped.
void ClickRun::Timer1_Timer() {
    if (!timerOn(RunTimer::Timer1))
        return;
    if (!clickIfPointerStill())
        return;
    if (amountReached())
        stopByWatcher(kAmountReached);
}

void ClickRun::Timer2_Timer() {
    if (!timerOn(RunTimer::Timer2))
        return;
    if (amountReached()) {
        stopByWatcher(kAmountReached);
        return;
    }
    ++ElapsedSeconds;
    if (ElapsedSeconds == 60) {
        ElapsedSeconds = 0;
        ++ElapsedMinutes;
    }
    if (ElapsedMinutes == 60) {
        ElapsedSeconds = 0;
        ElapsedMinutes = 0;
        ++ElapsedHours;
    }
    if (m_window.valueText(HoursRow) == QString::number(ElapsedHours) &&
        m_window.valueText(MinutesRow) == QString::number(ElapsedMinutes) &&
        m_window.valueText(SecondsRow) == QString::number(ElapsedSeconds)) {
        if (!clickIfPointerStill())
            return;
        ElapsedSeconds = 0;
        ElapsedMinutes = 0;
        ElapsedHours = 0;
    }
}

void ClickRun::Timer3_Timer() {
    if (timerOn(RunTimer::Timer3) && pointerMoved())
        stopByWatcher(kMouseMoved);
}

} // namespace tivrel
