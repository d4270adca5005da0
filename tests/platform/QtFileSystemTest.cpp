#include "platform/qt/QtFileSystem.h"

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

// The real files in a program folder of the case's name.
class ProgramFolderFiles final : public FileSystem {
public:
    explicit ProgramFolderFiles(QString folder) : m_folder(std::move(folder)) {}
    QString programFolder() override { return m_folder; }
    std::optional<QStringList> readTextLines(const QString& path, QString* error) override {
        return m_real.readTextLines(path, error);
    }

private:
    QString m_folder;
    QtFileSystem m_real;
};

class ProgramFolderNameTest : public ::testing::TestWithParam<const char*> {};

// A file beside the program is found whatever characters the folder's name holds.
TEST_P(ProgramFolderNameTest, FileBesideTheProgramIsFound) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString folder = dir.filePath(QString::fromUtf8(GetParam()));
    ASSERT_TRUE(QDir().mkpath(folder));
    QFile terms(folder + "/EULA.txt");
    ASSERT_TRUE(terms.open(QIODevice::WriteOnly) && terms.write("Terms\r\n"));
    terms.close();
    ProgramFolderFiles files(folder);
    QString error;
    const auto lines = files.readTextLines(files.programFile("EULA.txt"), &error);
    ASSERT_TRUE(lines) << qPrintable(error);
    EXPECT_EQ(*lines, QStringList{"Terms"});
}

INSTANTIATE_TEST_SUITE_P(Names, ProgramFolderNameTest,
                         ::testing::Values("plain", "back\\slash", "ends in a backslash\\",
                                           "line\nbreak", "tab\tand\rcr"));

TEST(ProgramFileTest, AtTheRootNoSeparatorIsAdded) {
    EXPECT_EQ(ProgramFolderFiles("/").programFile("EULA.txt"), "/EULA.txt");
}

TEST(QtFileSystemTest, ReadsLinesAndNamesAFileItCannotRead) {
    QTemporaryDir dir;
    const QString path = dir.filePath("EULA.txt");
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("First\r\nSecond \xc3\xa9\rThird\nbad \xff byte\0end");
    f.close();
    QtFileSystem files;
    QString error;
    const auto lines = files.readTextLines(dir.filePath("EULA.txt"), &error);
    ASSERT_TRUE(lines.has_value()) << qPrintable(error);
    EXPECT_EQ(lines->size(), 4);
    EXPECT_EQ(lines->at(1), QString::fromUtf8("Second \xc3\xa9"));
    EXPECT_TRUE(lines->at(3).startsWith("bad "));

    EXPECT_FALSE(files.readTextLines(dir.filePath("missing.txt"), &error).has_value());
    EXPECT_TRUE(error.contains("missing.txt")) << qPrintable(error);
    EXPECT_FALSE(files.readTextLines(dir.path(), &error).has_value()) << "a folder is not text";
}

} // namespace
} // namespace tivrel::test
