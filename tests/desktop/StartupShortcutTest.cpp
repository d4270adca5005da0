#include "desktop/StartupShortcut.h"
#include "fakes/FakePlatform.h"

#include <gtest/gtest.h>

namespace tivrel::test {
namespace {

const QString kPlace = QStringLiteral("Place shortcut in startup");
const QString kRemove = QStringLiteral("Remove shortcut from startup");

// Where the entries are before a click, which folders refuse writes, and what one click
// leaves: the entries, the caption and the title of the message shown ("" for none).
struct ClickCase {
    const char* name;
    bool forAllUsers;
    bool forThisUser;
    bool allUsersReadOnly;
    bool ownReadOnly;
    bool afterForAllUsers;
    bool afterForThisUser;
    const char* message;
};

class StartupClickTest : public ::testing::TestWithParam<ClickCase> {};

// The caption after any click, whatever happened, names what the next click will do.
TEST_P(StartupClickTest, CaptionMirrorsTheEntriesAfterTheClick) {
    const ClickCase& c = GetParam();
    FakePlatform fakes;
    fakes.startupEntry.forAllUsers = c.forAllUsers;
    fakes.startupEntry.forThisUser = c.forThisUser;
    fakes.startupEntry.allUsersReadOnly = c.allUsersReadOnly;
    fakes.startupEntry.ownReadOnly = c.ownReadOnly;
    QString item;
    StartupShortcut shortcut([&item](const QString& caption) { item = caption; },
                             fakes.startupEntry, fakes.dialogs);
    shortcut.showState();
    EXPECT_EQ(item, c.forAllUsers || c.forThisUser ? kRemove : kPlace);

    shortcut.Startupatlogonmnu_Click();
    EXPECT_EQ(fakes.startupEntry.forAllUsers, c.afterForAllUsers);
    EXPECT_EQ(fakes.startupEntry.forThisUser, c.afterForThisUser);
    EXPECT_EQ(item, c.afterForAllUsers || c.afterForThisUser ? kRemove : kPlace);
    if (*c.message == '\0') {
        EXPECT_TRUE(fakes.dialogs.messages.empty()) << "success is not reported";
    } else {
        ASSERT_EQ(fakes.dialogs.messages.size(), 1u);
        EXPECT_EQ(fakes.dialogs.messages[0].title, c.message);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Entries, StartupClickTest,
    ::testing::Values(
        ClickCase{"PlacedForAllUsers", false, false, false, false, true, false, ""},
        ClickCase{"PlacedForThisUser", false, false, true, false, false, true, ""},
        ClickCase{"NeitherFolderTakesIt", false, false, true, true, false, false, "Tivrel"},
        ClickCase{"RemovedForAllUsers", true, false, false, true, false, false, ""},
        ClickCase{"RemovedForThisUser", false, true, true, false, false, false, ""},
        ClickCase{"BothRemoved", true, true, false, false, false, false, ""},
        ClickCase{"AllUsersEntryStays", true, false, true, false, true, false, "Error"},
        ClickCase{"OwnEntryStays", false, true, false, true, false, true, "Error"},
        ClickCase{"OneOfTwoStays", true, true, true, false, true, false, "Error"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(StartupShortcutTest, NoFolderMessageNamesTheFoldersOfThisSystem) {
    FakePlatform fakes;
    fakes.startupEntry.allUsersReadOnly = true;
    fakes.startupEntry.ownReadOnly = true;
    fakes.startupEntry.allUsersFolder = QStringLiteral("/srv/xdg/autostart");
    fakes.startupEntry.ownFolder = QStringLiteral("/home/ann/.config/autostart");
    QString item;
    StartupShortcut shortcut([&item](const QString& caption) { item = caption; },
                             fakes.startupEntry, fakes.dialogs);
    shortcut.Startupatlogonmnu_Click();
    ASSERT_EQ(fakes.dialogs.messages.size(), 1u);
    const ShownMessage& m = fakes.dialogs.messages[0];
    EXPECT_EQ(m.prompt, "Bad \"All Users\" folder:\r\n\r\nShould look like:  /srv/xdg/autostart or "
                        "/home/ann/.config/autostart\r\n\r\n* You must manually place a shortcut "
                        "in the startup folder.");
    EXPECT_EQ(m.icon, MessageIcon::None);
    EXPECT_EQ(m.buttons, MessageButtons::Ok);
}

TEST(StartupShortcutTest, FailedRemovalIsAnUnknownErrorAndTheNextClickTriesAgain) {
    FakePlatform fakes;
    fakes.startupEntry.forAllUsers = true;
    fakes.startupEntry.allUsersReadOnly = true;
    QString item;
    StartupShortcut shortcut([&item](const QString& caption) { item = caption; },
                             fakes.startupEntry, fakes.dialogs);
    shortcut.Startupatlogonmnu_Click();
    ASSERT_EQ(fakes.dialogs.messages.size(), 1u);
    EXPECT_EQ(fakes.dialogs.messages[0].prompt, "An unknown error has occured.");
    EXPECT_EQ(fakes.dialogs.messages[0].icon, MessageIcon::Critical);
    fakes.startupEntry.allUsersReadOnly = false;
    shortcut.Startupatlogonmnu_Click();
    EXPECT_EQ(fakes.startupEntry.calls, (QStringList{"remove", "remove"}));
    EXPECT_EQ(item, kPlace);
}

TEST(StartupShortcutTest, TheDiskDecidesNotTheCaption) {
    FakePlatform fakes;
    QString item = kRemove; // stale: someone removed the entry meanwhile
    StartupShortcut shortcut([&item](const QString& caption) { item = caption; },
                             fakes.startupEntry, fakes.dialogs);
    shortcut.Startupatlogonmnu_Click();
    EXPECT_EQ(fakes.startupEntry.calls, QStringList{"place"});
    EXPECT_EQ(item, kRemove);
}

} // namespace
} // namespace tivrel::test
