#include "desktop/StartupShortcut.h"
#include "fakes/FakeDialogs.h"
#include "fakes/Unprivileged.h"
#include "platform/linux/XdgAutostartEntry.h"

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
    EXPECT_EQ(XdgAutostartEntry::execQuoted(QString::fromUtf8(GetParam().program)),
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
                      QuoteCase{"/opt/100%/tivrel", R"("/opt/100%%/tivrel")"},
                      QuoteCase{"/opt/line\nbreak/tivrel", R"("/opt/line\nbreak/tivrel")"},
                      QuoteCase{"/opt/a\tb\rc/tivrel", R"("/opt/a\tb\rc/tivrel")"}));

// Points the all-users and the user's own configuration folders into a temporary folder,
// open to the unprivileged user, and puts the environment back afterwards.
class AutostartFolders : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(root.isValid());
        m_savedDirs = qgetenv("XDG_CONFIG_DIRS");
        m_savedHome = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_DIRS", (root.path() + "/xdg:/etc/xdg").toLocal8Bit());
        qputenv("XDG_CONFIG_HOME", (root.path() + "/config").toLocal8Bit());
        for (const QString& folder : {root.path(), xdg(), config()})
            ASSERT_TRUE(QDir().mkpath(folder) && makeOpenToAll(folder));
    }
    void TearDown() override {
        for (const QString& folder : {root.path(), xdg(), config(), allUsers(), own()})
            makeOpenToAll(folder);
        restore("XDG_CONFIG_DIRS", m_savedDirs);
        restore("XDG_CONFIG_HOME", m_savedHome);
    }
    static void restore(const char* name, const QByteArray& value) {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    }

    QString xdg() const { return root.path() + "/xdg"; }
    QString config() const { return root.path() + "/config"; }
    QString allUsers() const { return xdg() + "/autostart"; }
    QString own() const { return config() + "/autostart"; }
    QString allUsersEntry() const { return allUsers() + "/Tivrel.desktop"; }
    QString ownEntry() const { return own() + "/Tivrel.desktop"; }

    QTemporaryDir root;
    QByteArray m_savedDirs;
    QByteArray m_savedHome;
};

// The entry's text read back, and what the desktop's own validator says of it.
QString validatorComplaint(const QString& entry) {
    const QString validator = QStandardPaths::findExecutable("desktop-file-validate");
    if (validator.isEmpty())
        return "desktop-file-validate is not installed";
    QProcess validate;
    validate.start(validator, {entry});
    if (!validate.waitForFinished(30000))
        return "desktop-file-validate did not finish";
    const QByteArray said = validate.readAllStandardOutput().trimmed();
    if (validate.exitCode() != 0 || !said.isEmpty())
        return QString::fromUtf8(said);
    return {};
}

class EntryForProgramTest : public AutostartFolders,
                            public ::testing::WithParamInterface<const char*> {};

// Whatever the program folder is called, the entry is one a desktop accepts and it starts
// that very program.
TEST_P(EntryForProgramTest, IsValidAndStartsTheProgramThatWroteIt) {
    const QString program = QString::fromUtf8(GetParam());
    ASSERT_TRUE(QDir().mkpath(allUsers()));
    XdgAutostartEntry entry(program);
    QString error;
    ASSERT_TRUE(entry.place(&error)) << qPrintable(error);
    QFile file(allUsersEntry());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    EXPECT_TRUE(text.startsWith("[Desktop Entry]\nType=Application\nName=Tivrel\n"));
    EXPECT_TRUE(text.contains("\nExec=" + XdgAutostartEntry::execQuoted(program) + "\n"))
        << qPrintable(text);
    EXPECT_EQ(validatorComplaint(allUsersEntry()), QString()) << qPrintable(text);
}

INSTANTIATE_TEST_SUITE_P(Programs, EntryForProgramTest,
                         ::testing::Values("/usr/lib/tivrel/tivrel", "/opt/my apps/clicker",
                                           "/opt/back\\slash/tivrel", "/opt/line\nbreak/tivrel",
                                           "/opt/tab\there/cr\rthere/tivrel",
                                           "/opt/\"$HOME\" `x` 100%/tivrel",
                                           "/opt/caf\xc3\xa9/tivrel"));

enum class Folder { Writable, ReadOnly, Missing };

