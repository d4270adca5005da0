#include "platform/linux/LinuxFileSystem.h"
#include "platform/linux/PathMapping.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace tivrel::test {
namespace {

struct SplitCase {
    const char* name;
    const char* text;
    QStringList lines;
};

class SplitLinesTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitLinesTest, EndsLinesAtEveryKindOfBreak) {
    EXPECT_EQ(splitTextLines(QString::fromUtf8(GetParam().text)), GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, SplitLinesTest,
    ::testing::Values(SplitCase{"Empty", "", {}}, SplitCase{"CrLf", "a\r\nb\r\n", {"a", "b"}},
                      SplitCase{"Cr", "a\rb\r", {"a", "b"}}, SplitCase{"Lf", "a\nb\n", {"a", "b"}},
                      SplitCase{"LastLineWithoutBreak", "a\r\nb", {"a", "b"}},
                      SplitCase{"EmptyLinesKept", "a\r\n\r\nb\r\n", {"a", "", "b"}},
                      SplitCase{"LoneBreak", "\r\n", {""}},
                      SplitCase{"CrCrLf", "a\r\r\nb", {"a", "", "b"}}),
    [](const auto& info) { return std::string(info.param.name); });

class PathMappingTest : public ::testing::Test {
protected:
    void SetUp() override { m_saved = qgetenv("XDG_CONFIG_DIRS"); }
    void TearDown() override { qputenv("XDG_CONFIG_DIRS", m_saved); }
    QByteArray m_saved;
};

TEST_F(PathMappingTest, StartupLinkBecomesAnAutostartEntry) {
    qputenv("XDG_CONFIG_DIRS", "/tmp/xdg-a:/etc/xdg");
    const QString link = QStringLiteral(
        "C:\\Documents and Settings\\All Users\\Start Menu\\Programs\\Startup\\Tivrel.lnk");
    EXPECT_EQ(toLocalPath(link), "/tmp/xdg-a/autostart/Tivrel.desktop");
    // The writer's path has a doubled backslash before the name; it is the same file.
    const QString doubled = QStringLiteral(
        "C:\\Documents and Settings\\All Users\\Start Menu\\Programs\\Startup\\\\Tivrel.lnk");
    EXPECT_EQ(toLocalPath(doubled), "/tmp/xdg-a/autostart/Tivrel.desktop");
}

TEST_F(PathMappingTest, AutostartFolderDefaultsToEtcXdg) {
    qunsetenv("XDG_CONFIG_DIRS");
    EXPECT_EQ(autostartFolder(), "/etc/xdg/autostart");
    qputenv("XDG_CONFIG_DIRS", "/opt/conf/");
    EXPECT_EQ(autostartFolder(), "/opt/conf/autostart");
}

TEST_F(PathMappingTest, ProgramFolderPathsKeepTheirFolder) {
    EXPECT_EQ(toLocalPath("/usr/lib/tivrel\\EULA.txt"), "/usr/lib/tivrel/EULA.txt");
    EXPECT_EQ(toLocalPath("/\\EULA.txt"), "/EULA.txt");
    EXPECT_EQ(toLocalPath("/opt/tivrel\\Tivrel.exe"), "/opt/tivrel/tivrel");
    EXPECT_EQ(toLocalPath("/\\Tivrel.exe"), "/tivrel");
}

TEST(LinuxFileSystemTest, OnlyVisiblePlainFilesExist) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    for (const char* name : {"plain.lnk", ".hidden.lnk"}) {
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.lnk"));
    LinuxFileSystem files;
    EXPECT_TRUE(files.fileExists(dir.filePath("plain.lnk")));
    EXPECT_FALSE(files.fileExists(dir.filePath(".hidden.lnk")));
    EXPECT_FALSE(files.fileExists(dir.filePath("folder.lnk")));
    EXPECT_FALSE(files.fileExists(dir.filePath("missing.lnk")));
    EXPECT_FALSE(files.fileExists(QStringLiteral("Z:\\no\\such\\drive\\x.lnk")));
    EXPECT_FALSE(files.fileExists(QString()));
}

TEST(LinuxFileSystemTest, ReadsLinesAndNamesAFileItCannotRead) {
    QTemporaryDir dir;
    const QString path = dir.filePath("EULA.txt");
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("First\r\nSecond \xc3\xa9\rThird\nbad \xff byte\0end");
    f.close();
    LinuxFileSystem files;
    QString error;
    const auto lines = files.readTextLines(dir.path() + "\\EULA.txt", &error);
    ASSERT_TRUE(lines.has_value()) << qPrintable(error);
    EXPECT_EQ(lines->size(), 4);
    EXPECT_EQ(lines->at(1), QString::fromUtf8("Second \xc3\xa9"));
    EXPECT_TRUE(lines->at(3).startsWith("bad "));

    EXPECT_FALSE(files.readTextLines(dir.path() + "\\missing.txt", &error).has_value());
    EXPECT_TRUE(error.contains("missing.txt")) << qPrintable(error);
    EXPECT_FALSE(files.readTextLines(dir.path(), &error).has_value()) << "a folder is not text";
}

TEST(LinuxFileSystemTest, DeleteReportsFailure) {
    QTemporaryDir dir;
    LinuxFileSystem files;
    QString error;
    EXPECT_FALSE(files.deleteFile(dir.filePath("none"), &error));
    EXPECT_FALSE(error.isEmpty());
    QFile f(dir.filePath("one"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    EXPECT_TRUE(files.deleteFile(dir.filePath("one"), &error));
    EXPECT_FALSE(QFile::exists(dir.filePath("one")));
}

} // namespace
} // namespace tivrel::test
