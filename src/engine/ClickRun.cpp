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

QString buttonName(int code) {
    switch (code) {
    case LeftButton:
        return QStringLiteral("Left");
    case RightButton:
        return QStringLiteral("Right");
    default:
        return QStringLiteral("Middle");
    }
}

} // namespace

const QString& ClickRun::reasonText(StopReason reason) {
    switch (reason) {
    case StopReason::EnterPressed:
        return kEnterPressed;
    case StopReason::MouseMoved:
        return kMouseMoved;
    case StopReason::InputLost:
        return kInputLost;
    case StopReason::AmountReached:
        break;
    }
    return kAmountReached;
}

ClickRun::ClickRun(RunWindow& window, Mouse& mouse, PointerWatch& watch, Dialogs& dialogs,
                   TimeOfDay& timeOfDay)
    : m_window(window), m_mouse(mouse, watch), m_dialogs(dialogs), m_timeOfDay(timeOfDay) {}

void ClickRun::Command1_Click() {
    // ENTER again while the system's dialog is open waits for its answer.
    if (m_asking)
        return;
    if (m_window.startCaption() == kStartCaption)
        start();
    else if (m_running)
        stop(StopReason::EnterPressed);
    // Otherwise the run is over and its message still open: its caption is reset once the
    // message closes.
}

bool ClickRun::startable(const RunChoices& choices) {
    if (!choices.fast && choices.slowPeriodSeconds() == 0) {
        m_dialogs.messageBox(QStringLiteral("You must increment the time."), MessageButtons::Ok,
                             MessageIcon::Critical, QStringLiteral("Error"));
        return false;
    }
    // A run nothing could stop but ENTER would click on wherever the user goes meanwhile.
    // Whether the pointer can be seen is known once the desktop has granted the clicks.
    if (!m_mouse.MustAsk() && !m_mouse.SeesMoves() && !choices.amountOn) {
        m_dialogs.messageBox(kNeedsAmount, MessageButtons::Ok, MessageIcon::Critical,
                             QStringLiteral("Error"));
        return false;
    }
    return true;
}

bool ClickRun::askForClicks() {
    m_asking = true;
    const QString notice = m_mouse.AskNotice();
    if (!notice.isEmpty())
        m_dialogs.message(notice, MessageButtons::Ok, MessageIcon::Information);
    QString refusal;
    const bool granted = m_mouse.Ask(&refusal);
    m_asking = false;
    if (!granted)
        m_dialogs.messageBox(refusal, MessageButtons::Ok, MessageIcon::Critical,
                             QStringLiteral("Error"));
    return granted;
}

void ClickRun::start() {
    RunChoices choices = m_window.choices();
    if (!startable(choices))
        return;
    if (m_mouse.MustAsk()) {
        if (!askForClicks())
            return;
        // Read again: the user may have changed a choice while the system's dialog was open.
        choices = m_window.choices();
        if (!startable(choices))
            return;
    }
    ButtonText = buttonName(choices.buttonCode);
    ElapsedSeconds = 0;
    ElapsedMinutes = 0;
    ElapsedHours = 0;
    m_count = 0;
    m_threadStop = std::nullopt;
    take(choices);
    m_window.setClickCountText(QStringLiteral("0"));
    m_window.setStartCaption(kStopCaption);
    m_mouse.WatchPointer();
    StartTime = m_timeOfDay.now();
    if (choices.fast) {
        DelayText = QString::number(choices.intervalMs) + QStringLiteral("th / second");
    } else {
        DelayText = QString::number(choices.hours) + QStringLiteral(" hrs ") +
                    QString::number(choices.minutes) + QStringLiteral(" mins ") +
                    QString::number(choices.seconds) + QStringLiteral(" secs");
    }
    m_running = true;
    // Clicks at least as often as the mouse watch looks: the click thread's look before each
    // click finds a move as soon, so the watch leaves the pointer to it and only shows the
    // count, ten times a second. No look and six wakes of the UI thread fewer each 100 ms.
    TickSource& watch = m_window.timer(RunTimer::Timer3);
    m_watchLooks = !choices.fast || choices.intervalMs > kWatchMs;
    watch.setInterval(m_watchLooks ? kWatchMs : kCountShowMs);
    watch.setEnabled(true);
    if (choices.fast) {
        m_clicking = true;
        m_window.clickTimer().start(choices.intervalMs,
                                    {.tick = [this] { return Timer1_Timer(); },
                                     .look = [this] { return Timer1_PointerNews(); }},
                                    [this] { fastRunEnded(); });
    } else {
        m_window.timer(RunTimer::Timer2).setEnabled(true);
    }
}

