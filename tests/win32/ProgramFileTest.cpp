// tivrel.exe as Explorer, the Start menu and "Apps & features" read it: the icon in each
// size they ask for, decoded by the system itself, and the version the installer records.
#include "ProgramFile.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tivrel::test {
namespace {

// The program file loaded for its resources only.
class ProgramResources : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override {
        const std::wstring file = programFile();
        ASSERT_FALSE(file.empty()) << "TIVREL_PROGRAM_FILE is not set";
        module = LoadLibraryExW(file.c_str(), nullptr,
                                LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        ASSERT_TRUE(module) << "cannot load the program file, error " << GetLastError();
    }
    void TearDown() override {
        if (module)
            FreeLibrary(module);
    }

    // The first icon group of the file: the one Explorer shows.
    std::wstring firstIconGroup() const {
        std::wstring name;
        EnumResourceNamesW(
            module, MAKEINTRESOURCEW(14) /* RT_GROUP_ICON */,
            [](HMODULE, LPCWSTR, LPWSTR found, LONG_PTR data) -> BOOL {
                auto& out = *reinterpret_cast<std::wstring*>(data);
                out = IS_INTRESOURCE(found) ? L"#" + std::to_wstring(ULONG_PTR(found)) : found;
                return FALSE;
            },
            reinterpret_cast<LONG_PTR>(&name));
        return name;
    }

    HMODULE module = nullptr;
};

TEST_P(ProgramResources, TheIconHasThisSizeAndTheSystemDrawsIt) {
    const int side = GetParam();
    const std::wstring group = firstIconGroup();
    ASSERT_FALSE(group.empty()) << "the program file has no icon";
    HRSRC groupResource = FindResourceW(module, group.c_str(), MAKEINTRESOURCEW(14));
    ASSERT_TRUE(groupResource);
    auto* directory = static_cast<BYTE*>(LockResource(LoadResource(module, groupResource)));
    ASSERT_TRUE(directory);

    const int id = LookupIconIdFromDirectoryEx(directory, TRUE, side, side, LR_DEFAULTCOLOR);
    ASSERT_GT(id, 0) << "no icon in the group for " << side << " pixels";
    HRSRC iconResource = FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(3));
    ASSERT_TRUE(iconResource);
    auto* bytes = static_cast<BYTE*>(LockResource(LoadResource(module, iconResource)));
    const DWORD size = SizeofResource(module, iconResource);
    HICON icon =
        CreateIconFromResourceEx(bytes, size, TRUE, 0x00030000, side, side, LR_DEFAULTCOLOR);
    ASSERT_TRUE(icon) << "the system cannot decode the " << side << "-pixel icon";
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    BITMAP colour{};
    GetObjectW(info.hbmColor, sizeof colour, &colour);
    EXPECT_EQ(colour.bmWidth, side);
    EXPECT_EQ(colour.bmHeight, side);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    DestroyIcon(icon);
}

// The small icon of lists and the tray, the Start menu's, Explorer's large and huge icons.
INSTANTIATE_TEST_SUITE_P(Sizes, ProgramResources, ::testing::Values(16, 32, 48, 256));

TEST(ProgramVersion, TheFileCarriesTheVersionTheInstallerRecords) {
    const std::wstring file = programFile();
    ASSERT_FALSE(file.empty()) << "TIVREL_PROGRAM_FILE is not set";
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(file.c_str(), &ignored);
    ASSERT_GT(size, 0u) << "no version information, error " << GetLastError();
    std::vector<BYTE> data(size);
    ASSERT_TRUE(GetFileVersionInfoW(file.c_str(), 0, size, data.data()));

    const auto text = [&](const wchar_t* name) {
        wchar_t* value = nullptr;
        UINT length = 0;
        const std::wstring path = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
        if (!VerQueryValueW(data.data(), path.c_str(), reinterpret_cast<void**>(&value), &length) ||
            !value)
            return std::wstring();
        return std::wstring(value);
    };
    const std::string version = TIVREL_VERSION;
    EXPECT_EQ(text(L"ProductVersion"), std::wstring(version.begin(), version.end()));
    EXPECT_EQ(text(L"FileVersion"), std::wstring(version.begin(), version.end()));
    EXPECT_EQ(text(L"ProductName"), L"Tivrel");
    EXPECT_EQ(text(L"OriginalFilename"), L"tivrel.exe");

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    ASSERT_TRUE(fixed);
    const std::string numbers = std::to_string(HIWORD(fixed->dwFileVersionMS)) + "." +
                                std::to_string(LOWORD(fixed->dwFileVersionMS)) + "." +
                                std::to_string(HIWORD(fixed->dwFileVersionLS));
    EXPECT_EQ(numbers, version);
}

} // namespace
} // namespace tivrel::test
