#include "engine/ClickRun.h"
#include "fakes/FakePlatform.h"
#include "fakes/FakeRunWindow.h"

#include <gtest/gtest.h>

namespace tivrel::test {
namespace {

const QString kStart = ClickRun::kStartCaption;
const QString kStop = ClickRun::kStopCaption;

class ClickRunTest : public ::testing::Test {
protected:
    ClickRunTest() {
        fakes.timeOfDay.times = {QStringLiteral("9:15:02 AM"), QStringLiteral("9:16:40 AM")};
    }

    void press() { run.Command1_Click(); }
    void fastTicks(int n) {
        for (int i = 0; i < n; ++i)
            window.timer1.tick();
    }
    void slowTicks(int n) {
        for (int i = 0; i < n; ++i)
            window.timer2.tick();
    }
    int clicks() const { return int(fakes.mouse.events.size()) / 2; }
    bool anyTimerOn() const {
        return window.timer1.isEnabled() || window.timer2.isEnabled() || window.timer3.isEnabled();
    }
    void chooseSlow(int hours, int minutes, int seconds) {
        window.delayOption = 0;
        window.setValue(HoursRow, hours);
        window.setValue(MinutesRow, minutes);
        window.setValue(SecondsRow, seconds);
    }

    FakePlatform fakes;
    FakeRunWindow window;
    ClickRun run{window, fakes.mouse, fakes.pointerWatch, fakes.dialogs, fakes.timeOfDay};

