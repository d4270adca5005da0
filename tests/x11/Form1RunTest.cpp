// Whole click runs through the real main window on a real X server: ENTER typed at the
// keyboard starts and stops the run, the clicks are real XTest clicks landing on a recorder
// window, the timers are real. Only the message boxes are scripted.
#include "RecorderWindow.h"

#include "engine/ClickRun.h"
#include "engine/MouseStuff.h"
#include "engine/RunWindow.h"
#include "fakes/FakePlatform.h"
#include "platform/Platform.h"
#include "platform/TickSource.h"
#include "platform/linux/DeadlineClickTimer.h"
#include "platform/qt/LocaleTimeOfDay.h"
#include "platform/qt/QtTickSource.h"
#include "platform/qt/QtWindowStacking.h"
#include "platform/x11/X11Mouse.h"
#include "platform/x11/X11PointerWatch.h"
#include "support/Controls.h"
#include "ui/Form1.h"
#include "widgets/ClickableLabel.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScrollBar>

#include <xcb/xcb.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <thread>

namespace tivrel::test {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// The main window opens at the centre of the 1280x1024 screen; these stay clear of it.
constexpr QRect kTargetPlace(40, 40, 240, 180);
constexpr QRect kElsewherePlace(40, 780, 240, 180);
constexpr QPoint kPointerInTarget(101, 67);
constexpr QPoint kPointerInElsewhere(150, 90);

// Runs the Qt event loop until done() holds or the timeout has passed; returns done().
bool spinUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    while (!done()) {
        if (Clock::now() >= deadline)
            return done();
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

// The count the run's closing message reports, or -1.
int reportedClicks(const QString& prompt) {
    static const QRegularExpression total(QStringLiteral("Total Clicks:\t(\\d+)\r\n"));
    const QRegularExpressionMatch match = total.match(prompt);
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

// Every event is part of a press-release pair of `button` at `place` on the screen.
void expectClicksOf(const std::vector<ButtonRecord>& events, unsigned button, QPoint place) {
    ASSERT_EQ(events.size() % 2, 0u) << "a press without its release";
    for (std::size_t i = 0; i < events.size(); ++i) {
        SCOPED_TRACE(::testing::Message() << "event " << i);
        EXPECT_EQ(events[i].press, i % 2 == 0);
        EXPECT_EQ(events[i].button, button);
        EXPECT_EQ(events[i].onScreen, place);
    }
}

class Form1Run : public ::testing::Test {
protected:
    void SetUp() override {
        QString error;
        mouse = X11Mouse::open(&error);
        ASSERT_TRUE(mouse) << qPrintable(error);
        watch = X11PointerWatch::open(mouse->connection(), mouse->root(), &error);
        ASSERT_TRUE(watch) << qPrintable(error);
        ASSERT_TRUE(target.isOpen()) << target.error();
        ASSERT_TRUE(elsewhere.isOpen()) << elsewhere.error();
        ASSERT_TRUE(input.isOpen());
        input.releaseButtons();

        // Real mouse, pointer watch, timers, clock and stacking; the rest of the system is
        // scripted, the message boxes above all, which would otherwise wait for a user. The timers
        // handed to the window are kept, in the order it asks for them.
        platform = std::make_unique<Platform>(fakes.platform.with({
            .mouse = mouse.get(),
            .pointerWatch = watch.get(),
            .timeOfDay = &timeOfDay,
            .stacking = &stacking,
            .newTickSource =
                [this] {
                    auto timer = std::make_unique<QtTickSource>();
                    tickSources.push_back(timer.get());
                    return timer;
                },
            .newClickTimer =
                [this] {
                    auto timer = std::make_unique<DeadlineClickTimer>(
                        xcb_get_file_descriptor(mouse->connection()));
                    clickTimers.push_back(timer.get());
                    return timer;
                },
        }));
        form = std::make_unique<Form1>(*platform);
        form->setStartingValues();
        ASSERT_EQ(tickSources.size(), 2u);
        ASSERT_EQ(clickTimers.size(), 1u);
        ASSERT_EQ(timer3().interval(), 15) << "not the mouse watch";
        ASSERT_EQ(timer2().interval(), 1000) << "not the slow clock";
        startButton = control<QPushButton>(*form, "Command1");
        // A real message box runs its own event loop: a timer still on would click, or
        // stop the run a second time, behind it.
        dialogs.whileMessageShown = [this](const ShownMessage&) {
            timerOnWhileMessageShown =
                timer1().isRunning() || timer2().isEnabled() || timer3().isEnabled();
            captionWhileMessageShown = startButton->text();
        };
        form->show();
        ASSERT_TRUE(activate()) << "the main window never became the active window";
        // Over a recorder the main window would take clicks meant for it, or hide it.
        ASSERT_FALSE(form->frameGeometry().intersects(kTargetPlace));
        ASSERT_FALSE(form->frameGeometry().intersects(kElsewherePlace));

        control<QScrollBar>(*form, "HScroll1", SpeedRow)->setValue(20);
        ASSERT_EQ(control<ClickableLabel>(*form, "SpeedLbl")->text(), QStringLiteral("20"));
        input.movePointer(targetPoint());
        // A release of a button left held may have gone to a recorder.
        target.forget();
        elsewhere.forget();
    }

    void TearDown() override {
        // A failed test may leave a run going; its clicks must not reach the next test.
        if (form && clickTimers.size() == 1 && tickSources.size() == 2) {
            timer1().stop();
            for (TickSource* timer : tickSources)
                timer->setEnabled(false);
        }
    }

    static QPoint targetPoint() { return kTargetPlace.topLeft() + kPointerInTarget; }
    static QPoint elsewherePoint() { return kElsewherePlace.topLeft() + kPointerInElsewhere; }

    bool activate() {
        form->raise();
        form->activateWindow();
        return spinUntil([this] { return form->isActiveWindow(); }, 10s);
    }

    // ENTER at the keyboard, delivered by the server to the window with the focus.
    void typeEnter() {
        ASSERT_TRUE(form->isActiveWindow()) << "ENTER would go to another window";
        ASSERT_TRUE(input.tapKey("Return"));
    }

    bool running() const { return startButton->text() == ClickRun::kStopCaption; }

    // The window's timers, told apart by the order it asks for them: Timer3, Timer2, Timer1.
    ClickTimer& timer1() const { return *clickTimers.at(0); }
    TickSource& timer2() const { return *tickSources.at(1); }
    TickSource& timer3() const { return *tickSources.at(0); }

    bool waitForMessage() {
        return spinUntil([this] { return !dialogs.messages.empty(); }, 30s);
    }

    // Waits until `count` presses reached the target while the run goes on.
    bool waitForPresses(std::size_t count) {
        return spinUntil(
                   [&] {
                       target.pump();
                       return target.pressCount() >= count || !dialogs.messages.empty();
                   },
                   30s) &&
               target.pressCount() >= count;
    }

    // A click of `code` from the program's own X connection, after the run has ended. The
    // connection delivers requests in order: once this click arrived at `recorder`, every
    // click of the run has reached the server, and a round trip on each recorder collects
    // them all.
    void clickEndMark(RecorderWindow& recorder, int code, unsigned xButton) {
        MouseStuff(*mouse, *watch).ClickButton(code);
        const bool arrived = recorder.waitUntil(
            [xButton](const std::vector<ButtonRecord>& events) {
                return !events.empty() && !events.back().press && events.back().button == xButton;
            },
            10s);
        ASSERT_TRUE(arrived) << "the end mark click never arrived; what did: "
                             << ::testing::PrintToString(recorder.events());
        target.pump();
        elsewhere.pump();
    }

    // Takes the end mark (the last click) off the recorder's events.
    static std::vector<ButtonRecord> withoutEndMark(const RecorderWindow& recorder) {
        std::vector<ButtonRecord> events = recorder.events();
        if (events.size() >= 2)
            events.resize(events.size() - 2);
        return events;
    }

    void expectStoppedWindow() {
        EXPECT_FALSE(timerOnWhileMessageShown);
        EXPECT_FALSE(timer1().isRunning());
        EXPECT_FALSE(timer2().isEnabled());
        EXPECT_FALSE(timer3().isEnabled());
        EXPECT_EQ(startButton->text(), ClickRun::kStartCaption);
    }

    std::unique_ptr<X11Mouse> mouse;
    std::unique_ptr<X11PointerWatch> watch; // on the mouse's connection
    FakePlatform fakes;
    FakeDialogs& dialogs = fakes.dialogs;
    LocaleTimeOfDay timeOfDay;
    QtWindowStacking stacking;
    std::unique_ptr<Platform> platform;
    RecorderWindow target{kTargetPlace};
    RecorderWindow elsewhere{kElsewherePlace};
    OutsideInput input;
    std::vector<TickSource*> tickSources;
    std::vector<ClickTimer*> clickTimers;
    std::unique_ptr<Form1> form; // last, so it goes first
    QPushButton* startButton = nullptr;
    bool timerOnWhileMessageShown = true;
    QString captionWhileMessageShown;
};

TEST_F(Form1Run, AmountOfRightClicksThenStops) {
    control<QRadioButton>(*form, "Option2", 1)->setChecked(true); // Right
    control<QCheckBox>(*form, "Check1")->click();
    QScrollBar* const amount = control<QScrollBar>(*form, "HScroll1", AmountRow);
    ASSERT_TRUE(amount->isEnabled());
    amount->setValue(5);
    ASSERT_EQ(control<ClickableLabel>(*form, "AmountLbl")->text(), QStringLiteral("5"));

    ASSERT_NO_FATAL_FAILURE(typeEnter());
    ASSERT_TRUE(waitForMessage()) << "the run never ended";
    ASSERT_NO_FATAL_FAILURE(clickEndMark(target, MiddleButton, 2));

    ASSERT_EQ(dialogs.messages.size(), 1u);
    const ShownMessage& message = dialogs.messages.front();
    EXPECT_EQ(message.title, QStringLiteral("Program Stopped"));
    EXPECT_TRUE(message.prompt.startsWith(ClickRun::kAmountReached)) << qPrintable(message.prompt);
    EXPECT_TRUE(message.prompt.contains(QStringLiteral("Total Clicks:\t5\r\n")))
        << qPrintable(message.prompt);
    EXPECT_TRUE(message.prompt.contains(QStringLiteral("Configuration:\tRight Button")))
        << qPrintable(message.prompt);

    const std::vector<ButtonRecord> clicks = withoutEndMark(target);
    EXPECT_EQ(clicks.size(), 10u) << "5 presses and 5 releases";
    expectClicksOf(clicks, 3, targetPoint());
    EXPECT_TRUE(elsewhere.events().empty());
    EXPECT_EQ(control<ClickCountLabel>(*form, "TimeLbl")->text(), QStringLiteral("5"));
    expectStoppedWindow();
}

// The mouse watch (Timer3) looks every 15 ms, the click thread sees the move as it comes:
// whichever notices it first stops the run before the next click.
struct PointerMoveCase {
    const char* name;
    // Holds the watch off before the move, so that the click timer is the first to see it.
    bool watchHeldOff;
};

const PointerMoveCase kPointerMoves[] = {
    {"WatchRunning", false},
    {"ClickTimerFirst", true},
};

class Form1PointerMove : public Form1Run, public ::testing::WithParamInterface<PointerMoveCase> {};

TEST_P(Form1PointerMove, StopsTheRunBeforeAnyClickLandsWhereThePointerWent) {
    ASSERT_TRUE(control<QRadioButton>(*form, "Option2", 0)->isChecked()); // Left
    // No amount: the run goes on until it is stopped.
    ASSERT_FALSE(control<QCheckBox>(*form, "Check1")->isChecked());

    ASSERT_NO_FATAL_FAILURE(typeEnter());
    ASSERT_TRUE(waitForPresses(3)) << "the run did not click";
    ASSERT_TRUE(dialogs.messages.empty()) << qPrintable(dialogs.messages.front().prompt);
    if (GetParam().watchHeldOff)
        timer3().setEnabled(false);
    input.movePointer(elsewherePoint());
    ASSERT_TRUE(waitForMessage()) << "moving the pointer did not stop the run";
    ASSERT_NO_FATAL_FAILURE(clickEndMark(elsewhere, RightButton, 3));

    ASSERT_EQ(dialogs.messages.size(), 1u);
    const QString& prompt = dialogs.messages.front().prompt;
    EXPECT_TRUE(prompt.startsWith(ClickRun::kMouseMoved)) << qPrintable(prompt);

    const std::vector<ButtonRecord>& clicks = target.events();
    expectClicksOf(clicks, 1, targetPoint());
    EXPECT_EQ(reportedClicks(prompt), int(clicks.size() / 2)) << qPrintable(prompt);
    EXPECT_EQ(withoutEndMark(elsewhere), std::vector<ButtonRecord>{})
        << "clicked where the pointer went";
    expectStoppedWindow();
}

INSTANTIATE_TEST_SUITE_P(Form1Run, Form1PointerMove, ::testing::ValuesIn(kPointerMoves),
                         [](const ::testing::TestParamInfo<PointerMoveCase>& info) {
                             return std::string(info.param.name);
                         });

TEST_F(Form1Run, EnterDuringARunStopsIt) {
    control<QRadioButton>(*form, "Option2", 2)->setChecked(true); // Middle

    ASSERT_NO_FATAL_FAILURE(typeEnter());
    ASSERT_TRUE(waitForPresses(3)) << "the run did not click";
    ASSERT_TRUE(dialogs.messages.empty()) << qPrintable(dialogs.messages.front().prompt);
    ASSERT_TRUE(running());
    ASSERT_NO_FATAL_FAILURE(typeEnter());
    ASSERT_TRUE(waitForMessage()) << "ENTER did not stop the run";
    ASSERT_NO_FATAL_FAILURE(clickEndMark(target, LeftButton, 1));

    ASSERT_EQ(dialogs.messages.size(), 1u);
    const QString& prompt = dialogs.messages.front().prompt;
    EXPECT_TRUE(prompt.startsWith(ClickRun::kEnterPressed)) << qPrintable(prompt);
    EXPECT_EQ(captionWhileMessageShown, ClickRun::kStopCaption);

    const std::vector<ButtonRecord> clicks = withoutEndMark(target);
    expectClicksOf(clicks, 2, targetPoint());
    EXPECT_GE(clicks.size(), 6u);
    EXPECT_EQ(reportedClicks(prompt), int(clicks.size() / 2)) << qPrintable(prompt);
    EXPECT_TRUE(elsewhere.events().empty());
    expectStoppedWindow();
}

} // namespace
} // namespace tivrel::test
