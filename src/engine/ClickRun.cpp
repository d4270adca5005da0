#include "engine/ClickRun.h"

#include "engine/RunWindow.h"
#include "platform/ClickTimer.h"
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

int ClickRun::selectedButtonCode() const {
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
    m_threadStop = ThreadStop::None;
    choicesChanged();
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
    // Clicks at least as often as the mouse watch looks: the click thread's look before each
    // click finds a move as soon, so the watch leaves the pointer to it and only shows the
    // count, ten times a second. No look and six wakes of the UI thread fewer each 100 ms,
    // and no wait for the display connection the two threads share when a click is due.
    TickSource& watch = m_window.timer(RunTimer::Timer3);
    m_watchLooks = !fast || m_window.scrollValue(SpeedRow) > kWatchMs;
    watch.setInterval(m_watchLooks ? kWatchMs : kCountShowMs);
    watch.setEnabled(true);
    if (fast) {
        m_clicking = true;
        m_window.clickTimer().start(
            m_window.scrollValue(SpeedRow), [this] { return Timer1_Timer(); },
            [this] { fastRunEnded(); });
    } else {
        m_window.timer(RunTimer::Timer2).setEnabled(true);
    }
}

bool ClickRun::isRunning() const {
    return m_window.startCaption() != kStartCaption;
}

void ClickRun::choicesChanged() {
    m_amountOn = m_window.amountSwitch() == 1;
    m_amount = m_window.scrollValue(AmountRow);
    m_buttonCode = selectedButtonCode();
}

void ClickRun::stop() {
    EndTime = m_timeOfDay.now();
    // Waits for a click under way: the count is final from here on.
    m_clicking = false;
    m_window.clickTimer().stop();
    m_window.timer(RunTimer::Timer2).setEnabled(false);
    showCount();
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

void ClickRun::fastRunEnded() {
    if (!isRunning())
        return;
    stopByWatcher(m_threadStop == ThreadStop::AmountReached ? kAmountReached : kMouseMoved);
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
    return m_amountOn && m_count >= m_amount;
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
    click();
    showCount();
    return true;
}

void ClickRun::click() {
    m_mouse.ClickButton(m_buttonCode);
    ++m_count;
}

void ClickRun::showCount() {
    m_window.setClickCountText(QString::number(m_count));
}

bool ClickRun::timerOn(RunTimer which) {
    return m_window.timer(which).isEnabled();
}

// On the click thread: nothing here touches a window. The UI thread hears of a stop through
// fastRunEnded and shows the count at each look of the mouse watch.
bool ClickRun::Timer1_Timer() {
    if (!m_clicking)
        return false; // a tick that slipped through after the stop
    // An amount lowered to the count or below during the run ends it without another click.
    if (amountReached()) {
        m_threadStop = ThreadStop::AmountReached;
        return false;
    }
    // The watch looks every 15 ms; a click due before its next look must not land
    // wherever the pointer has gone meanwhile.
    if (pointerMoved()) {
        m_threadStop = ThreadStop::MouseMoved;
        return false;
    }
    click();
    if (amountReached()) {
        m_threadStop = ThreadStop::AmountReached;
        return false;
    }
    return true;
}

// A tick only counts while its timer is on: one that slips through after a stop is dropped.
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
    if (!timerOn(RunTimer::Timer3))
        return;
    if (m_threadStop != ThreadStop::None)
        fastRunEnded(); // the click thread stopped first, for its own reason
    else if (m_watchLooks && pointerMoved())
        stopByWatcher(kMouseMoved);
    else
        showCount();
}

} // namespace tivrel