void ClickRun::choicesChanged() {
    take(m_window.choices());
}

// The mode and the fast delay stay as they were at the start; the rest is read afresh.
void ClickRun::take(const RunChoices& choices) {
    m_amountOn = choices.amountOn;
    m_amount = choices.amount;
    m_buttonCode = choices.buttonCode;
    m_slowPeriod = choices.slowPeriodSeconds();
}

void ClickRun::stop(StopReason reason) {
    m_running = false;
    EndTime = m_timeOfDay.now();
    // Waits for a click under way: the count is final from here on.
    m_clicking = false;
    m_window.clickTimer().stop();
    m_window.timer(RunTimer::Timer2).setEnabled(false);
    m_window.timer(RunTimer::Timer3).setEnabled(false);
    m_mouse.StopWatching();
    showCount();
    // The start button stopped the run: its caption still reads "stop" while the message is
    // open, and is reset once it closes. The run's own stops reset it first.
    const bool askedByUser = reason == StopReason::EnterPressed;
    if (!askedByUser)
        m_window.setStartCaption(kStartCaption);
    showStopMessage(reason);
    if (askedByUser)
        m_window.setStartCaption(kStartCaption);
}

bool ClickRun::endOnClickThread(StopReason reason) {
    m_threadStop = reason;
    return false;
}

void ClickRun::fastRunEnded() {
    const std::optional<StopReason> reason = m_threadStop;
    if (m_running && reason)
        stop(*reason);
}

void ClickRun::showStopMessage(StopReason reason) {
    m_dialogs.messageBox(reasonText(reason) + RunSummary(), MessageButtons::Ok,
                         MessageIcon::Critical, QStringLiteral("Program Stopped"));
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

bool ClickRun::clickIfPointerStill() {
    // The watch looks every 15 ms; a click due before its next look must not land
    // wherever the pointer has gone meanwhile.
    if (m_mouse.PointerMoved()) {
        stop(StopReason::MouseMoved);
        return false;
    }
    if (!click()) {
        stop(StopReason::InputLost);
        return false;
    }
    showCount();
    return true;
}

bool ClickRun::click() {
    m_mouse.ClickButton(m_buttonCode);
    // A click into a session the desktop has ended reaches nothing and is not counted.
    if (m_mouse.InputLost())
        return false;
    ++m_count;
    return true;
}

void ClickRun::showCount() {
    m_window.setClickCountText(QString::number(m_count));
}

bool ClickRun::timerOn(RunTimer which) {
    return m_window.timer(which).isEnabled();
}

// On the click thread: nothing here touches a window. The UI thread hears of a stop through
// fastRunEnded and shows the count at each tick of the mouse watch.
bool ClickRun::Timer1_Timer() {
    if (!m_clicking)
        return false; // a tick that slipped through after the stop
    // An amount lowered to the count or below during the run ends it without another click.
    if (amountReached())
        return endOnClickThread(StopReason::AmountReached);
    // No click lands wherever the pointer has gone since the run began.
    if (m_mouse.PointerMoved())
        return endOnClickThread(StopReason::MouseMoved);
    if (!click())
        return endOnClickThread(StopReason::InputLost);
    if (amountReached())
        return endOnClickThread(StopReason::AmountReached);
    // The click's answer may have brought a move along: the run ends now, not at the next
    // tick, which may be most of a second away.
    if (m_mouse.PointerMovedSoFar())
        return endOnClickThread(StopReason::MouseMoved);
    return true;
}

bool ClickRun::Timer1_PointerNews() {
    if (!m_clicking)
        return false;
    if (m_mouse.PointerMoved())
        return endOnClickThread(StopReason::MouseMoved);
    return true;
}

// A tick only counts while its timer is on: one that slips through after a stop is dropped.
void ClickRun::Timer2_Timer() {
    if (!timerOn(RunTimer::Timer2))
        return;
    if (amountReached()) {
        stop(StopReason::AmountReached);
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
    if (m_slowPeriod > 0 && elapsed >= m_slowPeriod) {
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
    if (const std::optional<StopReason> reason = m_threadStop.load())
        stop(*reason); // the click thread stopped first, for its own reason
    else if (m_watchLooks && m_mouse.PointerMoved())
        stop(StopReason::MouseMoved);
    else
        showCount();
}

} // namespace tivrel
