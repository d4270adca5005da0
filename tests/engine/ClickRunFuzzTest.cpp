// The click run under generated event sequences: presses, ticks of all three timers, pointer
// moves and the click thread's news of them, and changes of the choices and values during
// runs.
#include "engine/ClickRun.h"
#include "fakes/FakePlatform.h"
#include "fakes/FakeRunWindow.h"

#include <gtest/gtest.h>

#include <random>

namespace tivrel::test {
namespace {

class RunChecker {
public:
    explicit RunChecker(unsigned seed) : m_random(seed) {
        fakes.dialogs.whileMessageShown = [this](const ShownMessage& m) {
            ++m_messages;
            if (!allTimersOff())
                fail("a message is shown while a timer runs");
            if (m.title == "Program Stopped" && m_stopMessagesThisRun++ > 0)
                fail("one stop showed two messages");
        };
        window.timer2.onTick([this] { run.Timer2_Timer(); });
        window.timer3.onTick([this] { run.Timer3_Timer(); });
    }

    void step() {
        const bool wasRunning = running();
        const std::size_t eventsBefore = fakes.mouse.events.size();
        switch (pick(17)) {
        case 0:
            m_stopMessagesThisRun = 0;
            run.Command1_Click();
            if (!wasRunning && running())
                startRun();
            break;
        case 1:
        case 2:
            window.timer1.tick();
            break;
        case 3: // the click thread stops, and the UI thread hears of it later
            window.timer1.tickWithoutDeliveringTheEnd();
            if (pick(2) == 0)
                window.timer1.deliverPendingEnd();
            break;
        case 4:
        case 5:
            window.timer2.tick();
            break;
        case 6:
        case 7:
            window.timer3.tick();
            break;
        case 8:
            fakes.pointerWatch.move();
            m_movedThisRun = m_movedThisRun || running();
            break;
        case 15: // the click thread woken between two ticks
            window.timer1.pointerNews();
            break;
        case 9:
            window.delayOption = pick(2);
            break;
        case 10:
            window.buttonOption = pick(3);
            run.choicesChanged();
            break;
        case 11:
            window.amountOn = pick(2);
            run.choicesChanged();
            break;
        case 12:
            window.setValue(AmountRow, pick(6) + 1);
            run.choicesChanged();
            break;
        case 13:
            window.setValue(SpeedRow, 5 + pick(100));
            run.choicesChanged();
            break;
        default: {
            const int row = std::array{HoursRow, MinutesRow, SecondsRow}[pick(3)];
            window.setValue(row, pick(3));
            run.choicesChanged();
            break;
        }
        }
        const std::size_t newEvents = fakes.mouse.events.size() - eventsBefore;
        if (newEvents % 2 != 0)
            fail("a press without its release");
        if (newEvents > 0 && !wasRunning)
            fail("a click while idle");
        if (newEvents > 0 && m_movedThisRun)
            fail("a click after the pointer moved");
        if (newEvents > 0 && window.amountOn == 1 && m_clicksThisRun >= window.scroll[AmountRow])
            fail("a click once the count had reached the amount");
        m_clicksThisRun += int(newEvents / 2);
        checkState();
    }

    FakePlatform fakes;
    FakeRunWindow window;
    ClickRun run{window, fakes.mouse, fakes.pointerWatch, fakes.dialogs, fakes.timeOfDay};
    std::string failure;
    int runs = 0;

private:
    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(m_random); }
    bool running() const { return window.caption == ClickRun::kStopCaption; }
    bool allTimersOff() const {
        return !window.timer1.isEnabled() && !window.timer2.isEnabled() &&
               !window.timer3.isEnabled();
    }
    void fail(const char* what) {
        if (failure.empty())
            failure = what;
    }
    void startRun() {
        ++runs;
        m_movedThisRun = false;
        m_clicksThisRun = 0;
    }

    void checkState() {
        if (running()) {
            if (!window.timer3.isEnabled())
                fail("running without the mouse watch");
            if (window.timer1.isEnabled() == window.timer2.isEnabled())
                fail("running with not exactly one click timer");
            if (!fakes.pointerWatch.watching)
                fail("running without watching the pointer");
        } else if (!allTimersOff()) {
            fail("a timer runs while idle");
        } else if (fakes.pointerWatch.watching) {
            fail("the pointer is watched while idle");
        }
        if (runs > 0 && run.clickCount() != m_clicksThisRun)
            fail("the count differs from the clicks made");
        if (runs > 0 && !running() && window.count != QString::number(m_clicksThisRun))
            fail("a stopped run shows another count than it made");
        if (window.caption != ClickRun::kStartCaption && window.caption != ClickRun::kStopCaption)
            fail("an unknown caption");
    }

    std::mt19937 m_random;
    bool m_movedThisRun = false;
    int m_clicksThisRun = 0;
    int m_messages = 0;
    int m_stopMessagesThisRun = 0;
};

TEST(ClickRunFuzzTest, TenThousandSequences) {
    int runs = 0;
    for (unsigned seed = 1; seed <= 10000; ++seed) {
        RunChecker checker(seed);
        for (int i = 0; i < 60 && checker.failure.empty(); ++i)
            checker.step();
        ASSERT_TRUE(checker.failure.empty()) << "sequence " << seed << ": " << checker.failure;
        runs += checker.runs;
    }
    EXPECT_GT(runs, 10000) << "the sequences must start runs";
    std::printf("click run: 10000 sequences, %d runs\n", runs);
}

TEST(ClickRunFuzzTest, HundredThousandClicksWithoutAnAmount) {
    FakePlatform fakes;
    FakeRunWindow window;
    ClickRun run{window, fakes.mouse, fakes.pointerWatch, fakes.dialogs, fakes.timeOfDay};
    window.setValue(SpeedRow, 5);
    run.Command1_Click();
    for (int i = 0; i < 100000; ++i)
        window.timer1.tick();
    EXPECT_EQ(run.clickCount(), 100000);
    EXPECT_EQ(fakes.mouse.events.size(), 200000u);
    EXPECT_TRUE(fakes.dialogs.messages.empty());
    run.Command1_Click();
    ASSERT_EQ(fakes.dialogs.messages.size(), 1u);
    EXPECT_TRUE(fakes.dialogs.messages[0].prompt.contains("Total Clicks:\t100000\r\n"));
}

} // namespace
} // namespace tivrel::test
