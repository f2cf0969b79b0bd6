// The settings through the registry and DPAPI, in the test prefix's own
// keys, which the test removes again.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "dock/SettingsStore.h"

namespace {

constexpr wchar_t kOperatorKey[] = L"Software\\Kestrava\\OrvaneDock";
constexpr wchar_t kPolicyKey[] = L"Software\\Policies\\Kestrava\\OrvaneDock";

// The product's key above ours goes too when nothing else is in it: the
// prefix is shared with the package test, which looks for anything of ours
// left in the registry.
void DeleteWithEmptyParent(HKEY root, const wchar_t* key)
{
    RegDeleteTreeW(root, key);
    std::wstring parent(key);
    parent.erase(parent.rfind(L'\\'));
    HKEY handle = nullptr;
    if (RegOpenKeyExW(root, parent.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS)
        return;
    DWORD keys = 1, values = 1;
    const LONG queried =
        RegQueryInfoKeyW(handle, nullptr, nullptr, nullptr, &keys, nullptr, nullptr, &values, nullptr, nullptr, nullptr,
                         nullptr);
    RegCloseKey(handle);
    if (queried == ERROR_SUCCESS && keys == 0 && values == 0)
        RegDeleteKeyW(root, parent.c_str());
}

class SettingsStoreTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        DeleteWithEmptyParent(HKEY_CURRENT_USER, kOperatorKey);
        DeleteWithEmptyParent(HKEY_LOCAL_MACHINE, kPolicyKey);
    }
};

std::vector<BYTE> RawValue(const wchar_t* name)
{
    std::vector<BYTE> bytes(4096);
    DWORD size = static_cast<DWORD>(bytes.size());
    if (RegGetValueW(HKEY_CURRENT_USER, kOperatorKey, name, RRF_RT_ANY, nullptr, bytes.data(), &size) != ERROR_SUCCESS)
        size = 0;
    bytes.resize(size);
    return bytes;
}

TEST_F(SettingsStoreTest, ThePasswordIsKeptOnlyProtectedAndAPolicyValueWins)
{
    DockSettings settings;
    settings.archive = "D:\\Evidence";
    settings.auditFile = "D:\\audit.jsonl";
    settings.formatAfter = false;
    settings.userAccount = true;
    settings.language = kUkrainian;
    settings.maxCopies = 3;
    settings.password = "pa55word";
    std::string problem;
    ASSERT_TRUE(settings_store::Save(settings, problem)) << problem;

    std::vector<BYTE> blob = RawValue(L"PasswordBlob");
    ASSERT_FALSE(blob.empty());
    std::string raw(blob.begin(), blob.end());
    EXPECT_EQ(raw.find("pa55word"), std::string::npos) << "the password is stored in plain text";

    DockSettings loaded = settings_store::Load();
    EXPECT_EQ(loaded.archive, "D:\\Evidence");
    EXPECT_EQ(loaded.password, "pa55word");
    EXPECT_FALSE(loaded.formatAfter);
    EXPECT_TRUE(loaded.userAccount);
    EXPECT_EQ(loaded.language, kUkrainian);
    EXPECT_EQ(loaded.maxCopies, 3u);

    // What the MSI's ARCHIVE property writes.
    const wchar_t preset[] = L"\\\\it\\evidence";
    ASSERT_EQ(RegSetKeyValueW(HKEY_LOCAL_MACHINE, kPolicyKey, L"Archive", REG_SZ, preset, sizeof preset),
              ERROR_SUCCESS);
    loaded = settings_store::Load();
    EXPECT_EQ(loaded.archive, "\\\\it\\evidence");
    EXPECT_TRUE(loaded.IsPreset(Setting::Archive));
    EXPECT_FALSE(loaded.IsPreset(Setting::AuditFile));
}

}  // namespace
