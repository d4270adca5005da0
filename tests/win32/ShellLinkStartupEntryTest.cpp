// The start-up link as the shell reads it back: where it is placed, what it starts, and that
// removing takes every copy away.
#include "platform/win32/ShellLinkStartupEntry.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <windows.h>

#include <gtest/gtest.h>

namespace tivrel::test {
namespace {

// The target of the link at `path` as IShellLinkW reads it; empty when it cannot be read.
QString linkTarget(const QString& path) {
    IShellLinkW* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&link))))
        return {};
    QString target;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        wchar_t buffer[MAX_PATH] = {};
        if (SUCCEEDED(
                file->Load(QDir::toNativeSeparators(path).toStdWString().c_str(), STGM_READ)) &&
            SUCCEEDED(link->GetPath(buffer, MAX_PATH, nullptr, SLGP_RAWPATH)))
            target = QString::fromWCharArray(buffer);
        file->Release();
    }
    link->Release();
    return target;
}

bool sameFile(const QString& a, const QString& b) {
    return QDir::toNativeSeparators(a).compare(QDir::toNativeSeparators(b), Qt::CaseInsensitive) ==
           0;
}

enum class AllUsers {
    Writable,
    Missing,         // no such folder on this system
    BlockedByFolder, // a folder of the link's name stands where the link would go
};

struct PlaceCase {
    const char* name;
    AllUsers allUsers;
    bool inAllUsers; // else in the user's own folder
};

const PlaceCase kPlaces[] = {
    {"all_users_writable", AllUsers::Writable, true},
    {"all_users_missing", AllUsers::Missing, false},
    {"all_users_cannot_be_written", AllUsers::BlockedByFolder, false},
};

class StartupLink : public ::testing::Test {
protected:
    StartupLink() { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    ~StartupLink() override { CoUninitialize(); }

    QString allUsersFolder() const { return root.filePath("All Users Startup"); }
    QString userFolder() const { return root.filePath("User Startup"); }
    QString link(const QString& folder) const { return QDir(folder).filePath("Tivrel.lnk"); }
    ShellLinkStartupEntry entry() const {
        return ShellLinkStartupEntry(program, allUsersFolder(), userFolder());
    }

    QTemporaryDir root;
    const QString program = QCoreApplication::applicationFilePath();
};

class StartupLinkPlace : public StartupLink, public ::testing::WithParamInterface<PlaceCase> {};

TEST_P(StartupLinkPlace, GoesForAllUsersWhereItCanElseForTheUserAndStartsTheProgram) {
    const PlaceCase& c = GetParam();
    ASSERT_TRUE(QDir().mkpath(userFolder()));
    if (c.allUsers != AllUsers::Missing) {
        ASSERT_TRUE(QDir().mkpath(allUsersFolder()));
    }
    if (c.allUsers == AllUsers::BlockedByFolder) {
        ASSERT_TRUE(QDir().mkpath(link(allUsersFolder())));
    }

    ShellLinkStartupEntry startup = entry();
    EXPECT_FALSE(startup.exists());
    QString error;
    ASSERT_TRUE(startup.place(&error)) << qPrintable(error);
    const QString placed = link(c.inAllUsers ? allUsersFolder() : userFolder());
    const QString other = link(c.inAllUsers ? userFolder() : allUsersFolder());
    ASSERT_TRUE(QFileInfo(placed).isFile()) << qPrintable(placed);
    EXPECT_FALSE(QFileInfo(other).isFile()) << "a second link in " << qPrintable(other);
    const QString target = linkTarget(placed);
    EXPECT_TRUE(sameFile(target, program))
        << qPrintable(target) << " instead of " << qPrintable(program);
    EXPECT_TRUE(startup.exists());

    ASSERT_TRUE(startup.remove(&error)) << qPrintable(error);
    EXPECT_FALSE(QFileInfo::exists(placed));
    EXPECT_FALSE(startup.exists());
}

INSTANTIATE_TEST_SUITE_P(Folders, StartupLinkPlace, ::testing::ValuesIn(kPlaces),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(StartupLink, NowhereToWriteFailsNamingBothFolders) {
    ASSERT_TRUE(QDir().mkpath(link(userFolder())));
    ShellLinkStartupEntry startup = entry();
    QString error;
    EXPECT_FALSE(startup.place(&error));
    EXPECT_TRUE(error.contains(QDir::toNativeSeparators(allUsersFolder()))) << qPrintable(error);
    EXPECT_TRUE(error.contains(QDir::toNativeSeparators(userFolder()))) << qPrintable(error);
    EXPECT_FALSE(startup.exists());
}

TEST_F(StartupLink, RemoveTakesTheAllUsersAndTheUsersLinkAway) {
    ASSERT_TRUE(QDir().mkpath(allUsersFolder()));
    ASSERT_TRUE(QDir().mkpath(userFolder()));
    QString error;
    // One placed for all users by an administrator, one by the user before that.
    ASSERT_TRUE(ShellLinkStartupEntry(program, QString(), userFolder()).place(&error));
    ASSERT_TRUE(ShellLinkStartupEntry(program, allUsersFolder(), userFolder()).place(&error));
    ASSERT_TRUE(QFileInfo(link(allUsersFolder())).isFile());
    ASSERT_TRUE(QFileInfo(link(userFolder())).isFile());

    ShellLinkStartupEntry startup = entry();
    ASSERT_TRUE(startup.remove(&error)) << qPrintable(error);
    EXPECT_FALSE(QFileInfo::exists(link(allUsersFolder())));
    EXPECT_FALSE(QFileInfo::exists(link(userFolder())));
    EXPECT_FALSE(startup.exists());
}

TEST_F(StartupLink, TheUsersFolderIsTheShellsStartupFolder) {
    wchar_t* known = nullptr;
    ASSERT_TRUE(SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Startup, 0, nullptr, &known)));
    const QString startup = QString::fromWCharArray(known);
    CoTaskMemFree(known);
    ShellLinkStartupEntry entry(program);
    const QStringList folders = entry.folders();
    ASSERT_EQ(folders.size(), 2);
    EXPECT_EQ(
        folders[0],
        QStringLiteral("C:\\Documents and Settings\\All Users\\Start Menu\\Programs\\Startup"));
    EXPECT_TRUE(sameFile(folders[1], startup)) << qPrintable(folders[1]);
}

} // namespace
} // namespace tivrel::test
