#include "fakes/Unprivileged.h"
#include "platform/qt/IniSettingsStore.h"
#include "platform/qt/LockFileInstanceLock.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileDevice>
#include <QFileInfo>
#include <QProcess>
#include <QSysInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <unistd.h>

namespace tivrel::test {
namespace {

TEST(IniSettingsStoreTest, WritesAndReadsUnderSectionAndKey) {
    QTemporaryDir dir;
    const QString path = dir.filePath("sub/Tivrel.ini");
    IniSettingsStore store(path);
    EXPECT_EQ(store.read("EULA", "TrialRead"), "") << "absent reads as empty";
    QString error;
    ASSERT_TRUE(store.write("EULA", "TrialRead", "ACCEPTED", &error)) << qPrintable(error);
    ASSERT_TRUE(store.write("Auto-Hide", "Show", "1", &error));
    ASSERT_TRUE(store.write("Auto-Hide", "Show", " 0 ", &error));
    EXPECT_EQ(IniSettingsStore(path).read("EULA", "TrialRead"), "ACCEPTED");
    EXPECT_EQ(IniSettingsStore(path).read("Auto-Hide", "Show"), " 0 ");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    EXPECT_TRUE(text.contains("[EULA]\nTrialRead=ACCEPTED")) << text.constData();
    EXPECT_TRUE(text.contains("[Auto-Hide]")) << text.constData();
}

TEST(IniSettingsStoreTest, GarbageReadsAsEmptyWithoutCrashing) {
    QTemporaryDir dir;
    const QString path = dir.filePath("Tivrel.ini");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    QByteArray garbage;
    for (int i = 0; i < 4096; ++i)
        garbage.append(char((i * 7919) % 256));
    file.write(garbage);
    file.close();
    IniSettingsStore store(path);
    EXPECT_NE(store.read("EULA", "TrialRead"), "ACCEPTED");
    EXPECT_EQ(store.read("Auto-Hide", "Show"), "");
}

TEST(IniSettingsStoreTest, ReadOnlyFolderFailsWithTheFileNamed) {
    QTemporaryDir dir;
    ASSERT_TRUE(makeOpenToAll(dir.path()));
    const QString folder = dir.filePath("config");
    ASSERT_TRUE(QDir().mkpath(folder));
    ASSERT_TRUE(makeReadOnlyForAll(folder));
    const QString path = folder + "/Tivrel.ini";
    QString whyNot;
    const auto outcome = runUnprivileged(
        [&] {
            QString error;
            const bool written =
                IniSettingsStore(path).write("EULA", "TrialRead", "ACCEPTED", &error);
            return QString::number(written) + u'|' + error;
        },
        &whyNot);
    makeOpenToAll(folder);
    ASSERT_TRUE(outcome) << qPrintable(whyNot);
    EXPECT_TRUE(outcome->startsWith("0|")) << qPrintable(*outcome);
    EXPECT_TRUE(outcome->contains(path)) << qPrintable(*outcome);
    EXPECT_FALSE(QFile::exists(path));
}

// Places that root cannot write either: a file where the folder should be, a folder where
// the file should be. The message says which, and names the place.
struct BlockedPlaceCase {
    const char* name;
    const char* blocker; // made before the write
    bool blockerIsFolder;
    const char* settings; // the settings file, below the temporary folder
    const char* saying;   // what the message must say
};

class BlockedSettingsPlaceTest : public ::testing::TestWithParam<BlockedPlaceCase> {};

TEST_P(BlockedSettingsPlaceTest, FailsSayingWhatStandsInTheWay) {
    const BlockedPlaceCase& c = GetParam();
    QTemporaryDir dir;
    const QString blocker = dir.filePath(c.blocker);
    if (c.blockerIsFolder) {
        ASSERT_TRUE(QDir().mkpath(blocker));
    } else {
        QFile file(blocker);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    QString error;
    EXPECT_FALSE(
        IniSettingsStore(dir.filePath(c.settings)).write("EULA", "TrialRead", "ACCEPTED", &error));
    EXPECT_TRUE(error.contains(blocker)) << qPrintable(error);
    EXPECT_TRUE(error.contains(c.saying)) << qPrintable(error);
    EXPECT_EQ(QFileInfo(blocker).isDir(), c.blockerIsFolder) << "the blocker is left as it was";
}

INSTANTIATE_TEST_SUITE_P(
    Places, BlockedSettingsPlaceTest,
    ::testing::Values(BlockedPlaceCase{"FileForTheFolder", "blocked", false, "blocked/Tivrel.ini",
                                       "cannot create the folder"},
                      BlockedPlaceCase{"FolderForTheFile", "Tivrel.ini", true, "Tivrel.ini",
                                       "a folder stands where the file should be"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LockFileInstanceLockTest, SecondCopyIsRefusedUntilTheFirstEnds) {
    QTemporaryDir dir;
    const QString path = dir.filePath("tivrel.lock");
    {
        LockFileInstanceLock first(path);
        ASSERT_TRUE(first.acquire());
        EXPECT_TRUE(first.acquire()) << "asking again keeps the lock";
        LockFileInstanceLock second(path);
        EXPECT_FALSE(second.acquire());
    }
    LockFileInstanceLock third(path);
    EXPECT_TRUE(third.acquire());
}

TEST(LockFileInstanceLockTest, LockOfAKilledCopyIsTakenOver) {
    QTemporaryDir dir;
    const QString path = dir.filePath("tivrel.lock");
    // A lock file as a copy that has since died would have left it.
    QProcess gone;
    gone.start("true");
    ASSERT_TRUE(gone.waitForFinished());
    const qint64 deadPid = gone.processId() ? gone.processId() : 999999;
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray::number(deadPid) + "\n" + QCoreApplication::applicationName().toUtf8() +
               "\n" + QSysInfo::machineHostName().toUtf8() + "\n");
    file.close();
    LockFileInstanceLock lock(path);
    EXPECT_TRUE(lock.acquire());
}

} // namespace
} // namespace tivrel::test
