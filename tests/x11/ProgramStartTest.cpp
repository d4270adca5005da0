// Start-up of the real program: the terms notice on the first run, accepted or declined,
// and the single running copy.
#include "ProgramFixture.h"
#include "Waiting.h"

#include <QDir>

#include <csignal>

namespace tivrel::test {
namespace {

class ProgramStart : public ProgramTest {
protected:
    // Starts the program and waits for its tray icon, noting whether the notice ever showed
    // on the way.
    ChildProcess* startToTheTray(bool* noticeShown) {
        ChildProcess* program = startProgram();
        if (!program)
            return nullptr;
        *noticeShown = false;
        waitUntil(
            [&] {
                const std::vector<WindowInfo> windows =
                    windowsOf(*program, [](auto&) { return true; });
                bool icon = false;
                for (const WindowInfo& window : windows) {
                    *noticeShown = *noticeShown || isNotice(window);
                    icon = icon || isTrayIcon(window);
                }
                return icon || program->hasEnded();
            },
            kAppearTimeout);
        return program;
    }
};

TEST_F(ProgramStart, FirstRunAcceptedStoresTheAnswerAndStartsInTheTrayThenNeverAsksAgain) {
    ChildProcess* program = startProgram();
    ASSERT_TRUE(program) << qPrintable(lastFailure);
    const std::optional<WindowInfo> notice = waitForWindow(*program, isNotice);
    ASSERT_TRUE(notice) << "no terms notice on the first run";
    EXPECT_TRUE(windowsOf(*program, isTrayIcon).empty()) << "an icon before the terms are accepted";
    EXPECT_TRUE(windowsOf(*program, [](const WindowInfo& w) {
                    return isMainWindow(w) && w.viewable;
                }).empty());

    ASSERT_TRUE(answerBox(*program, kNoticeTitle, QStringLiteral("alt+a")))
        << qPrintable(lastFailure);
    ASSERT_TRUE(waitForTrayIcon(*program)) << "no tray icon after accepting";
    const QMap<QString, QString> accepted{
        {QStringLiteral("EULA/TrialRead"), QStringLiteral("ACCEPTED")}};
    EXPECT_EQ(home.storedSettings(), accepted);
    const std::vector<WindowInfo> main = windowsOf(*program, isMainWindow);
    ASSERT_EQ(main.size(), 1u);
    EXPECT_FALSE(main.front().viewable) << "the window shows on a first start: " << main.front();
    EXPECT_TRUE(home.dialogs().empty());
    ASSERT_TRUE(program->sendSignal(SIGTERM));
    ASSERT_NO_FATAL_FAILURE(expectExit(*program, 0));

    bool noticeShown = true;
    ChildProcess* next = startToTheTray(&noticeShown);
    ASSERT_TRUE(next) << qPrintable(lastFailure);
    EXPECT_FALSE(noticeShown) << "the notice came back after it was accepted";
    ASSERT_FALSE(windowsOf(*next, isTrayIcon).empty()) << qPrintable(next->describeEnd());
    EXPECT_EQ(home.storedSettings(), accepted);
    ASSERT_TRUE(next->sendSignal(SIGTERM));
    ASSERT_NO_FATAL_FAILURE(expectExit(*next, 0));
    EXPECT_TRUE(home.dialogs().empty());
}

TEST_F(ProgramStart, FirstRunDeclinedSaysSoAndEndsWithNothingStored) {
    ChildProcess* program = startProgram();
    ASSERT_TRUE(program) << qPrintable(lastFailure);
    ASSERT_TRUE(answerBox(*program, kNoticeTitle, QStringLiteral("alt+d")))
        << qPrintable(lastFailure);
    ASSERT_TRUE(waitForDialogs(1)) << "no message after declining";
    const std::vector<DialogLine> expected{
        {QStringLiteral("message"), QStringLiteral("License Agreement"),
         QStringLiteral("Please uninstall this software if you do not agree to the terms.")}};
    EXPECT_EQ(home.dialogs(), expected);
    ASSERT_TRUE(answerBox(*program, QStringLiteral("License Agreement"), QStringLiteral("Return")))
        << qPrintable(lastFailure);
    ASSERT_NO_FATAL_FAILURE(expectExit(*program, 0));
    EXPECT_TRUE(home.storedSettings().isEmpty());

    // Nothing was stored, so the next start asks again; a termination signal there ends it.
    ChildProcess* next = startProgram();
    ASSERT_TRUE(next) << qPrintable(lastFailure);
    ASSERT_TRUE(waitForWindow(*next, isNotice)) << "no notice after an earlier decline";
    ASSERT_TRUE(next->sendSignal(SIGTERM));
    ASSERT_NO_FATAL_FAILURE(expectExit(*next, 0));
    EXPECT_TRUE(home.storedSettings().isEmpty());
    EXPECT_EQ(home.dialogs(), expected);
}

TEST_F(ProgramStart, SecondCopySaysTheFirstIsRunningAndLeavesItWithOneIcon) {
    ASSERT_TRUE(home.writeAcceptedSettings(false));
    ChildProcess* first = startProgram();
    ASSERT_TRUE(first) << qPrintable(lastFailure);
    ASSERT_TRUE(waitForTrayIcon(*first));

    ChildProcess* second = startProgram();
    ASSERT_TRUE(second) << qPrintable(lastFailure);
    ASSERT_TRUE(waitForDialogs(1))
        << "the second copy said nothing: " << qPrintable(second->describeEnd());
    const std::vector<DialogLine> expected{{QStringLiteral("message"), QStringLiteral("Tivrel"),
                                            QStringLiteral("Tivrel is already running.")}};
    EXPECT_EQ(home.dialogs(), expected);
    EXPECT_TRUE(windowsOf(*second, [](const WindowInfo& w) {
                    return isTrayIcon(w) || isNotice(w);
                }).empty());
    ASSERT_TRUE(answerBox(*second, QStringLiteral("Tivrel"), QStringLiteral("Return")))
        << qPrintable(lastFailure);
    ASSERT_NO_FATAL_FAILURE(expectExit(*second, 0));

    EXPECT_FALSE(first->hasEnded()) << qPrintable(first->describeEnd());
    EXPECT_EQ(windowsOf(*first, isTrayIcon).size(), 1u);
    EXPECT_EQ(home.dialogs(), expected);
    ASSERT_TRUE(first->sendSignal(SIGTERM));
    ASSERT_NO_FATAL_FAILURE(expectExit(*first, 0));
}

TEST_F(ProgramStart, CopyKilledWithSigkillLeavesNoLockThatStopsTheNextStart) {
    ASSERT_TRUE(home.writeAcceptedSettings(false));
    ChildProcess* killed = startProgram();
    ASSERT_TRUE(killed) << qPrintable(lastFailure);
    ASSERT_TRUE(waitForTrayIcon(*killed));
    ASSERT_TRUE(killed->sendSignal(SIGKILL));
    ASSERT_TRUE(killed->waitForEnd(kExitTimeout));
    ASSERT_EQ(killed->terminatingSignal(), SIGKILL);
    // The killed copy could not take its lock away.
    EXPECT_FALSE(QDir(home.path(QStringLiteral("runtime")))
                     .entryList({QStringLiteral("tivrel-*.lock")}, QDir::Files)
                     .isEmpty());

    bool noticeShown = true;
    ChildProcess* next = startToTheTray(&noticeShown);
    ASSERT_TRUE(next) << qPrintable(lastFailure);
    ASSERT_FALSE(windowsOf(*next, isTrayIcon).empty()) << qPrintable(next->describeEnd());
    EXPECT_FALSE(noticeShown);
    EXPECT_TRUE(home.dialogs().empty()) << "the next start said: " << home.dialogs().front();
    ASSERT_TRUE(next->sendSignal(SIGTERM));
    ASSERT_NO_FATAL_FAILURE(expectExit(*next, 0));
}

} // namespace
} // namespace tivrel::test