// One click of the item as a user without special rights, reported as
// "<caption before>|<caption after>|<entries left>|<message title>|<message's first line>".
QString clickAsUser(const QString& allUsersEntry, const QString& ownEntry) {
    QString item;
    FakeDialogs dialogs;
    XdgAutostartEntry entry(QStringLiteral("/usr/lib/tivrel/tivrel"));
    StartupShortcut shortcut([&item](const QString& caption) { item = caption; }, entry, dialogs);
    shortcut.showState();
    QString outcome = item;
    shortcut.Startupatlogonmnu_Click();
    outcome += u'|' + item + u'|';
    outcome += QFile::exists(allUsersEntry) ? "all users" : "";
    outcome += QFile::exists(ownEntry) ? "+own" : "";
    for (const auto& message : dialogs.messages)
        outcome += u'|' + message.title + u'|' + message.prompt;
    return outcome;
}

// The folders as a case sets them up, the entries already there, and one click.
struct FolderCase {
    const char* name;
    Folder allUsers;
    Folder ownConfig; // the folder that holds the user's own autostart folder
    bool allUsersEntry;
    bool ownEntry;
    const char* outcome; // as clickAsUser reports it, up to the message's first line
};

class AutostartClickTest : public AutostartFolders,
                           public ::testing::WithParamInterface<FolderCase> {
protected:
    void prepare(const FolderCase& c) {
        if (c.allUsers != Folder::Missing || c.allUsersEntry) {
            ASSERT_TRUE(QDir().mkpath(allUsers()) && makeOpenToAll(allUsers()));
        }
        if (c.ownEntry) {
            ASSERT_TRUE(QDir().mkpath(own()) && makeOpenToAll(own()));
        }
        for (const auto& [wanted, path] :
             {std::pair{c.allUsersEntry, allUsersEntry()}, std::pair{c.ownEntry, ownEntry()}}) {
            QFile file(path);
            if (wanted) {
                ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write("[Desktop Entry]\n"));
            }
        }
        if (c.allUsers == Folder::ReadOnly) {
            ASSERT_TRUE(makeReadOnlyForAll(allUsers()));
        }
        if (c.ownConfig == Folder::ReadOnly) {
            ASSERT_TRUE(makeReadOnlyForAll(config()));
            if (c.ownEntry) {
                ASSERT_TRUE(makeReadOnlyForAll(own()));
            }
        }
    }
};

TEST_P(AutostartClickTest, PlacesWhereItMayAndCaptionMirrorsTheDisk) {
    const FolderCase& c = GetParam();
    ASSERT_NO_FATAL_FAILURE(prepare(c));
    QString whyNot;
    const auto outcome =
        runUnprivileged([&] { return clickAsUser(allUsersEntry(), ownEntry()); }, &whyNot);
    ASSERT_TRUE(outcome) << qPrintable(whyNot);
    EXPECT_EQ(outcome->section(u'\r', 0, 0), QString::fromUtf8(c.outcome));
    if (outcome->contains("Bad \"All Users\" folder:")) {
        EXPECT_TRUE(outcome->contains("Should look like:  " + allUsers() + " or " + own()))
            << qPrintable(*outcome);
    }
}

const FolderCase kFolderCases[] = {
    {"AllUsersWritable", Folder::Writable, Folder::Writable, false, false,
     "Place shortcut in startup|Remove shortcut from startup|all users"},
    {"AllUsersReadOnly", Folder::ReadOnly, Folder::Writable, false, false,
     "Place shortcut in startup|Remove shortcut from startup|+own"},
    {"AllUsersMissing", Folder::Missing, Folder::Writable, false, false,
     "Place shortcut in startup|Remove shortcut from startup|+own"},
    {"NeitherWritable", Folder::ReadOnly, Folder::ReadOnly, false, false,
     "Place shortcut in startup|Place shortcut in startup||Tivrel|Bad \"All Users\" folder:"},
    {"RemovesAllUsersEntry", Folder::Writable, Folder::Writable, true, false,
     "Remove shortcut from startup|Place shortcut in startup|"},
    {"RemovesOwnEntry", Folder::ReadOnly, Folder::Writable, false, true,
     "Remove shortcut from startup|Place shortcut in startup|"},
    {"RemovesBothEntries", Folder::Writable, Folder::Writable, true, true,
     "Remove shortcut from startup|Place shortcut in startup|"},
    {"AllUsersEntryStays", Folder::ReadOnly, Folder::Writable, true, false,
     "Remove shortcut from startup|Remove shortcut from startup|all users|Error|"
     "An unknown error has occured."},
    {"OwnEntryGoesAllUsersEntryStays", Folder::ReadOnly, Folder::Writable, true, true,
     "Remove shortcut from startup|Remove shortcut from startup|all users|Error|"
     "An unknown error has occured."},
    {"OwnEntryStays", Folder::Writable, Folder::ReadOnly, false, true,
     "Remove shortcut from startup|Remove shortcut from startup|+own|Error|"
     "An unknown error has occured."},
};

INSTANTIATE_TEST_SUITE_P(Folders, AutostartClickTest, ::testing::ValuesIn(kFolderCases),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace tivrel::test
