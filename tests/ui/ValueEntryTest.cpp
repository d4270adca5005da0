// Typing a value for a row: the input box, what is taken, what is refused and how.
#include "ui/Form1Fixture.h"

#include "engine/RunWindow.h"

#include <QCheckBox>
#include <QLabel>
#include <QRadioButton>

#include <string>
#include <vector>

namespace tivrel::test {
namespace {

const QString kIncorrect = QStringLiteral("You entered an incorrect value.");

struct Row {
    const char* name;
    int row;
    int minimum;
    int maximum;
    int start; // the value the row stands at before the entry, inside the range
};

const Row kRows[] = {
    {"Minutes", MinutesRow, 0, 60, 3},  {"Seconds", SecondsRow, 0, 60, 3},
    {"Amount", AmountRow, 1, 30000, 4}, {"Speed", SpeedRow, 5, 999, 8},
    {"Hours", HoursRow, 0, 60, 3},
};

// Puts a row at `value` the way the user would, with the scroll bar.
void setRow(Form1& form, int row, int value) {
    control<QScrollBar>(form, "HScroll1", row)->setValue(value);
    ASSERT_EQ(form.valueLabel(row)->text(), QString::number(value));
}

class ValueRowTest : public Form1ParamTest<Row> {};

TEST_P(ValueRowTest, InputBoxAsksForTheRowsRangeWithoutADefault) {
    const Row& row = GetParam();
    form.valueLabelClick(row.row);

    ASSERT_EQ(fake.dialogs.inputs.size(), 1u);
    const ShownInput& input = fake.dialogs.inputs[0];
    EXPECT_EQ(input.prompt,
              QStringLiteral("Enter a value from %1 to %2").arg(row.minimum).arg(row.maximum));
    EXPECT_EQ(input.title, QStringLiteral("Enter a Value"));
    EXPECT_TRUE(input.defaultAnswer.isEmpty());
}

TEST_P(ValueRowTest, BlankOrCancelledAnswerShowsAndChangesNothing) {
    const Row& row = GetParam();
    setRow(form, row.row, row.start);
    // Cancel answers with an empty text, as does an empty box.
    fake.dialogs.inputAnswers = {QString(), QStringLiteral(""), QStringLiteral("   ")};
    for (int i = 0; i < 3; ++i)
        form.valueLabelClick(row.row);

    EXPECT_EQ(fake.dialogs.inputs.size(), 3u);
    EXPECT_TRUE(fake.dialogs.messages.empty());
    EXPECT_TRUE(fake.stacking.calls.isEmpty());
    EXPECT_EQ(control<QScrollBar>(form, "HScroll1", row.row)->value(), row.start);
    EXPECT_EQ(form.valueLabel(row.row)->text(), QString::number(row.start));
}

INSTANTIATE_TEST_SUITE_P(ValueEntry, ValueRowTest, ::testing::ValuesIn(kRows),
                         [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------
// Every row against the bounds and a few bad answers

struct Answer {
    std::string name;
    Row row;
    QString text;
    bool accepted;
};

std::vector<Answer> answersForEveryRow() {
    std::vector<Answer> answers;
    for (const Row& row : kRows) {
        const std::string prefix = std::string(row.name) + "_";
        const auto add = [&](const std::string& name, const QString& text) {
            const int number = text.toInt();
            const bool inRange = number >= row.minimum && number <= row.maximum;
            answers.push_back({prefix + name, row, text, inRange});
        };
        add("Minimum", QString::number(row.minimum));
        add("Maximum", QString::number(row.maximum));
        add("BelowMinimum", QString::number(row.minimum - 1));
        add("AboveMaximum", QString::number(row.maximum + 1));
        // A small number is taken like any other wherever it is in range.
        add("Two", QStringLiteral("2"));
        answers.push_back({prefix + "Letters", row, QStringLiteral("abc"), false});
        answers.push_back({prefix + "TrailingLetter", row, QStringLiteral("7x"), false});
        answers.push_back({prefix + "TooBigForAnyRow", row, QStringLiteral("40000"), false});
    }
    return answers;
}

class AnswerTest : public Form1ParamTest<Answer> {};

TEST_P(AnswerTest, IsTakenOrRefusedWithOneMessage) {
    const Answer& answer = GetParam();
    const int row = answer.row.row;
    setRow(form, row, answer.row.start);
    QStringList stackingWhileShown;
    fake.dialogs.whileMessageShown = [&](const ShownMessage&) {
        stackingWhileShown = fake.stacking.calls;
    };
    fake.dialogs.inputAnswers = {answer.text};

    form.valueLabelClick(row);

    ASSERT_EQ(fake.dialogs.inputs.size(), 1u);
    if (answer.accepted) {
        EXPECT_TRUE(fake.dialogs.messages.empty());
        EXPECT_TRUE(fake.stacking.calls.isEmpty());
        EXPECT_EQ(control<QScrollBar>(form, "HScroll1", row)->value(), answer.text.toInt());
        EXPECT_EQ(form.valueLabel(row)->text(), answer.text);
        return;
    }
    ASSERT_EQ(fake.dialogs.messages.size(), 1u);
    const ShownMessage& message = fake.dialogs.messages[0];
    EXPECT_EQ(message.prompt, kIncorrect);
    EXPECT_EQ(message.title, QStringLiteral("Error"));
    EXPECT_EQ(message.icon, MessageIcon::Exclamation);
    EXPECT_EQ(message.buttons, MessageButtons::Ok);
    // The window leaves the topmost band before the message shows, and returns after.
    EXPECT_EQ(stackingWhileShown, QStringList{QStringLiteral("off:Form1")});
    EXPECT_EQ(fake.stacking.calls,
              (QStringList{QStringLiteral("off:Form1"), QStringLiteral("on:Form1")}));
    EXPECT_EQ(control<QScrollBar>(form, "HScroll1", row)->value(), answer.row.start);
    EXPECT_EQ(form.valueLabel(row)->text(), QString::number(answer.row.start));
}

INSTANTIATE_TEST_SUITE_P(ValueEntry, AnswerTest, ::testing::ValuesIn(answersForEveryRow()),
                         [](const auto& info) { return info.param.name; });

// ---------------------------------------------------------------------------------------
// How typed numbers are read

struct Reading {
    const char* name;
    int row;
    int before;
    const char* typed;
    int value;
    const char* label;
};

const Reading kReadings[] = {
    // Fractions go to the nearest whole number, halves to the even one.
    {"HalfDownToEven", MinutesRow, 3, "12.5", 12, "12"},
    {"HalfUpToEven", MinutesRow, 3, "13.5", 14, "14"},
    {"HalfToZero", MinutesRow, 3, "0.5", 0, "0"},
    {"BlanksAround", SecondsRow, 3, " 7 ", 7, "7"},
    // The label shows the number itself, also when it equals the row's present value.
    {"SameValueLeadingZero", SecondsRow, 7, "07", 7, "7"},
    {"SameValueBlank", AmountRow, 3, " 3", 3, "3"},
    {"SameValuePlus", AmountRow, 3, "+3", 3, "3"},
    {"SameValueFraction", SpeedRow, 30, "30.0", 30, "30"},
    {"NewValueLeadingZeros", HoursRow, 0, "005", 5, "5"},
};

class ReadingTest : public Form1ParamTest<Reading> {};

TEST_P(ReadingTest, TakesTheNumberTyped) {
    const Reading& reading = GetParam();
    setRow(form, reading.row, reading.before);
    fake.dialogs.inputAnswers = {QString::fromUtf8(reading.typed)};

    form.valueLabelClick(reading.row);

    EXPECT_TRUE(fake.dialogs.messages.empty());
    EXPECT_EQ(control<QScrollBar>(form, "HScroll1", reading.row)->value(), reading.value);
    EXPECT_EQ(form.valueLabel(reading.row)->text(), QString::fromUtf8(reading.label));
}

INSTANTIATE_TEST_SUITE_P(ValueEntry, ReadingTest, ::testing::ValuesIn(kReadings),
                         [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------
// A mouse click on a label that can be used

struct ClickedLabel {
    const char* name;
    int row;
    bool slowDelay;
    bool amountOn;
    const char* prompt;
    const char* typed;
};

const ClickedLabel kClickedLabels[] = {
    {"MinLbl", MinutesRow, true, false, "Enter a value from 0 to 60", "9"},
    {"SecLbl", SecondsRow, true, false, "Enter a value from 0 to 60", "31"},
    {"AmountLbl", AmountRow, false, true, "Enter a value from 1 to 30000", "250"},
    {"SpeedLbl", SpeedRow, false, false, "Enter a value from 5 to 999", "40"},
    {"HoursLbl", HoursRow, true, false, "Enter a value from 0 to 60", "2"},
};

class LabelClickTest : public Form1ParamTest<ClickedLabel> {};

TEST_P(LabelClickTest, OpensTheInputBoxForItsRow) {
    const ClickedLabel& clicked = GetParam();
    if (clicked.slowDelay)
        control<QRadioButton>(form, "Option1", 0)->click();
    if (clicked.amountOn)
        control<QCheckBox>(form, "Check1")->click();
    ClickableLabel* label = form.valueLabel(clicked.row);
    ASSERT_TRUE(label->isEnabled());
    form.show();
    fake.dialogs.inputAnswers = {QString::fromUtf8(clicked.typed)};

    clickWidget(label);

    ASSERT_EQ(fake.dialogs.inputs.size(), 1u);
    EXPECT_EQ(fake.dialogs.inputs[0].prompt, QString::fromUtf8(clicked.prompt));
    EXPECT_EQ(control<QScrollBar>(form, "HScroll1", clicked.row)->value(),
              QString::fromUtf8(clicked.typed).toInt());
    EXPECT_EQ(label->text(), QString::fromUtf8(clicked.typed));
}

INSTANTIATE_TEST_SUITE_P(ValueEntry, LabelClickTest, ::testing::ValuesIn(kClickedLabels),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace tivrel::test
