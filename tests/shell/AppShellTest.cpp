#include "shell/ShellFixture.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>

namespace tivrel::test {
namespace {

using AppShellTest = ShellFixture;

TEST_F(AppShellTest, SecondCopyOnlySaysSoAndEnds) {
    fakes.instanceLock.otherCopyRunning = true;
    EXPECT_EQ(load(), std::optional<int>(0));
    ASSERT_EQ(fakes.dialogs.messages.size(), 1u);
    EXPECT_EQ(fakes.dialogs.messages[0].prompt, "Tivrel is already running.");
    EXPECT_EQ(fakes.dialogs.messages[0].title, "Tivrel");
    EXPECT_EQ(fakes.dialogs.messages[0].icon, MessageIcon::Exclamation);
    EXPECT_TRUE(disclaimerTexts.isEmpty());
    EXPECT_EQ(fakes.trayIcon.adds, 0);
    EXPECT_EQ(fakes.settings.writes, 0);
    EXPECT_FALSE(form.isVisible());
}

TEST_F(AppShellTest, FirstRunAcceptsThenStartsHiddenWithTheIcon) {
    EXPECT_EQ(load(), std::nullopt);
    EXPECT_EQ(disclaimerTexts.size(), 1);
    EXPECT_EQ(stored("EULA/TrialRead"), "ACCEPTED");
    EXPECT_FALSE(form.isVisible());
    EXPECT_TRUE(fakes.trayIcon.shown);
    EXPECT_EQ(fakes.trayIcon.tip, "Tivrel");
    EXPECT_EQ(item("AutoHideonstartupmnu")->text(), "Show on startup");
    EXPECT_TRUE(item("Showmnu")->isVisible());
    EXPECT_TRUE(item("bar3")->isVisible());
    EXPECT_EQ(fakes.stacking.calls, QStringList{"on:Form1"});
    EXPECT_TRUE(fakes.dialogs.messages.empty());
}

TEST_F(AppShellTest, StartUpStepsRunInOrder) {
    // Watch the start-up through what each step leaves behind at the moment of the next.
    accept();
    fakes.settings.values["Auto-Hide/Show"] = "1";
    fakes.startupEntry.forThisUser = true;
    EXPECT_EQ(load(), std::nullopt);
    EXPECT_EQ(fakes.windowCommands.closeRemoved, QStringList{"Form1"});
    EXPECT_FALSE(control<QScrollBar>(form, "HScroll1", MinutesRow)->isEnabled());
    EXPECT_FALSE(control<QScrollBar>(form, "HScroll1", SecondsRow)->isEnabled());
    EXPECT_FALSE(control<QScrollBar>(form, "HScroll1", HoursRow)->isEnabled());
    EXPECT_EQ(control<QScrollBar>(form, "HScroll1", SpeedRow)->value(), 100);
    EXPECT_EQ(control<ClickableLabel>(form, "AmountLbl")->text(), "1");
    EXPECT_EQ(item("Startupatlogonmnu")->text(), "Remove shortcut from startup");
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(fakes.stacking.calls.last(), "on:Form1") << "the window goes on top last";
    EXPECT_TRUE(disclaimerTexts.isEmpty());
    EXPECT_EQ(fakes.files.textReads, 0) << "an accepted user's start never opens the terms";
}

// Start-up visibility for every kind of stored value.
struct VisibilityCase {
    const char* stored;
    bool visible;
    const char* caption;
    bool showItem;
};

class StartupVisibilityTest : public ShellFixture,
                              public ::testing::WithParamInterface<VisibilityCase> {};

TEST_P(StartupVisibilityTest, AppliesTheStoredValue) {
    const VisibilityCase& c = GetParam();
    accept();
    if (c.stored)
        fakes.settings.values["Auto-Hide/Show"] = c.stored;
    ASSERT_EQ(load(), std::nullopt);
    EXPECT_EQ(form.isVisible(), c.visible);
    EXPECT_EQ(item("AutoHideonstartupmnu")->text(), c.caption);
    EXPECT_EQ(item("Showmnu")->isVisible(), c.showItem);
    EXPECT_EQ(item("bar3")->isVisible(), c.showItem);
}

INSTANTIATE_TEST_SUITE_P(Values, StartupVisibilityTest,
                         ::testing::Values(VisibilityCase{nullptr, false, "Show on startup", true},
                                           VisibilityCase{"", false, "Show on startup", true},
                                           VisibilityCase{"0", false, "Show on startup", true},
                                           VisibilityCase{"1", true, "Hide on startup", false},
                                           VisibilityCase{"2", true, "Hide on startup", false},
                                           VisibilityCase{" 1", true, "Hide on startup", false},
                                           VisibilityCase{"yes", true, "Hide on startup", false}));

TEST_F(AppShellTest, WithoutANotificationAreaTheWindowStaysReachable) {
    accept();
    fakes.trayIcon.available = false;
    ASSERT_EQ(load(), std::nullopt);
    EXPECT_TRUE(form.isVisible());
    EXPECT_FALSE(item("Showmnu")->isVisible());
    shell.Show2mnu_Click();
    EXPECT_TRUE(form.isVisible()) << "hiding would leave no way back";
    EXPECT_EQ(fakes.trayIcon.adds, 1) << "the icon is added and joins an area that appears later";
}

// The terms gate with every kind of stored acceptance.
struct GateCase {
    const char* stored;
    bool asked;
};

class GateValueTest : public ShellFixture, public ::testing::WithParamInterface<GateCase> {};

TEST_P(GateValueTest, OnlyExactAcceptedSkipsTheNotice) {
    fakes.settings.values["EULA/TrialRead"] = GetParam().stored;
    ASSERT_EQ(load(), std::nullopt);
    EXPECT_EQ(disclaimerTexts.size(), GetParam().asked ? 1 : 0);
    EXPECT_EQ(stored("EULA/TrialRead"), "ACCEPTED");
}

INSTANTIATE_TEST_SUITE_P(Values, GateValueTest,
                         ::testing::Values(GateCase{"ACCEPTED", false}, GateCase{"", true},
                                           GateCase{"accepted", true}, GateCase{"Accepted", true},
                                           GateCase{" ACCEPTED", true}, GateCase{"ACCEPTED ", true},
                                           GateCase{"1", true}));

TEST_F(AppShellTest, ClosingTheNoticeBringsItBackReadAfresh) {
    int shown = 0;
    onDisclaimer = [&](Form3& f) {
        if (++shown == 3)
            f.Command2->click();
        else
            f.close(); // the close box: no choice made
    };
    ASSERT_EQ(load(), std::nullopt);
    ASSERT_EQ(disclaimerTexts.size(), 3);
    EXPECT_EQ(disclaimerTexts[0], "Terms line one\nTerms line two\n");
    EXPECT_EQ(disclaimerTexts[2], disclaimerTexts[0]) << "the text is not doubled";
    EXPECT_EQ(fakes.files.textReads, 3);
}

TEST_F(AppShellTest, DeclineSaysWhyAndEndsWithNothingStored) {
    onDisclaimer = [](Form3& f) { f.Command1->click(); };
    EXPECT_EQ(load(), std::optional<int>(0));
    ASSERT_EQ(fakes.dialogs.messages.size(), 1u);
    const ShownMessage& m = fakes.dialogs.messages[0];
    EXPECT_EQ(m.prompt, "Please uninstall this software if you do not agree to the terms.");
    EXPECT_EQ(m.title, "License Agreement");
    EXPECT_EQ(m.icon, MessageIcon::Exclamation);
    EXPECT_EQ(fakes.settings.writes, 0);
    EXPECT_EQ(fakes.trayIcon.adds, 0);
    EXPECT_FALSE(form.isVisible());
}

// The terms file beside the program, for program folders of every kind of name.
TEST(DisclaimerGateTest, TermsAreFoundBesideTheProgramWhateverItsFolderIsCalled) {
    const std::pair<QString, QString> kFolders[] = {
        {"/opt/back\\slash", "/opt/back\\slash/EULA.txt"},
        {"/opt/line\nbreak", "/opt/line\nbreak/EULA.txt"},
        {"/", "/EULA.txt"}};
    for (const auto& [folder, file] : kFolders) {
        FakePlatform fakes;
        fakes.files.folder = folder;
        fakes.files.texts.insert(file, "Terms");
        QStringList shown;
        DisclaimerGate gate(fakes.settings, fakes.files, fakes.dialogs, [&](Form3& f) {
            shown << f.Text1->toPlainText();
            f.Command2->click();
        });
        EXPECT_EQ(gate.run(nullptr, [] { return false; }), DisclaimerGate::Accepted)
            << qPrintable(folder);
        EXPECT_EQ(shown, QStringList{"Terms\n"}) << qPrintable(folder);
    }
}

TEST_F(AppShellTest, MissingTermsFileIsNamedAndEndsTheProgram) {
    fakes.files.texts.clear();
    EXPECT_EQ(load(), std::optional<int>(1));
    ASSERT_EQ(fakes.dialogs.messages.size(), 1u);
    EXPECT_TRUE(fakes.dialogs.messages[0].prompt.contains("EULA.txt"));
    EXPECT_EQ(fakes.dialogs.messages[0].icon, MessageIcon::Critical);
    EXPECT_TRUE(disclaimerTexts.isEmpty());
    EXPECT_EQ(fakes.settings.writes, 0);
}

TEST_F(AppShellTest, UnwritableSettingsEndTheGateInsteadOfLooping) {
    fakes.settings.failWrites = true;
    EXPECT_EQ(load(), std::optional<int>(1));
    EXPECT_EQ(disclaimerTexts.size(), 1);
    ASSERT_EQ(fakes.dialogs.messages.size(), 1u);
    EXPECT_TRUE(fakes.dialogs.messages[0].prompt.contains("Tivrel.ini"));
}

TEST_F(AppShellTest, HideAndShowToggleTheItemsTheBandAndTheCount) {
    accept();
    fakes.settings.values["Auto-Hide/Show"] = "1";
    ASSERT_EQ(load(), std::nullopt);
    clickCount()->setText("57");
    fakes.stacking.calls.clear();

    shell.Show2mnu_Click(); // "&Hide"
    EXPECT_FALSE(form.isVisible());
    EXPECT_TRUE(item("Showmnu")->isVisible());
    EXPECT_EQ(item("Showmnu")->text(), "Show");
    EXPECT_TRUE(item("bar3")->isVisible());
    EXPECT_EQ(clickCount()->text(), "0");
    EXPECT_EQ(fakes.stacking.calls, QStringList{"off:Form1"});

    clickCount()->setText("9");
    item("Showmnu")->trigger(); // "Show" from the tray menu
    EXPECT_TRUE(form.isVisible());
    EXPECT_FALSE(item("Showmnu")->isVisible());
    EXPECT_FALSE(item("bar3")->isVisible());
    EXPECT_EQ(clickCount()->text(), "0");
    EXPECT_EQ(fakes.stacking.calls, (QStringList{"off:Form1", "on:Form1"}));
}

// The start-up visibility item flips the stored value and names its next action.
struct AutoHideCase {
    const char* stored;
    const char* after;
    const char* caption;
};

class AutoHideItemTest : public ShellFixture, public ::testing::WithParamInterface<AutoHideCase> {};

TEST_P(AutoHideItemTest, FlipsTheSettingNotTheWindow) {
    const AutoHideCase& c = GetParam();
    accept();
    fakes.settings.values["Auto-Hide/Show"] = c.stored;
    ASSERT_EQ(load(), std::nullopt);
    const bool visible = form.isVisible();
    const QString before = item("AutoHideonstartupmnu")->text();
    item("AutoHideonstartupmnu")->trigger();
    EXPECT_EQ(stored("Auto-Hide/Show"), c.after);
    EXPECT_EQ(item("AutoHideonstartupmnu")->text(), c.caption ? QString(c.caption) : before);
    EXPECT_EQ(form.isVisible(), visible);
}

INSTANTIATE_TEST_SUITE_P(Values, AutoHideItemTest,
                         ::testing::Values(AutoHideCase{"", "1", "Hide on startup"},
                                           AutoHideCase{"0", "1", "Hide on startup"},
                                           AutoHideCase{"1", "0", "Show on startup"},
                                           AutoHideCase{"2", "0", "Show on startup"},
                                           AutoHideCase{"On", "0", "Show on startup"}));

// A stored value other than "0", "1" or nothing shows the window, and the first "&Hide"
// hides it.
TEST_F(AppShellTest, UnusualStoredValueShowsAWindowThatHides) {
    accept();
    fakes.settings.values["Auto-Hide/Show"] = "2";
    ASSERT_EQ(load(), std::nullopt);
    ASSERT_TRUE(form.isVisible());
    item("Show2mnu")->trigger();
    EXPECT_FALSE(form.isVisible());
    EXPECT_TRUE(item("Showmnu")->isVisible());
}

// Hide and Show during a run leave the count to the run, so the amount stops it exactly.
TEST_F(AppShellTest, HideAndShowDuringARunKeepTheCountAndTheAmount) {
    accept();
    fakes.settings.values["Auto-Hide/Show"] = "1";
    ASSERT_EQ(load(), std::nullopt);
    control<QCheckBox>(form, "Check1")->click();
    control<QScrollBar>(form, "HScroll1", AmountRow)->setValue(20);
    control<QPushButton>(form, "Command1")->click();
    auto& timer1 = fakes.timer1();
    for (int i = 0; i < 30 && timer1.isEnabled(); ++i) {
        if (i == 8)
            item("Show2mnu")->trigger(); // "&Hide"
        if (i == 12)
            item("Showmnu")->trigger();
        timer1.tick();
    }
    EXPECT_EQ(fakes.mouse.events.size(), 40u) << "20 clicks, a press and a release each";
    ASSERT_EQ(fakes.dialogs.messages.size(), 1u);
    EXPECT_TRUE(fakes.dialogs.messages[0].prompt.contains("Total Clicks:\t20\r\n"));
    EXPECT_EQ(clickCount()->text(), "20");
    item("Show2mnu")->trigger(); // idle again: hiding resets the count shown
    EXPECT_EQ(clickCount()->text(), "0");
}

TEST_F(AppShellTest, AutoHideItemReportsAnUnwritableStore) {
    accept();
    ASSERT_EQ(load(), std::nullopt);
    fakes.settings.failWrites = true;
    item("AutoHideonstartupmnu")->trigger();
    EXPECT_EQ(item("AutoHideonstartupmnu")->text(), "Show on startup");
    ASSERT_EQ(fakes.dialogs.messages.size(), 1u);
    EXPECT_TRUE(fakes.dialogs.messages[0].prompt.contains("Tivrel.ini"));
}

TEST_F(AppShellTest, ExitAnsweredNoKeepsRunning) {
    accept();
    ASSERT_EQ(load(), std::nullopt);
    fakes.dialogs.yesNoAnswers = {MessageAnswer::No};
    item("Exitmnu")->trigger();
    ASSERT_EQ(fakes.dialogs.messages.size(), 1u);
    const ShownMessage& m = fakes.dialogs.messages[0];
    EXPECT_EQ(m.prompt, "Are you sure you want to close the program ?");
    EXPECT_EQ(m.title, "Exiting ...");
    EXPECT_EQ(m.icon, MessageIcon::Information);
    EXPECT_EQ(m.buttons, MessageButtons::YesNo);
    EXPECT_TRUE(quits.empty());
    EXPECT_TRUE(fakes.trayIcon.shown);
}

TEST_F(AppShellTest, ExitAnsweredYesCleansUpAndQuits) {
    accept();
    fakes.settings.values["Auto-Hide/Show"] = "1";
    ASSERT_EQ(load(), std::nullopt);
    fakes.stacking.calls.clear();
    fakes.dialogs.yesNoAnswers = {MessageAnswer::Yes};
    item("Exitmnu")->trigger();
    EXPECT_EQ(quits, std::vector<int>{0});
    EXPECT_FALSE(fakes.trayIcon.shown);
    EXPECT_EQ(fakes.trayIcon.removes, 1);
    fakes.trayIcon.click(IconButton::Right);
    EXPECT_EQ(popups, 0) << "a click on a removed icon reaches nothing";
    EXPECT_EQ(fakes.stacking.calls, (QStringList{"off:Form1", "off:Form1"}));
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(fakes.settings.writes, 0) << "nothing is saved at the end";
}

TEST_F(AppShellTest, CloseSequenceIsHarmlessThreeTimes) {
    accept();
    ASSERT_EQ(load(), std::nullopt);
    shell.Form_QueryUnload();
    shell.Form_Unload();
    shell.Form_Terminate();
    EXPECT_EQ(fakes.trayIcon.removes, 1);
    EXPECT_FALSE(fakes.trayIcon.shown);
    EXPECT_EQ(fakes.stacking.calls.count("off:Form1"), 3);
}

TEST_F(AppShellTest, UserCloseRequestsAreRefused) {
    accept();
    fakes.settings.values["Auto-Hide/Show"] = "1";
    ASSERT_EQ(load(), std::nullopt);
    EXPECT_FALSE(form.close());
    EXPECT_TRUE(form.isVisible());
    EXPECT_TRUE(fakes.trayIcon.shown);
    EXPECT_TRUE(quits.empty());
}

TEST_F(AppShellTest, TerminationClosesWithoutAsking) {
    accept();
    ASSERT_EQ(load(), std::nullopt);
    fakes.termination.terminate();
    EXPECT_TRUE(fakes.dialogs.messages.empty());
    EXPECT_EQ(quits, std::vector<int>{0});
    EXPECT_FALSE(fakes.trayIcon.shown);
    fakes.termination.terminate(); // a second signal while closing changes nothing
    EXPECT_EQ(quits.size(), 1u);
}

TEST_F(AppShellTest, TerminationDuringARunStopsTheTimers) {
    accept();
    fakes.settings.values["Auto-Hide/Show"] = "1";
    ASSERT_EQ(load(), std::nullopt);
    control<QPushButton>(form, "Command1")->click();
    ASSERT_TRUE(fakes.timer1().isRunning());
    fakes.termination.terminate();
    EXPECT_EQ(quits, std::vector<int>{0});
    EXPECT_FALSE(fakes.timer1().isRunning());
    EXPECT_FALSE(fakes.timer3().isEnabled());
}

TEST_F(AppShellTest, TerminationAtTheNoticeEndsTheProgram) {
    onDisclaimer = [this](Form3& f) {
        fakes.termination.terminate(); // SIGTERM while the notice is open
        f.close();
    };
    EXPECT_EQ(load(), std::optional<int>(0));
    EXPECT_EQ(disclaimerTexts.size(), 1) << "the notice does not come back";
    EXPECT_EQ(quits, std::vector<int>{0});
    EXPECT_EQ(fakes.settings.writes, 0);
    EXPECT_EQ(fakes.trayIcon.adds, 0);
}

TEST_F(AppShellTest, IconClicksOpenTheFileMenu) {
    accept();
    ASSERT_EQ(load(), std::nullopt);
    // The fixture's popup checks that the menu is the window's "&File" menu.
    fakes.trayIcon.click(IconButton::Left);
    fakes.trayIcon.click(IconButton::Right);
    EXPECT_EQ(popups, 2);
}

} // namespace
} // namespace tivrel::test
