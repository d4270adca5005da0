#include "desktop/StartupShortcut.h"
#include "fakes/FakePlatform.h"

#include <QAction>

#include <gtest/gtest.h>

namespace tivrel::test {
namespace {

const QString kLink = StartupShortcut::kLinkPath;

class StartupShortcutTest : public ::testing::Test {
protected:
    StartupShortcut make(bool withShell = true) {
        if (withShell)
            m_shell = fakes.platform.newShortcutShell();
        return StartupShortcut(item, fakes.files, fakes.dialogs,
                               withShell ? m_shell.get() : nullptr);
    }

    FakePlatform fakes;
    QAction item{QStringLiteral("Place shortcut in startup")};
    std::unique_ptr<ShortcutShell> m_shell;
};

TEST_F(StartupShortcutTest, CaptionAtStartFollowsTheDisk) {
    auto shortcut = make();
    shortcut.showState();
    EXPECT_EQ(item.text(), "Place shortcut in startup");
    fakes.files.existing.insert(kLink);
    shortcut.showState();
    EXPECT_EQ(item.text(), "Remove shortcut from startup");
}

TEST_F(StartupShortcutTest, TogglePlacesThenRemoves) {
    auto shortcut = make();
    shortcut.Startupatlogonmnu_Click();
    EXPECT_EQ(fakes.shortcuts.saved,
              QStringList{"C:\\Documents and Settings\\All Users\\Start Menu\\Programs\\Startup\\"
                          "\\Tivrel.lnk -> C:\\Program Files\\Tivrel\\Tivrel.exe"});
    EXPECT_EQ(item.text(), "Remove shortcut from startup");
    EXPECT_TRUE(fakes.files.fileExists(kLink));

    shortcut.Startupatlogonmnu_Click();
    EXPECT_FALSE(fakes.files.fileExists(kLink));
    EXPECT_EQ(item.text(), "Place shortcut in startup");
    EXPECT_TRUE(fakes.dialogs.messages.empty()) << "success is not reported";
}

TEST_F(StartupShortcutTest, TheDiskDecidesNotTheCaption) {
    auto shortcut = make();
    item.setText("Remove shortcut from startup"); // stale: someone removed the file
    shortcut.Startupatlogonmnu_Click();
    EXPECT_EQ(fakes.shortcuts.saved.size(), 1);
    EXPECT_EQ(item.text(), "Remove shortcut from startup");
}

TEST_F(StartupShortcutTest, ProgramFolderAtARootIsJoinedPlainly) {
    fakes.files.folder = QStringLiteral("C:\\");
    auto shortcut = make();
    shortcut.Startupatlogonmnu_Click();
    ASSERT_EQ(fakes.shortcuts.saved.size(), 1);
    EXPECT_TRUE(fakes.shortcuts.saved[0].endsWith(" -> C:\\\\Tivrel.exe"))
        << qPrintable(fakes.shortcuts.saved[0]);
}

TEST_F(StartupShortcutTest, FailedWriteShowsTheFolderMessage) {
    for (const bool withShell : {true, false}) {
        fakes.dialogs.messages.clear();
        fakes.shortcuts.failSaves = true;
        auto shortcut = make(withShell);
        shortcut.Startupatlogonmnu_Click();
        ASSERT_EQ(fakes.dialogs.messages.size(), 1u);
        const ShownMessage& m = fakes.dialogs.messages[0];
        EXPECT_EQ(m.prompt, "Bad \"All Users\" folder:\r\n\r\nShould look like:  C:\\Documents and "
                            "Settings\\All Users\r\n\r\n* You must manually place a shortcut in "
                            "the startup folder.");
        EXPECT_EQ(m.title, "Tivrel");
        EXPECT_EQ(m.icon, MessageIcon::None);
        EXPECT_EQ(m.buttons, MessageButtons::Ok);
        EXPECT_EQ(item.text(), "Place shortcut in startup");
    }
}

TEST_F(StartupShortcutTest, FailedDeleteShowsTheUnknownErrorAndKeepsTheFile) {
    fakes.files.existing.insert(kLink);
    fakes.files.failDeletes = true;
    auto shortcut = make();
    shortcut.Startupatlogonmnu_Click();
    ASSERT_EQ(fakes.dialogs.messages.size(), 1u);
    EXPECT_EQ(fakes.dialogs.messages[0].prompt, "An unknown error has occured.");
    EXPECT_EQ(fakes.dialogs.messages[0].title, "Error");
    EXPECT_EQ(fakes.dialogs.messages[0].icon, MessageIcon::Critical);
    EXPECT_EQ(item.text(), "Place shortcut in startup");
    EXPECT_TRUE(fakes.files.fileExists(kLink));
    fakes.files.failDeletes = false;
    shortcut.Startupatlogonmnu_Click(); // the next click finds the file and tries again
    EXPECT_FALSE(fakes.files.fileExists(kLink));
}

} // namespace
} // namespace tivrel::test
