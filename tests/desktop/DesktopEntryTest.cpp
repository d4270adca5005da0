#include "desktop/StartupShortcut.h"
#include "fakes/FakeDialogs.h"
#include "fakes/Unprivileged.h"
#include "platform/linux/DesktopEntryShortcutShell.h"
#include "platform/linux/LinuxFileSystem.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace tivrel::test {
namespace {

struct QuoteCase {
    const char* program;
    const char* exec;
};

class ExecQuotingTest : public ::testing::TestWithParam<QuoteCase> {};

TEST_P(ExecQuotingTest, QuotesAsDesktopEntriesRequire) {
    EXPECT_EQ(DesktopEntryShortcutShell::execQuoted(QString::fromUtf8(GetParam().program)),
              QString::fromUtf8(GetParam().exec));
}

INSTANTIATE_TEST_SUITE_P(
    Paths, ExecQuotingTest,
    ::testing::Values(QuoteCase{"/usr/bin/tivrel", R"("/usr/bin/tivrel")"},
                      QuoteCase{"/opt/my apps/tivrel", R"("/opt/my apps/tivrel")"},
                      QuoteCase{"/opt/a\"b/tivrel", R"("/opt/a\\"b/tivrel")"},
                      QuoteCase{"/opt/$HOME/tivrel", R"("/opt/\\$HOME/tivrel")"},
                      QuoteCase{"/opt/`x`/tivrel", R"("/opt/\\`x\\`/tivrel")"},
                      QuoteCase{"/opt/a\\b/tivrel", R"("/opt/a\\\\b/tivrel")"},
                      QuoteCase{"/opt/100%/tivrel", R"("/opt/100%%/tivrel")"}));

// The real writer into an autostart folder of a temporary XDG_CONFIG_DIRS.
class AutostartFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_saved = qgetenv("XDG_CONFIG_DIRS");
        qputenv("XDG_CONFIG_DIRS", (dir.path() + "/xdg:/etc/xdg").toLocal8Bit());
    }
    void TearDown() override { qputenv("XDG_CONFIG_DIRS", m_saved); }

    QString entryPath() const { return dir.path() + "/xdg/autostart/Tivrel.desktop"; }

    QTemporaryDir dir;
    QByteArray m_saved;
    QAction item{QStringLiteral("Place shortcut in startup")};
    FakeDialogs dialogs;
    LinuxFileSystem files;
    DesktopEntryShortcutShell shell;
    StartupShortcut shortcut{item, files, dialogs, &shell};
};

TEST_F(AutostartFolderTest, WritesAValidEntryAndRemovesIt) {
    ASSERT_TRUE(QDir().mkpath(dir.path() + "/xdg/autostart"));
    shortcut.Startupatlogonmnu_Click();
    ASSERT_TRUE(QFile::exists(entryPath()));
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(item.text(), "Remove shortcut from startup");
    QFile entry(entryPath());
    ASSERT_TRUE(entry.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(entry.readAll());
    EXPECT_TRUE(text.startsWith("[Desktop Entry]\n"));
    EXPECT_TRUE(text.contains("\nType=Application\n"));
    EXPECT_TRUE(text.contains("\nName=Tivrel\n"));
    EXPECT_TRUE(text.contains("\nExec=\"" + QCoreApplication::applicationDirPath() + "/tivrel\"\n"))
        << qPrintable(text);

    const QString validator = QStandardPaths::findExecutable("desktop-file-validate");
    if (!validator.isEmpty()) {
        QProcess validate;
        validate.start(validator, {entryPath()});
        ASSERT_TRUE(validate.waitForFinished(30000));
        EXPECT_EQ(validate.exitCode(), 0) << validate.readAllStandardOutput().constData();
        EXPECT_TRUE(validate.readAllStandardOutput().trimmed().isEmpty());
    } else {
        ADD_FAILURE() << "desktop-file-validate is not installed";
    }

    shortcut.showState();
    EXPECT_EQ(item.text(), "Remove shortcut from startup");
    shortcut.Startupatlogonmnu_Click();
    EXPECT_FALSE(QFile::exists(entryPath()));
    EXPECT_EQ(item.text(), "Place shortcut in startup");
}

TEST_F(AutostartFolderTest, MissingFolderGivesTheFolderMessage) {
    shortcut.Startupatlogonmnu_Click();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].prompt.startsWith("Bad \"All Users\" folder:"));
    EXPECT_EQ(item.text(), "Place shortcut in startup");
    EXPECT_FALSE(QFile::exists(entryPath()));
}

