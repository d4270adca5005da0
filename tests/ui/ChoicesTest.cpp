// The user's choices on the window: delay mode, mouse button, amount, scroll bars, and which
// value labels answer a click.
#include "ui/Form1Fixture.h"

#include "engine/RunWindow.h"
#include "platform/TickSource.h"

#include <QCheckBox>
#include <QLabel>
#include <QRadioButton>

#include <array>
#include <string>
#include <vector>

namespace tivrel::test {
namespace {

// What a delay choice must leave alone.
struct Untouched {
    std::array<int, kValueRows> values{};
    std::array<QString, kValueRows> texts;
    std::array<bool, kValueRows> captionsEnabled{};
    bool amountChecked = false;
    bool amountBarEnabled = false;
    bool amountLabelEnabled = false;

    static Untouched of(const Form1& form) {
        Untouched u;
        for (int row = 0; row < kValueRows; ++row) {
            u.values[row] = control<QScrollBar>(form, "HScroll1", row)->value();
            u.texts[row] = form.valueLabel(row)->text();
            u.captionsEnabled[row] = control<QLabel>(form, "Label1", row)->isEnabled();
        }
        u.amountChecked = control<QCheckBox>(form, "Check1")->isChecked();
        u.amountBarEnabled = control<QScrollBar>(form, "HScroll1", AmountRow)->isEnabled();
        u.amountLabelEnabled = control<ClickableLabel>(form, "AmountLbl")->isEnabled();
        return u;
    }
    bool operator==(const Untouched&) const = default;
};

void PrintTo(const Untouched& u, std::ostream* os) {
    for (int row = 0; row < kValueRows; ++row)
        *os << row << ":" << u.values[row] << "/" << u.texts[row].toStdString() << "/"
            << u.captionsEnabled[row] << " ";
    *os << "amount " << u.amountChecked << u.amountBarEnabled << u.amountLabelEnabled;
}

// ---------------------------------------------------------------------------------------
// Delay mode

struct DelayChoice {
    const char* name;
    int option;    // Option1 index chosen
    bool amountOn; // the amount row in use meanwhile
};

const DelayChoice kDelayChoices[] = {
    {"Slow", 0, false},
    {"SlowWithAmount", 0, true},
    {"Fast", 1, false},
    {"FastWithAmount", 1, true},
};

class DelayChoiceTest : public Form1ParamTest<DelayChoice> {
protected:
    // Chooses the other mode first, so that the choice under test is a change.
    void chooseOtherMode() {
        QRadioButton* const other = control<QRadioButton>(form, "Option1", 1 - GetParam().option);
        other->click();
        ASSERT_TRUE(other->isChecked());
    }

