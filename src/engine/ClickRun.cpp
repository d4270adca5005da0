#include "engine/ClickRun.h"

#include "engine/RunWindow.h"
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
    if (!fast && slowPeriod() == 0) {
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
    m_count = 0;
    m_window.setClickCountText(QStringLiteral("0"));
    m_window.setStartCaption(kStopCaption);
    m_mouse.StartCursorPos.reset();
    m_mouse.CursorPos();
    StartTime = m_timeOfDay.now();
    // The numbers as the scroll bars hold them, whatever was typed to get there.
    const auto number = [this](int row) { return QString::number(m_window.scrollValue(row)); };
    if (fast) {
        DelayText = number(SpeedRow) + QStringLiteral("th / second");
    } else {
        DelayText = number(HoursRow) + QStringLiteral(" hrs ") + number(MinutesRow) +
                    QStringLiteral(" mins ") + number(SecondsRow) + QStringLiteral(" secs");
    }
    m_window.timer(RunTimer::Timer3).setEnabled(true);
    if (fast) {
        TickSource& timer1 = m_window.timer(RunTimer::Timer1);
        timer1.setInterval(m_window.scrollValue(SpeedRow));
        timer1.setEnabled(true);
    } else {
        m_window.timer(RunTimer::Timer2).setEnabled(true);
    }
}

bool ClickRun::isRunning() const {
    return m_window.startCaption() != kStartCaption;
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
    return kCrLf + kCrLf + QStringLiteral("Total Clicks:") + kTab + QString::number(m_count) +
           kCrLf + QStringLiteral("Configuration:") + kTab + ButtonText +
           QStringLiteral(" Button") + kCrLf + QStringLiteral("Start Time:") + kTab + StartTime +
           kCrLf + QStringLiteral("End Time:") + kTab + kTab + EndTime + kCrLf +
           QStringLiteral("Delay:") + kTab + kTab + DelayText;
}

bool ClickRun::amountReached() const {
    // Reached or passed: the amount may have been lowered below the count during the run.
    return m_window.amountSwitch() == 1 && m_count >= m_window.scrollValue(AmountRow);
}

qint64 ClickRun::slowPeriod() const {
    return qint64(m_window.scrollValue(HoursRow)) * 3600 +
           qint64(m_window.scrollValue(MinutesRow)) * 60 + m_window.scrollValue(SecondsRow);
}

bool ClickRun::pointerMoved() {
    // Any change of place counts, however the coordinates add up.
    return m_mouse.CursorPos() != *m_mouse.StartCursorPos;
}

bool ClickRun::clickIfPointerStill() {
    // The watch looks every 15 ms; a click due before its next look must not land
    // wherever the pointer has gone meanwhile.
    if (pointerMoved()) {
        stopByWatcher(kMouseMoved);
        return false;
    }
    m_mouse.ClickButton(buttonCode());
    ++m_count;
    m_window.setClickCountText(QString::number(m_count));
    return true;
}

bool ClickRun::timerOn(RunTimer which) {
    return m_window.timer(which).isEnabled();
}

// A tick only counts while its timer is on: one that slips through after a stop is dropped.
void ClickRun::Timer1_Timer() {
    if (!timerOn(RunTimer::Timer1))
        return;
    // An amount lowered to the count or below during the run ends it without another click.
    if (amountReached()) {
        stopByWatcher(kAmountReached);
        return;
    }
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
        ElapsedMinutes = 0;
        ++ElapsedHours;
    }
    // A click each time a whole period has passed: 0:60:00 is an hour, 0:00:60 a minute, and
    // a period shortened below the time already passed clicks at the next second.
    const qint64 elapsed =
        qint64(ElapsedHours) * 3600 + qint64(ElapsedMinutes) * 60 + ElapsedSeconds;
    const qint64 period = slowPeriod();
    if (period > 0 && elapsed >= period) {
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
