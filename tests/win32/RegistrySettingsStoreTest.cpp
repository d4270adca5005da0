// Settings as the registry holds them: the key and value names another tool (or an
// administrator's policy script) would look for.
#include "platform/win32/RegistrySettingsStore.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace tivrel::test {
namespace {

// The string value `name` of HKEY_CURRENT_USER\`key`, read without Qt.
std::optional<std::wstring> registryString(const std::wstring& key, const std::wstring& name) {
    wchar_t data[512];
    DWORD size = sizeof data;
    DWORD type = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name.c_str(), RRF_RT_ANY, &type, data,
                     &size) != ERROR_SUCCESS ||
        type != REG_SZ)
        return std::nullopt;
    return std::wstring(data);
}

void deleteKey(const std::wstring& key) {
    RegDeleteTreeW(HKEY_CURRENT_USER, key.c_str());
}

struct StoredCase {
    const char* name;
    const char* section;
    const char* key;
    const char* value;
    const wchar_t* registryKey; // under HKEY_CURRENT_USER
    const wchar_t* valueName;
};

// Where each value the program stores lands, below the store's own key.
const StoredCase kStored[] = {
    {"terms", "EULA", "TrialRead", "ACCEPTED", L"Software\\TivrelTest\\EULA", L"TrialRead"},
    {"start_up_visibility", "Auto-Hide", "Show", "1", L"Software\\TivrelTest\\Auto-Hide", L"Show"},
    {"blanks_kept", "Auto-Hide", "Show", " 0 ", L"Software\\TivrelTest\\Auto-Hide", L"Show"},
    {"empty", "EULA", "TrialRead", "", L"Software\\TivrelTest\\EULA", L"TrialRead"},
};

class RegistryStored : public ::testing::TestWithParam<StoredCase> {
protected:
    ~RegistryStored() override { deleteKey(L"Software\\TivrelTest"); }
};

TEST_P(RegistryStored, UnderTheSectionsKeyAsAString) {
    const StoredCase& c = GetParam();
    RegistrySettingsStore store(QStringLiteral("HKEY_CURRENT_USER\\Software\\TivrelTest"));
    QString error;
    ASSERT_TRUE(store.write(c.section, c.key, c.value, &error)) << qPrintable(error);
    const auto stored = registryString(c.registryKey, c.valueName);
    ASSERT_TRUE(stored) << "no string value at the expected key";
    EXPECT_EQ(QString::fromStdWString(*stored), QString::fromUtf8(c.value));
    EXPECT_EQ(RegistrySettingsStore(QStringLiteral("HKEY_CURRENT_USER\\Software\\TivrelTest"))
                  .read(c.section, c.key),
              QString::fromUtf8(c.value));
}

INSTANTIATE_TEST_SUITE_P(Values, RegistryStored, ::testing::ValuesIn(kStored),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(RegistrySettingsStoreTest, TheProgramsStoreIsTheUsersSoftwareTivrelKey) {
    deleteKey(L"Software\\Tivrel");
    RegistrySettingsStore store;
    QString error;
    ASSERT_TRUE(store.write("EULA", "TrialRead", "ACCEPTED", &error)) << qPrintable(error);
    const auto stored = registryString(L"Software\\Tivrel\\EULA", L"TrialRead");
    deleteKey(L"Software\\Tivrel");
    ASSERT_TRUE(stored);
    EXPECT_EQ(*stored, L"ACCEPTED");
}

TEST(RegistrySettingsStoreTest, AbsentReadsAsEmptyAndANumberSetByHandAsItsDigits) {
    deleteKey(L"Software\\TivrelTest");
    RegistrySettingsStore store(QStringLiteral("HKEY_CURRENT_USER\\Software\\TivrelTest"));
    EXPECT_EQ(store.read("Auto-Hide", "Show"), QString());
    const DWORD one = 1;
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\TivrelTest\\Auto-Hide", L"Show",
                              REG_DWORD, &one, sizeof one),
              ERROR_SUCCESS);
    EXPECT_EQ(store.read("Auto-Hide", "Show"), QStringLiteral("1"));
    deleteKey(L"Software\\TivrelTest");
}

} // namespace
} // namespace tivrel::test