    void SetUp() override {
        window.timer2.onTick([this] { run.Timer2_Timer(); });
        window.timer3.onTick([this] { run.Timer3_Timer(); });
    }
};

TEST_F(ClickRunTest, FastStartSetsCaptionTimersAndRecords) {
    window.setValue(SpeedRow, 50);
    window.buttonOption = 1;
    window.count = QStringLiteral("17");
    run.ElapsedSeconds = 9;
    press();

    EXPECT_EQ(window.caption, kStop);
    EXPECT_EQ(window.count, "0");
    EXPECT_TRUE(window.timer1.isEnabled());
    EXPECT_EQ(window.timer1.interval(), 50);
    EXPECT_FALSE(window.timer2.isEnabled());
    EXPECT_TRUE(window.timer3.isEnabled());
    EXPECT_EQ(run.ButtonText, "Right");
    EXPECT_EQ(run.DelayText, "50th / second");
    EXPECT_EQ(run.StartTime, "9:15:02 AM");
    EXPECT_EQ(run.ElapsedSeconds, 0);
    EXPECT_TRUE(fakes.pointerWatch.watching);
    EXPECT_EQ(window.choiceReads, 1) << "a start reads the window's choices once";
    EXPECT_TRUE(fakes.dialogs.messages.empty());
    EXPECT_TRUE(fakes.mouse.events.empty()) << "the first click waits one interval";
}

// A start that could not run as asked changes nothing but for its message.
struct RefusedStartCase {
    const char* name;
    int delayOption; // 0 slow, 1 fast
    int seconds;     // of the slow period
    bool watchSees;  // the desktop lets the program see the pointer
    int amountOn;
    const char* refusal; // nullptr: the run starts
};

const RefusedStartCase kRefusedStarts[] = {
    {"SlowWithNoTime", 0, 0, true, 0, "You must increment the time."},
    {"FastWhereNoMoveCanBeSeen", 1, 0, false, 0, "This desktop does not let Tivrel see the mouse"},
    {"SlowWhereNoMoveCanBeSeen", 0, 5, false, 0, "This desktop does not let Tivrel see the mouse"},
    {"WithAnAmountWhereNoMoveCanBeSeen", 1, 0, false, 1, nullptr},
};

class RefusedStartTest : public ClickRunTest,
                         public ::testing::WithParamInterface<RefusedStartCase> {};

TEST_P(RefusedStartTest, ShowsWhyAndLeavesTheWindowAsItWas) {
    const RefusedStartCase& c = GetParam();
    chooseSlow(0, 0, c.seconds);
    window.delayOption = c.delayOption;
    window.amountOn = c.amountOn;
    fakes.pointerWatch.sees = c.watchSees;
    window.count = QStringLiteral("12");
    press();

    if (!c.refusal) {
        EXPECT_EQ(window.caption, kStop);
        EXPECT_TRUE(fakes.dialogs.messages.empty());
        return;
    }
    ASSERT_EQ(fakes.dialogs.messages.size(), 1u);
    const ShownMessage& m = fakes.dialogs.messages[0];
    EXPECT_TRUE(m.prompt.startsWith(QLatin1String(c.refusal))) << qPrintable(m.prompt);
    EXPECT_EQ(m.title, "Error");
    EXPECT_EQ(m.icon, MessageIcon::Critical);
    EXPECT_EQ(m.buttons, MessageButtons::Ok);
    EXPECT_EQ(window.caption, kStart);
    EXPECT_EQ(window.count, "12");
    EXPECT_FALSE(anyTimerOn());
    EXPECT_FALSE(fakes.pointerWatch.watching);
}

INSTANTIATE_TEST_SUITE_P(Starts, RefusedStartTest, ::testing::ValuesIn(kRefusedStarts),
                         [](const auto& info) { return std::string(info.param.name); });

// Where the desktop asks the user before a program may click, the first run asks: told
// first what is coming, and started only once allowed.
struct AskingCase {
    const char* name;
    bool allowed;
    bool seesMovesOnceAllowed;
    bool enterWhileAsking;
    std::vector<QString> messages; // in order, after the notice
    bool runs;
};

const AskingCase kAskings[] = {
    {"Allowed", true, true, false, {}, true},
    {"Refused", false, true, false, {QStringLiteral("refused")}, false},
    {"EnterAgainWhileTheDialogIsOpen", true, true, true, {}, true},
    {"AllowedWhereNoMoveCanBeSeen", true, false, false, {ClickRun::kNeedsAmount}, false},
};

class AskingTest : public ClickRunTest, public ::testing::WithParamInterface<AskingCase> {};

TEST_P(AskingTest, AsksOnceAndStartsOnlyWhenAllowed) {
    const AskingCase& c = GetParam();
    fakes.mouse.asksFirst = true;
    fakes.mouse.notice = QStringLiteral("The system will ask.");
    fakes.mouse.answer = [&](QString* refusal) {
        EXPECT_EQ(fakes.dialogs.messages.size(), 1u) << "the notice comes before the dialog";
        if (c.enterWhileAsking)
            press();
        fakes.pointerWatch.sees = c.seesMovesOnceAllowed;
        *refusal = QStringLiteral("refused");
        return c.allowed;
    };
    press();

    EXPECT_EQ(fakes.mouse.asks, 1);
    ASSERT_EQ(fakes.dialogs.messages.size(), 1 + c.messages.size());
    EXPECT_EQ(fakes.dialogs.messages[0].prompt, "The system will ask.");
    EXPECT_EQ(fakes.dialogs.messages[0].icon, MessageIcon::Information);
    for (size_t i = 0; i < c.messages.size(); ++i)
        EXPECT_EQ(fakes.dialogs.messages[1 + i].prompt, c.messages[i]);
    EXPECT_EQ(window.caption, c.runs ? kStop : kStart);
    EXPECT_EQ(fakes.pointerWatch.watching, c.runs);
    fastTicks(2);
    EXPECT_EQ(clicks(), c.runs ? 2 : 0);
    if (!c.runs)
        return;
    press();
    fakes.dialogs.messages.clear();
    press();
    EXPECT_EQ(fakes.mouse.asks, 1) << "the next run asks no more";
    EXPECT_TRUE(fakes.dialogs.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(Askings, AskingTest, ::testing::ValuesIn(kAskings),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ClickRunTest, FastStartIgnoresZeroSlowTime) {
    chooseSlow(0, 0, 0);
    window.delayOption = 1;
    press();
    EXPECT_EQ(window.caption, kStop);
    EXPECT_TRUE(window.timer1.isEnabled());
    EXPECT_TRUE(fakes.dialogs.messages.empty());
}

TEST_F(ClickRunTest, SlowStartUsesTheClockAndDescribesThePeriod) {
    chooseSlow(0, 1, 30);
    press();
    EXPECT_TRUE(window.timer2.isEnabled());
    EXPECT_FALSE(window.timer1.isEnabled());
    EXPECT_TRUE(window.timer3.isEnabled());
    EXPECT_EQ(run.DelayText, "0 hrs 1 mins 30 secs");
}

TEST_F(ClickRunTest, EnterStopShowsSummaryWhileStopCaptionStands) {
    window.setValue(SpeedRow, 50);
    press();
    fastTicks(3);
    QString captionDuringMessage;
    bool timersOffDuringMessage = false;
    fakes.dialogs.whileMessageShown = [&](const ShownMessage&) {
        captionDuringMessage = window.caption;
        timersOffDuringMessage = !anyTimerOn();
    };
    press();

    ASSERT_EQ(fakes.dialogs.messages.size(), 1u);
    const ShownMessage& m = fakes.dialogs.messages[0];
    EXPECT_EQ(m.prompt, "The enter key was pressed.\r\n\r\nTotal Clicks:\t3\r\n"
                        "Configuration:\tLeft Button\r\nStart Time:\t9:15:02 AM\r\n"
                        "End Time:\t\t9:16:40 AM\r\nDelay:\t\t50th / second");
    EXPECT_EQ(m.title, "Program Stopped");
    EXPECT_EQ(m.icon, MessageIcon::Critical);
    EXPECT_EQ(m.buttons, MessageButtons::Ok);
    EXPECT_EQ(captionDuringMessage, kStop);
    EXPECT_TRUE(timersOffDuringMessage);
    EXPECT_EQ(window.caption, kStart);
    EXPECT_FALSE(anyTimerOn());
    EXPECT_EQ(window.focusCount, 1);
    EXPECT_EQ(window.count, "3") << "the count stays until the next start";
}

struct WatcherStopCase {
    const char* name;
    int amountOn;
    int amount;
    int ticksBeforeMove; // -1: never move
    QString reason;
    int expectedClicks;
    int ticksBeforeLoss = -1; // the desktop ends the session that takes the clicks
};

class WatcherStopTest : public ClickRunTest,
                        public ::testing::WithParamInterface<WatcherStopCase> {};

TEST_P(WatcherStopTest, StopsOnceWithTimersOffAndStartCaption) {
    const WatcherStopCase& c = GetParam();
    window.amountOn = c.amountOn;
    window.setValue(AmountRow, c.amount);
    QString captionDuringMessage;
    bool timersOffDuringMessage = false;
    fakes.dialogs.whileMessageShown = [&](const ShownMessage&) {
        captionDuringMessage = window.caption;
        timersOffDuringMessage = !anyTimerOn();
    };
    press();
    for (int i = 0; i < 50 && fakes.dialogs.messages.empty(); ++i) {
        if (i == c.ticksBeforeMove)
            fakes.pointerWatch.move();
        if (i == c.ticksBeforeLoss)
            fakes.mouse.loseSession();
        window.timer1.tick();
        window.timer3.tick();
    }
    ASSERT_EQ(fakes.dialogs.messages.size(), 1u);
    EXPECT_TRUE(fakes.dialogs.messages[0].prompt.startsWith(
        c.reason + "\r\n\r\nTotal Clicks:\t" + QString::number(c.expectedClicks) + "\r\n"))
        << qPrintable(fakes.dialogs.messages[0].prompt);
    EXPECT_EQ(captionDuringMessage, kStart) << "a watcher resets the caption before the message";
    EXPECT_TRUE(timersOffDuringMessage);
    EXPECT_EQ(clicks(), c.expectedClicks);
    EXPECT_EQ(window.focusCount, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Reasons, WatcherStopTest,
    ::testing::Values(WatcherStopCase{"AmountOfOne", 1, 1, -1, ClickRun::kAmountReached, 1},
                      WatcherStopCase{"AmountOfFour", 1, 4, -1, ClickRun::kAmountReached, 4},
                      WatcherStopCase{"MouseMoved", 0, 1, 3, ClickRun::kMouseMoved, 3},
                      WatcherStopCase{"MoveBeatsAmount", 1, 10, 2, ClickRun::kMouseMoved, 2},
                      WatcherStopCase{"DesktopEndsTheSession", 1, 10, -1, ClickRun::kInputLost, 3,
                                      3}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ClickRunTest, AmountIsIgnoredWhileSwitchIsOff) {
    window.setValue(AmountRow, 2);
    press();
    fastTicks(10);
    EXPECT_EQ(clicks(), 10);
    EXPECT_TRUE(fakes.dialogs.messages.empty());
}

// An amount changed during a run counts from the next tick on; one at or below the count
// already made ends the run there, without another click.
struct AmountChangeCase {
    const char* name;
    bool switchOnLate; // the switch is ticked at the change, not at the start
    int newAmount;
    int expectedClicks;
};

class AmountChangeTest : public ClickRunTest,
                         public ::testing::WithParamInterface<AmountChangeCase> {};

TEST_P(AmountChangeTest, StopsOnceTheCountReachesOrPassesTheAmount) {
    const AmountChangeCase& c = GetParam();
    window.amountOn = c.switchOnLate ? 0 : 1;
    window.setValue(AmountRow, 20);
    press();
    fastTicks(4);
    window.amountOn = 1;
    window.setValue(AmountRow, c.newAmount);
    run.choicesChanged();
    fastTicks(10);
    EXPECT_EQ(clicks(), c.expectedClicks);
    ASSERT_EQ(fakes.dialogs.messages.size(), 1u);
    EXPECT_TRUE(fakes.dialogs.messages[0].prompt.startsWith(
        ClickRun::kAmountReached + "\r\n\r\nTotal Clicks:\t" + QString::number(c.expectedClicks) +
        "\r\n"));
    EXPECT_FALSE(anyTimerOn());
}

INSTANTIATE_TEST_SUITE_P(Changes, AmountChangeTest,
                         ::testing::Values(AmountChangeCase{"LoweredBelowTheCount", false, 3, 4},
                                           AmountChangeCase{"LoweredToTheCount", false, 4, 4},
                                           AmountChangeCase{"LoweredAboveTheCount", false, 6, 6},
                                           AmountChangeCase{"SwitchedOnPastIt", true, 2, 4}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ClickRunTest, ClickDueAfterAMoveIsNotMade) {
    press();
    fastTicks(2);
    fakes.pointerWatch.move(); // before the watch has looked
    fastTicks(1);
    EXPECT_EQ(clicks(), 2);
    ASSERT_EQ(fakes.dialogs.messages.size(), 1u);
    EXPECT_TRUE(fakes.dialogs.messages[0].prompt.startsWith(ClickRun::kMouseMoved));
    EXPECT_FALSE(anyTimerOn());
}

// Whoever hears of a move first (the mouse watch, the click thread woken by the system's
// news, or the thread's look before the next click), the run stops there without another
// click, and once only.
enum class FirstToSee { MouseWatch, PointerNews, NextTick };

class PointerMoveTest : public ClickRunTest, public ::testing::WithParamInterface<FirstToSee> {};

TEST_P(PointerMoveTest, AMoveStopsTheRunWithoutAnotherClick) {
    window.setValue(SpeedRow, 50);
    press();
    fastTicks(1);
    fakes.pointerWatch.move();
    switch (GetParam()) {
    case FirstToSee::MouseWatch:
        window.timer3.tick();
        break;
    case FirstToSee::PointerNews:
        window.timer1.pointerNews();
        EXPECT_FALSE(anyTimerOn()) << "the run went on after the news of a move";
        break;
    case FirstToSee::NextTick:
        break;
    }
    fastTicks(3);
    window.timer3.tick();
    EXPECT_EQ(window.caption, kStart);
    EXPECT_EQ(window.count, "1");
    ASSERT_EQ(fakes.dialogs.messages.size(), 1u);
    EXPECT_TRUE(fakes.dialogs.messages[0].prompt.startsWith(ClickRun::kMouseMoved));
    EXPECT_EQ(clicks(), 1);
    EXPECT_FALSE(fakes.pointerWatch.watching) << "the watch goes on after the run";
}

std::string firstToSeeName(const ::testing::TestParamInfo<FirstToSee>& info) {
    const char* const names[] = {"MouseWatch", "PointerNews", "NextTick"};
    return names[int(info.param)];
}

INSTANTIATE_TEST_SUITE_P(Moves, PointerMoveTest,
                         ::testing::Values(FirstToSee::MouseWatch, FirstToSee::PointerNews,
                                           FirstToSee::NextTick),
                         firstToSeeName);

// News of the pointer that is no move (the system woke the thread for something else)
// neither clicks nor stops.
TEST_F(ClickRunTest, PointerNewsWithoutAMoveLeavesTheRunAsItWas) {
    press();
    fastTicks(2);
    window.timer1.pointerNews();
    EXPECT_EQ(clicks(), 2);
    EXPECT_TRUE(window.timer1.isEnabled());
    fastTicks(1);
    EXPECT_EQ(clicks(), 3);
}

TEST_F(ClickRunTest, ButtonChangeDuringRunChangesClicksNotSummary) {
    window.buttonOption = 0;
    press();
    fastTicks(1);
    window.buttonOption = 2;
    run.choicesChanged();
    fastTicks(1);
    window.buttonOption = 1;
    run.choicesChanged();
    fastTicks(1);
    const std::vector<ButtonEvent> expected{
        {MouseButton::Left, true},    {MouseButton::Left, false}, {MouseButton::Middle, true},
        {MouseButton::Middle, false}, {MouseButton::Right, true}, {MouseButton::Right, false}};
    EXPECT_EQ(fakes.mouse.events, expected);
    press();
    ASSERT_EQ(fakes.dialogs.messages.size(), 1u);
    EXPECT_TRUE(fakes.dialogs.messages[0].prompt.contains("Configuration:\tLeft Button\r\n"));
}

TEST_F(ClickRunTest, ModeSwitchDuringRunKeepsTheStartedTimer) {
    press();
    window.delayOption = 0;
    window.setValue(SecondsRow, 1);
    run.choicesChanged();
    fastTicks(2);
    EXPECT_TRUE(window.timer1.isEnabled());
    EXPECT_FALSE(window.timer2.isEnabled());
    EXPECT_EQ(clicks(), 2);
}

TEST_F(ClickRunTest, CountGoesPast16Bits) {
    press();
    fastTicks(32769);
    window.timer3.tick(); // the watch's look shows the count
    EXPECT_EQ(window.count, "32769");
    EXPECT_TRUE(fakes.dialogs.messages.empty());
    EXPECT_EQ(window.caption, kStop);
}

// The move that ended one run is not held against the next.
TEST_F(ClickRunTest, NextRunStartsAfresh) {
    window.amountOn = 1;
    window.setValue(AmountRow, 2);
    press();
    fastTicks(1);
    fakes.pointerWatch.move();
    fastTicks(1);
    ASSERT_EQ(fakes.dialogs.messages.size(), 1u);
    press();
    fastTicks(5);
    EXPECT_EQ(clicks(), 3);
    ASSERT_EQ(fakes.dialogs.messages.size(), 2u);
    EXPECT_TRUE(fakes.dialogs.messages[1].prompt.startsWith(ClickRun::kAmountReached));
}

TEST_F(ClickRunTest, TicksAfterTheStopDoNothing) {
    press();
    press();
    fakes.pointerWatch.move();
    EXPECT_FALSE(window.timer1.tick());
    EXPECT_FALSE(window.timer3.tick());
    // Even ticks delivered late, after their timer was turned off, do nothing.
    run.Timer1_Timer();
    run.Timer1_PointerNews();
    run.Timer2_Timer();
    run.Timer3_Timer();
    EXPECT_EQ(fakes.dialogs.messages.size(), 1u);
    EXPECT_TRUE(fakes.mouse.events.empty());
    EXPECT_EQ(window.caption, kStart);
}

// Slow mode: the clock ticks once a second and a click comes each time a whole period of
// hours x 3600 + minutes x 60 + seconds has passed.
struct SlowCase {
    const char* name;
    int hours, minutes, seconds;
    int ticks;
    std::vector<int> clickTicks; // the ticks at which a click lands
};

class SlowPeriodTest : public ClickRunTest, public ::testing::WithParamInterface<SlowCase> {};

TEST_P(SlowPeriodTest, ClicksOncePerPeriod) {
    const SlowCase& c = GetParam();
    chooseSlow(c.hours, c.minutes, c.seconds);
    press();
    std::vector<int> clickTicks;
    for (int t = 1; t <= c.ticks; ++t) {
        const int before = clicks();
        window.timer2.tick();
        if (clicks() != before)
            clickTicks.push_back(t);
    }
    EXPECT_EQ(clickTicks, c.clickTicks);
    EXPECT_EQ(window.caption, kStop);
}

INSTANTIATE_TEST_SUITE_P(
    Periods, SlowPeriodTest,
    ::testing::Values(SlowCase{"OneSecond", 0, 0, 1, 4, {1, 2, 3, 4}},
                      SlowCase{"OneMinute", 0, 1, 0, 130, {60, 120}},
                      SlowCase{"MinuteAndSeconds", 0, 1, 5, 140, {65, 130}},
                      SlowCase{"OneHour", 1, 0, 0, 7300, {3600, 7200}},
                      SlowCase{"SixtySecondsIsAMinute", 0, 0, 60, 130, {60, 120}},
                      SlowCase{"SixtyMinutesIsAnHour", 0, 60, 0, 7300, {3600, 7200}},
                      SlowCase{"AllRowsAtSixty", 60, 60, 60, 223000, {219660}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ClickRunTest, SlowAmountStopsAtTheTickAfterTheLastClick) {
    chooseSlow(0, 0, 1);
    window.amountOn = 1;
    window.setValue(AmountRow, 3);
    press();
    slowTicks(3);
    EXPECT_EQ(clicks(), 3);
    EXPECT_TRUE(fakes.dialogs.messages.empty());
    slowTicks(1);
    EXPECT_EQ(clicks(), 3);
    ASSERT_EQ(fakes.dialogs.messages.size(), 1u);
    EXPECT_TRUE(fakes.dialogs.messages[0].prompt.startsWith(ClickRun::kAmountReached +
                                                            "\r\n\r\nTotal Clicks:\t3\r\n"));
    EXPECT_TRUE(fakes.dialogs.messages[0].prompt.endsWith("Delay:\t\t0 hrs 0 mins 1 secs"));
    EXPECT_FALSE(anyTimerOn());
}

TEST_F(ClickRunTest, SlowPeriodShortenedBelowElapsedClicksAtTheNextSecond) {
    chooseSlow(0, 0, 30);
    press();
    slowTicks(20);
    window.setValue(SecondsRow, 10);
    run.choicesChanged();
    std::vector<int> clickTicks;
    for (int t = 21; t <= 45; ++t) {
        const int before = clicks();
        window.timer2.tick();
        if (clicks() != before)
            clickTicks.push_back(t);
    }
    EXPECT_EQ(clickTicks, (std::vector<int>{21, 31, 41}));
}

TEST_F(ClickRunTest, SlowClickIsNotMadeAfterAMove) {
    chooseSlow(0, 0, 2);
    press();
    slowTicks(1);
    fakes.pointerWatch.move();
    slowTicks(1);
    EXPECT_EQ(clicks(), 0);
    ASSERT_EQ(fakes.dialogs.messages.size(), 1u);
    EXPECT_TRUE(fakes.dialogs.messages[0].prompt.startsWith(ClickRun::kMouseMoved));
}

TEST_F(ClickRunTest, SlowPeriodSetToNothingDuringARunMakesNoClick) {
    chooseSlow(0, 0, 2);
    press();
    window.setValue(SecondsRow, 0);
    run.choicesChanged();
    slowTicks(10);
    EXPECT_EQ(clicks(), 0);
    EXPECT_EQ(window.caption, kStop);
}

// The mouse watch looks at the pointer only where the clicks come further apart than its own
// looks (15 ms); otherwise the click thread's look before each click finds a move as soon,
// and the watch only shows the count, ten times a second. Either way a move ends the run
// without another click, and each run sets the watch's pace anew.
struct WatchCase {
    const char* name;
    int delayOption; // 0 slow, 1 fast
    int speed;
    bool watchLooks;
    int watchMs;
};

class WatchLookTest : public ClickRunTest, public ::testing::WithParamInterface<WatchCase> {};

TEST_P(WatchLookTest, AMoveEndsTheRunAtTheFirstLookWithoutAClick) {
    const WatchCase& c = GetParam();
    // A run before, of the other kind, stopped by ENTER: its pace must not carry over.
    window.delayOption = 1;
    window.setValue(SpeedRow, c.watchLooks ? 5 : 999);
    press();
    fastTicks(1);
    press();
    ASSERT_EQ(fakes.dialogs.messages.size(), 1u);
    fakes.dialogs.messages.clear();
    fakes.mouse.events.clear();

    window.delayOption = c.delayOption;
    window.setValue(SpeedRow, c.speed);
    window.setValue(SecondsRow, 1);
    press();
    EXPECT_EQ(window.timer3.interval(), c.watchMs);
    if (c.delayOption == 1)
        fastTicks(2);
    else
        slowTicks(2);
    const int clicksBefore = clicks();
    fakes.pointerWatch.move();
    const int looksBefore = fakes.pointerWatch.looks;
    window.timer3.tick();
    EXPECT_EQ(fakes.pointerWatch.looks - looksBefore, c.watchLooks ? 1 : 0);
    EXPECT_EQ(fakes.dialogs.messages.size(), c.watchLooks ? 1u : 0u);
    EXPECT_EQ(window.count, QString::number(clicksBefore)) << "the watch shows the count";

    if (c.delayOption == 1)
        fastTicks(3);
    else
        slowTicks(3);
    EXPECT_EQ(clicks(), clicksBefore);
    ASSERT_EQ(fakes.dialogs.messages.size(), 1u);
    EXPECT_TRUE(fakes.dialogs.messages[0].prompt.startsWith(ClickRun::kMouseMoved));
    EXPECT_FALSE(anyTimerOn());
}

INSTANTIATE_TEST_SUITE_P(Speeds, WatchLookTest,
                         ::testing::Values(WatchCase{"Fast5", 1, 5, false, 100},
                                           WatchCase{"Fast15", 1, 15, false, 100},
                                           WatchCase{"Fast16", 1, 16, true, 15},
                                           WatchCase{"Fast999", 1, 999, true, 15},
                                           WatchCase{"Slow", 0, 5, true, 15}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace tivrel::test