TEST_F(AutostartFolderTest, FolderThatCannotBeWrittenGivesTheFolderMessage) {
    // A file where the autostart folder should be stops even root from writing there.
    ASSERT_TRUE(QDir().mkpath(dir.path() + "/xdg"));
    QFile blocker(dir.path() + "/xdg/autostart");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    shortcut.Startupatlogonmnu_Click();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].prompt.startsWith("Bad \"All Users\" folder:"));
    EXPECT_EQ(item.text(), "Place shortcut in startup");
}

// What one click of the item does for a user who may not change the autostart folder.
QString clickUnprivileged(const QString& entry) {
    QAction item{QStringLiteral("Place shortcut in startup")};
    FakeDialogs dialogs;
    LinuxFileSystem files;
    DesktopEntryShortcutShell shell;
    StartupShortcut shortcut{item, files, dialogs, &shell};
    shortcut.Startupatlogonmnu_Click();
    QString outcome = item.text() + u'|' + (QFile::exists(entry) ? "entry" : "no entry");
    for (const auto& message : dialogs.messages)
        outcome += u'|' + message.title + u'|' + message.prompt.section(u'\r', 0, 0);
    return outcome;
}

// One click as a user who may read but not change the autostart folder.
std::optional<QString> clickInReadOnlyFolder(const QString& root, const QString& entry,
                                             QString* whyNot) {
    const QString folder = root + "/xdg/autostart";
    if (!makeOpenToAll(root) || !makeOpenToAll(root + "/xdg") || !makeReadOnlyForAll(folder)) {
        *whyNot = "cannot set the folders' permissions";
        return std::nullopt;
    }
    const auto outcome = runUnprivileged([&] { return clickUnprivileged(entry); }, whyNot);
    makeOpenToAll(folder);
    return outcome;
}

TEST_F(AutostartFolderTest, ReadOnlyFolderGivesTheFolderMessage) {
    ASSERT_TRUE(QDir().mkpath(dir.path() + "/xdg/autostart"));
    QString whyNot;
    const auto outcome = clickInReadOnlyFolder(dir.path(), entryPath(), &whyNot);
    ASSERT_TRUE(outcome) << qPrintable(whyNot);
    EXPECT_EQ(*outcome, "Place shortcut in startup|no entry|Tivrel|Bad \"All Users\" folder:");
}

TEST_F(AutostartFolderTest, EntryThatCannotBeDeletedGivesTheUnknownError) {
    ASSERT_TRUE(QDir().mkpath(dir.path() + "/xdg/autostart"));
    shortcut.Startupatlogonmnu_Click();
    ASSERT_TRUE(QFile::exists(entryPath()));
    QString whyNot;
    const auto outcome = clickInReadOnlyFolder(dir.path(), entryPath(), &whyNot);
    ASSERT_TRUE(outcome) << qPrintable(whyNot);
    EXPECT_EQ(*outcome, "Place shortcut in startup|entry|Error|An unknown error has occured.");
}

TEST_F(AutostartFolderTest, HiddenEntryCountsAsAbsent) {
    ASSERT_TRUE(QDir().mkpath(dir.path() + "/xdg/autostart"));
    EXPECT_FALSE(files.fileExists(StartupShortcut::kLinkPath));
    QFile plain(entryPath());
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    EXPECT_TRUE(files.fileExists(StartupShortcut::kLinkPath));
}

} // namespace
} // namespace tivrel::test
