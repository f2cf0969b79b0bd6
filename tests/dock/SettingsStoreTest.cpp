// The settings through the registry and DPAPI, in the test prefix's own
// keys, which the test removes again.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

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

// Whether any value of the operator's key holds `secret` as it was given,
// in UTF-8 or UTF-16.
bool KeptInPlainText(const std::string& secret)
{
    std::string wide;
    for (char c : secret)
        wide += {c, '\0'};
    HKEY key = nullptr;
    RegOpenKeyExW(HKEY_CURRENT_USER, kOperatorKey, 0, KEY_QUERY_VALUE, &key);
    bool found = false;
    std::string bytes(4096, '\0');
    wchar_t name[256];
    for (DWORD index = 0, nameLength = 256, size = 4096;
         RegEnumValueW(key, index, name, &nameLength, nullptr, nullptr, reinterpret_cast<BYTE*>(&bytes[0]), &size)
         == ERROR_SUCCESS;
         ++index, nameLength = 256, size = 4096) {
        std::string value = bytes.substr(0, size);
        found = found || value.find(secret) != std::string::npos || value.find(wide) != std::string::npos;
    }
    RegCloseKey(key);
    return found;
}

TEST_F(SettingsStoreTest, TheSecretsAreKeptOnlyProtectedAndAPolicyValueWins)
{
    DockSettings settings;
    settings.archive = "D:\\Evidence";
    settings.auditFile = "D:\\audit.jsonl";
    settings.formatAfter = false;
    settings.userAccount = true;
    settings.language = kUkrainian;
    settings.maxCopies = 3;
    settings.password = "pa55word";
    settings.accessKeyId = "AKIDEXAMPLE";
    settings.secretKey = "wJalrXUtnFEMI/K7MDENG";
    settings.retainDays = 2555;
    std::string problem;
    ASSERT_TRUE(settings_store::Save(settings, problem)) << problem;

    EXPECT_FALSE(KeptInPlainText("pa55word")) << "the password is stored in plain text";
    EXPECT_FALSE(KeptInPlainText("wJalrXUtnFEMI/K7MDENG")) << "the secret key is stored in plain text";
    EXPECT_TRUE(KeptInPlainText("AKIDEXAMPLE")) << "the check reads every value";

    DockSettings loaded = settings_store::Load();
    EXPECT_EQ(loaded.archive, "D:\\Evidence");
    EXPECT_EQ(loaded.password, "pa55word");
    EXPECT_FALSE(loaded.formatAfter);
    EXPECT_TRUE(loaded.userAccount);
    EXPECT_EQ(loaded.language, kUkrainian);
    EXPECT_EQ(loaded.maxCopies, 3u);
    EXPECT_EQ(loaded.secretKey, "wJalrXUtnFEMI/K7MDENG");
    EXPECT_EQ(loaded.retainDays, 2555u);

    // What the MSI's ARCHIVE property writes.
    const wchar_t preset[] = L"\\\\it\\evidence";
    ASSERT_EQ(RegSetKeyValueW(HKEY_LOCAL_MACHINE, kPolicyKey, L"Archive", REG_SZ, preset, sizeof preset),
              ERROR_SUCCESS);
    loaded = settings_store::Load();
    EXPECT_EQ(loaded.archive, "\\\\it\\evidence");
    EXPECT_TRUE(loaded.IsPreset(Setting::Archive));
    EXPECT_FALSE(loaded.IsPreset(Setting::AuditFile));

    // IT's lock, as a department's policy writes it.
    const DWORD days = 3650;
    const wchar_t governance[] = L"governance";
    ASSERT_EQ(RegSetKeyValueW(HKEY_LOCAL_MACHINE, kPolicyKey, L"RetainDays", REG_DWORD, &days, sizeof days),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetKeyValueW(HKEY_LOCAL_MACHINE, kPolicyKey, L"LockMode", REG_SZ, governance, sizeof governance),
              ERROR_SUCCESS);
    loaded = settings_store::Load();
    EXPECT_TRUE(loaded.retainDays == 3650 && loaded.governance && loaded.IsPreset(Setting::LockMode));
}

}  // namespace
