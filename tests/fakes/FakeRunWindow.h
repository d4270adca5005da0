#pragma once

#include "engine/ClickRun.h"
#include "engine/RunWindow.h"
#include "fakes/FakeClickTimer.h"
#include "fakes/FakeTickSource.h"

#include <array>

namespace tivrel::test {

// The main window's run values as plain fields, with the start-up values of the real one.
class FakeRunWindow final : public RunWindow {
public:
    RunChoices choices() const override {
        ++choiceReads;
        return {.fast = delayOption == 1,
                .intervalMs = scroll.at(SpeedRow),
                .hours = scroll.at(HoursRow),
                .minutes = scroll.at(MinutesRow),
                .seconds = scroll.at(SecondsRow),
                .buttonCode = buttonOption == 0   ? LeftButton
                              : buttonOption == 1 ? RightButton
                                                  : MiddleButton,
                .amountOn = amountOn == 1,
                .amount = scroll.at(AmountRow)};
    }
    void setClickCountText(const QString& text) override { count = text; }
    QString startCaption() const override { return caption; }
    void setStartCaption(const QString& text) override { caption = text; }
    TickSource& timer(RunTimer which) override { return fakeTimer(which); }
    ClickTimer& clickTimer() override { return timer1; }
    void focusMainWindow() override { ++focusCount; }

    FakeTickSource& fakeTimer(RunTimer which) {
        return which == RunTimer::Timer2 ? timer2 : timer3;
    }

    void setValue(int row, int value) { scroll.at(row) = value; }

    int delayOption = 1;  // 0 slow, 1 fast
    int buttonOption = 0; // 0 left, 1 right, 2 middle
    std::array<int, kValueRows> scroll{0, 0, 1, 100, 0};
    int amountOn = 0;
    QString count = QStringLiteral("0"); // TimeLbl as shown
    QString caption = ClickRun::kStartCaption;
    FakeClickTimer timer1;
    FakeTickSource timer2;
    FakeTickSource timer3;
    int focusCount = 0;
    mutable int choiceReads = 0;
};

} // namespace tivrel::test
