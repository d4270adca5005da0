#include "engine/ClickRun.h"
#include "shell/SecondCopy.h"
#include "shell/ShellFixture.h"

#include <cstdio>

namespace tivrel::test {
namespace {

// The start/stop key and a second copy's requests, through the real window and engine.
class StartStopKeyTest : public ShellFixture {
protected:
    void loadAccepted() {
        accept();
        ASSERT_EQ(load(), std::nullopt);
    }
    bool running() { return form.engine().isRunning(); }
    int stopMessages() const {
        int count = 0;
        for (const ShownMessage& m : fakes.dialogs.messages)
            count += m.prompt.startsWith("The enter key was pressed.");
        return count;
    }
    QString caption() const { return item("StartStopKeymnu")->text(); }
};

// What a press of the key does, by the program's state.
struct PressCase {
    const char* what;
    bool runningBefore;
    bool inABox; // pressed while the key box is open
    bool runningAfter;
    int stopMessages;
};

class KeyPressTest : public StartStopKeyTest, public ::testing::WithParamInterface<PressCase> {};

TEST_P(KeyPressTest, DoesWhatEnterDoesButStartsNothingBehindABox) {
    const PressCase& c = GetParam();
    loadAccepted();
    if (c.runningBefore)
        form.Command1_Click();
    ASSERT_EQ(running(), c.runningBefore);
    if (c.inABox) {
        fakes.dialogs.whileKeyBoxShown = [&] { fakes.startStopKey.press(); };
        item("StartStopKeymnu")->trigger();
    } else {
        fakes.startStopKey.press();
    }
    EXPECT_EQ(running(), c.runningAfter) << c.what;
    EXPECT_EQ(fakes.timer1().isRunning(), c.runningAfter) << c.what;
    EXPECT_EQ(stopMessages(), c.stopMessages) << c.what;
    EXPECT_EQ(control<QPushButton>(form, "Command1")->text(),
              c.runningAfter ? ClickRun::kStopCaption : ClickRun::kStartCaption);
}

INSTANTIATE_TEST_SUITE_P(
    States, KeyPressTest,
    ::testing::Values(PressCase{"idle: starts", false, false, true, 0},
                      PressCase{"running: stops with the ENTER summary", true, false, false, 1},
                      PressCase{"idle, a box open: nothing", false, true, false, 0},
                      PressCase{"running, a box open: stops", true, true, false, 1}));

TEST_F(StartStopKeyTest, AfterExitTheKeyIsLetGoAndDoesNothing) {
    loadAccepted();
    ASSERT_EQ(fakes.startStopKey.held, "F6");
    fakes.dialogs.yesNoAnswers = {MessageAnswer::Yes};
    item("Exitmnu")->trigger();
    EXPECT_EQ(fakes.startStopKey.held, "");
    fakes.startStopKey.held = "F6"; // a press already on its way
    fakes.startStopKey.press();
    EXPECT_FALSE(running());
}

// The key held at start-up for each stored choice.
struct StoredCase {
    const char* stored; // nullptr: nothing stored
    const char* held;
    const char* caption;
};

class StoredKeyTest : public StartStopKeyTest, public ::testing::WithParamInterface<StoredCase> {};

TEST_P(StoredKeyTest, IsHeldAfterTheTerms) {
    const StoredCase& c = GetParam();
    if (c.stored)
        fakes.settings.values["Keys/StartStop"] = c.stored;
    fakes.startStopKey.cannotHave["F8"] = StartStopKey::Result::Taken;
    int heldDuringTerms = -1;
    onDisclaimer = [&](Form3& f) {
        heldDuringTerms = int(fakes.startStopKey.holds.size());
        f.Command2->click();
    };
    ASSERT_EQ(load(), std::nullopt);
    EXPECT_EQ(heldDuringTerms, 0) << "nothing is held before the terms are accepted";
    EXPECT_EQ(fakes.startStopKey.held, c.held);
    EXPECT_EQ(caption(), c.caption);
}

INSTANTIATE_TEST_SUITE_P(Values, StoredKeyTest,
                         ::testing::Values(StoredCase{nullptr, "F6", "Start/Stop Key: F6..."},
                                           StoredCase{"", "F6", "Start/Stop Key: F6..."},
                                           StoredCase{"Ctrl+Alt+K", "Ctrl+Alt+K",
                                                      "Start/Stop Key: Ctrl+Alt+K..."},
                                           StoredCase{"None", "", "Start/Stop Key: None..."},
                                           StoredCase{"F8", "", "Start/Stop Key: F8 (taken)..."}));

// The key box's answers: what is stored, held and shown.
struct KeyChoiceCase {
    const char* what;
    std::optional<QString> answer;
    bool failWrite;
    const char* stored; // nullptr: nothing stored
    const char* held;
    const char* caption;
    int messages;
};

class KeyChoiceTest : public StartStopKeyTest,
                      public ::testing::WithParamInterface<KeyChoiceCase> {};

TEST_P(KeyChoiceTest, StoresHoldsAndShowsTheChoice) {
    const KeyChoiceCase& c = GetParam();
    loadAccepted();
    fakes.startStopKey.cannotHave["F8"] = StartStopKey::Result::Taken;
    fakes.settings.failWrites = c.failWrite;
    fakes.dialogs.keyAnswers = {c.answer};
    item("StartStopKeymnu")->trigger();
    EXPECT_EQ(fakes.dialogs.keyBoxes, QStringList{"F6"}) << c.what;
    EXPECT_EQ(fakes.settings.values.contains("Keys/StartStop"), c.stored != nullptr) << c.what;
    if (c.stored) {
        EXPECT_EQ(stored("Keys/StartStop"), c.stored) << c.what;
    }
    EXPECT_EQ(fakes.startStopKey.held, c.held) << c.what;
    EXPECT_EQ(caption(), c.caption) << c.what;
    EXPECT_EQ(int(fakes.dialogs.messages.size()), c.messages) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Answers, KeyChoiceTest,
    ::testing::Values(
        KeyChoiceCase{"another key", "F7", false, "F7", "F7", "Start/Stop Key: F7...", 0},
        KeyChoiceCase{"none", QString(), false, "None", "", "Start/Stop Key: None...", 0},
        KeyChoiceCase{"cancel", std::nullopt, false, nullptr, "F6", "Start/Stop Key: F6...", 0},
        KeyChoiceCase{"unwritable settings keep the old key", "F7", true, nullptr, "F6",
                      "Start/Stop Key: F6...", 1},
        KeyChoiceCase{"a key another program holds", "F8", false, "F8", "",
                      "Start/Stop Key: F8 (taken)...", 1}));

// Where the key cannot be had the user is told once, not at every start.
TEST_F(StartStopKeyTest, AKeyThatCannotBeHadIsToldOnceAcrossStarts) {
    fakes.startStopKey.cannotHave["F6"] = StartStopKey::Result::NotOffered;
    loadAccepted();
    ASSERT_EQ(fakes.dialogs.messages.size(), 1u);
    EXPECT_TRUE(fakes.dialogs.messages[0].prompt.contains("tivrel --toggle"));
    EXPECT_EQ(caption(), "Start/Stop Key: F6 (not offered)...");

    FakePlatform again;
    again.settings.values = fakes.settings.values;
    again.startStopKey.cannotHave["F6"] = StartStopKey::Result::NotOffered;
    Form1 secondForm{again.platform};
    Form1ShellView secondWindow{secondForm};
    AppShell second{secondWindow, again.platform,
                    ShellUi{[](Form3&) {}, [](Form2&) {}, [](QMenu&) {}, [](int) {}, {}}};
    ASSERT_EQ(second.Form_Load(), std::nullopt);
    EXPECT_TRUE(again.dialogs.messages.empty()) << "told again at the next start";
}

// Plasma 5.27 binds the shortcut without a key and leaves the key to its own settings: the user
// is told where to give one, and the key given there is shown and works.
TEST_F(StartStopKeyTest, AKeyGivenLaterInTheDesktopsSettingsIsShownAndWorks) {
    fakes.startStopKey.cannotHave["F6"] = StartStopKey::Result::Unassigned;
    loadAccepted();
    ASSERT_EQ(fakes.dialogs.messages.size(), 1u);
    EXPECT_TRUE(fakes.dialogs.messages[0].prompt.contains("shortcut settings"))
        << qPrintable(fakes.dialogs.messages[0].prompt);
    EXPECT_EQ(caption(), "Start/Stop Key: F6 (not given)...");
    fakes.startStopKey.give("Meta+F9");
    EXPECT_EQ(caption(), "Start/Stop Key: Meta+F9...");
    fakes.startStopKey.press();
    EXPECT_TRUE(running());
}

// A second copy's requests, as `tivrel --toggle`, `--start` and `--stop` send them.
struct RequestCase {
    const char* argument;
    bool runningBefore;
    int exitCode;
    bool runningAfter;
};

class SecondCopyTest : public StartStopKeyTest,
                       public ::testing::WithParamInterface<RequestCase> {};

TEST_P(SecondCopyTest, AsksTheRunningCopy) {
    const RequestCase& c = GetParam();
    loadAccepted();
    if (c.runningBefore)
        form.Command1_Click();
    std::FILE* errors = std::tmpfile();
    EXPECT_EQ(askRunningCopy({QString::fromLatin1(c.argument)}, fakes.copyChannel, errors),
              c.exitCode)
        << c.argument;
    std::fclose(errors);
    EXPECT_EQ(running(), c.runningAfter) << c.argument;
}

INSTANTIATE_TEST_SUITE_P(Arguments, SecondCopyTest,
                         ::testing::Values(RequestCase{"--toggle", false, 0, true},
                                           RequestCase{"--toggle", true, 0, false},
                                           RequestCase{"--start", false, 0, true},
                                           RequestCase{"--start", true, 0, true},
                                           RequestCase{"--stop", true, 0, false},
                                           RequestCase{"--stop", false, 0, false},
                                           RequestCase{"toggle", true, 2, true}));

} // namespace
} // namespace tivrel::test