    QRadioButton* chosenMode() const {
        return control<QRadioButton>(form, "Option1", GetParam().option);
    }
    QRadioButton* otherMode() const {
        return control<QRadioButton>(form, "Option1", 1 - GetParam().option);
    }
    ClickCountLabel* clickCount() const { return control<ClickCountLabel>(form, "TimeLbl"); }
};

TEST_P(DelayChoiceTest, EnablesItsRowsAndResetsTheClickCount) {
    const DelayChoice& choice = GetParam();
    if (choice.amountOn)
        control<QCheckBox>(form, "Check1")->click();
    chooseOtherMode();
    for (const auto& [row, value] :
         {std::pair{MinutesRow, 7}, std::pair{SecondsRow, 12}, std::pair{AmountRow, 30},
          std::pair{SpeedRow, 250}, std::pair{HoursRow, 2}})
        control<QScrollBar>(form, "HScroll1", row)->setValue(value);
    clickCount()->setText(QStringLiteral("42"));
    const Untouched before = Untouched::of(form);

    chosenMode()->click();

    const bool slow = choice.option == 0;
    EXPECT_TRUE(chosenMode()->isChecked());
    EXPECT_FALSE(otherMode()->isChecked());
    struct Expected {
        const char* name;
        bool enabled;
    };
    const Expected expected[] = {
        {"HScroll1_0", slow}, {"HScroll1_1", slow}, {"HScroll1_4", slow},  {"HoursLbl", slow},
        {"MinLbl", slow},     {"SecLbl", slow},     {"HScroll1_3", !slow}, {"SpeedLbl", !slow},
    };
    for (const Expected& e : expected) {
        SCOPED_TRACE(e.name);
        EXPECT_EQ(control<QWidget>(form, e.name)->isEnabled(), e.enabled);
    }
    EXPECT_EQ(clickCount()->text(), QStringLiteral("0"));
    EXPECT_EQ(Untouched::of(form), before);
    EXPECT_TRUE(fake.dialogs.messages.empty());
    EXPECT_TRUE(fake.dialogs.inputs.empty());
}

TEST_P(DelayChoiceTest, RunningRunKeepsGoingWithItsCount) {
    const DelayChoice& choice = GetParam();
    if (choice.amountOn) {
        control<QCheckBox>(form, "Check1")->click();
        control<QScrollBar>(form, "HScroll1", AmountRow)->setValue(500); // far from reached
    }
    chooseOtherMode();
    // A slow run needs some time to wait.
    control<QScrollBar>(form, "HScroll1", SecondsRow)->setValue(1);
    control<QPushButton>(form, "Command1")->click();
    ASSERT_TRUE(running());
    // Some clicks, so that the count is not already 0.
    const bool fastRun = choice.option == 0; // the run was started in the other mode
    if (fastRun) {
        for (int i = 0; i < 3; ++i)
            ASSERT_TRUE(fake.timer1().tick());
        ASSERT_TRUE(fake.timer3().tick()); // the watch's look shows the count
    } else {
        ASSERT_TRUE(fake.timer2().tick()); // one second, one slow click
    }
    ASSERT_NE(clickCount()->text(), QStringLiteral("0"));
    const std::size_t mouseEvents = fake.mouse.events.size();
    struct TimerState {
        bool enabled;
        int interval;
        int enableCount;
    };
    std::vector<TimerState> timersBefore;
    for (const FakeTickSource* timer : fake.timers)
        timersBefore.push_back({timer->isEnabled(), timer->interval(), timer->enableCount});

    const QString countBefore = clickCount()->text();
    chosenMode()->click();

    // During a run only the run sets the count: it is what the amount is measured against.
    EXPECT_EQ(clickCount()->text(), countBefore);
    EXPECT_TRUE(running()) << control<QPushButton>(form, "Command1")->text().toStdString();
    for (std::size_t i = 0; i < fake.timers.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(fake.timers[i]->isEnabled(), timersBefore[i].enabled);
        EXPECT_EQ(fake.timers[i]->interval(), timersBefore[i].interval);
        EXPECT_EQ(fake.timers[i]->enableCount, timersBefore[i].enableCount);
    }
    EXPECT_EQ(fake.mouse.events.size(), mouseEvents);
    EXPECT_TRUE(fake.dialogs.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(Choices, DelayChoiceTest, ::testing::ValuesIn(kDelayChoices),
                         [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------
// Mouse button

class ButtonChoiceTest : public Form1ParamTest<int> {};

TEST_P(ButtonChoiceTest, OnlyTheChosenButtonIsBlue) {
    const int chosen = GetParam();
    const std::vector<QRadioButton*> buttons = controls<QRadioButton>(form, "Option2", 3);
    const QColor ordinary = textColour(std::make_unique<QRadioButton>().get());
    ASSERT_NE(ordinary, kBlue);
    // Another button first, so that the blue has to move.
    buttons[(chosen + 1) % 3]->click();

    buttons[chosen]->click();

    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(buttons[i]->isChecked(), i == chosen);
        if (i == chosen) {
            EXPECT_EQ(textColour(buttons[i]), kBlue);
        } else {
            EXPECT_EQ(textColour(buttons[i]), ordinary);
        }
    }
    // The delay mode is a separate group.
    EXPECT_TRUE(control<QRadioButton>(form, "Option1", 1)->isChecked());
}

constexpr std::array<const char*, 3> kButtonNames{"Left", "Right", "Middle"};

INSTANTIATE_TEST_SUITE_P(Choices, ButtonChoiceTest, ::testing::Values(0, 1, 2),
                         [](const auto& info) { return std::string(kButtonNames[info.param]); });

// ---------------------------------------------------------------------------------------
// Amount

TEST_F(Form1Test, AmountCheckBoxSwitchesTheAmountRowAndKeepsItsValue) {
    auto* const amount = control<QCheckBox>(form, "Check1");
    auto* const bar = control<QScrollBar>(form, "HScroll1", AmountRow);
    auto* const label = control<ClickableLabel>(form, "AmountLbl");
    amount->click();
    ASSERT_TRUE(amount->isChecked());
    EXPECT_TRUE(bar->isEnabled());
    EXPECT_TRUE(label->isEnabled());
    bar->setValue(250);

    amount->click();
    ASSERT_FALSE(amount->isChecked());
    EXPECT_FALSE(bar->isEnabled());
    EXPECT_FALSE(label->isEnabled());
    EXPECT_EQ(bar->value(), 250);
    EXPECT_EQ(label->text(), QStringLiteral("250"));

    amount->click();
    EXPECT_TRUE(bar->isEnabled());
    EXPECT_TRUE(label->isEnabled());
    EXPECT_EQ(bar->value(), 250);
    // The delay rows are not the check box's business.
    EXPECT_TRUE(control<ClickableLabel>(form, "SpeedLbl")->isEnabled());
    EXPECT_FALSE(control<ClickableLabel>(form, "MinLbl")->isEnabled());
}

// ---------------------------------------------------------------------------------------
// Value labels that are switched off take no clicks

struct IdleLabels {
    const char* name;
    bool slowDelay;
    bool amountOn;
    std::vector<int> idleRows; // clicks here open nothing
    int usableRow;             // a click here opens the input box
};

const IdleLabels kIdleLabels[] = {
    {"SlowDelay", true, false, {SpeedRow, AmountRow}, SecondsRow},
    {"FastDelay", false, false, {HoursRow, MinutesRow, SecondsRow, AmountRow}, SpeedRow},
    {"FastDelayWithAmount", false, true, {HoursRow, MinutesRow, SecondsRow}, AmountRow},
};

class IdleLabelTest : public Form1ParamTest<IdleLabels> {};

TEST_P(IdleLabelTest, OpenNoInputBox) {
    const IdleLabels& idle = GetParam();
    control<QRadioButton>(form, "Option1", idle.slowDelay ? 0 : 1)->click();
    if (idle.amountOn)
        control<QCheckBox>(form, "Check1")->click();
    form.show();

    for (const int row : idle.idleRows) {
        SCOPED_TRACE(row);
        ASSERT_FALSE(form.valueLabel(row)->isEnabled());
        clickWidget(form.valueLabel(row));
        EXPECT_TRUE(fake.dialogs.inputs.empty());
    }
    // The same click on a label in use does open it.
    clickWidget(form.valueLabel(idle.usableRow));
    EXPECT_EQ(fake.dialogs.inputs.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Choices, IdleLabelTest, ::testing::ValuesIn(kIdleLabels),
                         [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------
// Scroll bars

struct ScrollMove {
    const char* name;
    QAbstractSlider::SliderAction action;
    int change;
};

const ScrollMove kScrollMoves[] = {
    {"ArrowRight", QAbstractSlider::SliderSingleStepAdd, 1},
    {"ArrowLeft", QAbstractSlider::SliderSingleStepSub, -1},
    {"PageRight", QAbstractSlider::SliderPageStepAdd, 1},
    {"PageLeft", QAbstractSlider::SliderPageStepSub, -1},
};

// Each row from a value inside its range, away from both ends.
constexpr std::array<int, kValueRows> kMiddleValues{30, 30, 500, 100, 30};
constexpr std::array<const char*, kValueRows> kRowNames{"Minutes", "Seconds", "Amount", "Speed",
                                                        "Hours"};

class ScrollMoveTest : public Form1ParamTest<std::tuple<int, ScrollMove>> {};

TEST_P(ScrollMoveTest, LabelFollowsTheScrollBar) {
    const auto& [row, move] = GetParam();
    QScrollBar* bar = control<QScrollBar>(form, "HScroll1", row);
    bar->setValue(kMiddleValues[row]);

    bar->triggerAction(move.action);

    const int expected = kMiddleValues[row] + move.change;
    EXPECT_EQ(bar->value(), expected);
    EXPECT_EQ(form.valueLabel(row)->text(), QString::number(expected));
}

INSTANTIATE_TEST_SUITE_P(Choices, ScrollMoveTest,
                         ::testing::Combine(::testing::Range(0, kValueRows),
                                            ::testing::ValuesIn(kScrollMoves)),
                         [](const auto& info) {
                             return std::string(kRowNames[std::get<0>(info.param)]) + "_" +
                                    std::get<1>(info.param).name;
                         });

TEST_F(Form1Test, SpeedArrowFromStartReadsOneMore) {
    auto* const speed = control<ClickableLabel>(form, "SpeedLbl");
    ASSERT_EQ(speed->text(), QStringLiteral("100"));
    control<QScrollBar>(form, "HScroll1", SpeedRow)
        ->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(speed->text(), QStringLiteral("101"));
}

class ThumbDragTest : public Form1ParamTest<int> {};

TEST_P(ThumbDragTest, LabelWaitsForTheRelease) {
    const int row = GetParam();
    QScrollBar* bar = control<QScrollBar>(form, "HScroll1", row);
    bar->setValue(kMiddleValues[row]);
    const QString before = form.valueLabel(row)->text();

    bar->setSliderDown(true);
    bar->setSliderPosition(kMiddleValues[row] + 7);
    bar->setSliderPosition(kMiddleValues[row] + 9);
    EXPECT_EQ(form.valueLabel(row)->text(), before);

    bar->setSliderDown(false);
    EXPECT_EQ(bar->value(), kMiddleValues[row] + 9);
    EXPECT_EQ(form.valueLabel(row)->text(), QString::number(kMiddleValues[row] + 9));
}

INSTANTIATE_TEST_SUITE_P(Choices, ThumbDragTest, ::testing::Range(0, kValueRows),
                         [](const auto& info) { return std::string(kRowNames[info.param]); });

} // namespace
} // namespace tivrel::test
