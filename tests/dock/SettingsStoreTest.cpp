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

class SettingsStoreTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        RegDeleteTreeW(HKEY_CURRENT_USER, kOperatorKey);
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, kPolicyKey);
    }
};

// Every value of the operator's key, its bytes as they are stored.
std::vector<std::string> RawValues()
{
    std::vector<std::string> values;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kOperatorKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return values;
    for (DWORD index = 0;; ++index) {
        wchar_t name[256];
        DWORD nameLength = 256;
        std::vector<BYTE> bytes(4096);
        auto size = static_cast<DWORD>(bytes.size());
        if (RegEnumValueW(key, index, name, &nameLength, nullptr, nullptr, bytes.data(), &size) != ERROR_SUCCESS)
            break;
        values.emplace_back(bytes.begin(), bytes.begin() + size);
    }
    RegCloseKey(key);
    return values;
}

bool HoldsInPlainText(const std::vector<std::string>& values, const std::string& secret)
{
    std::string wide;
    for (char c : secret)
        wide += {c, '\0'};
    for (const std::string& value : values) {
        if (value.find(secret) != std::string::npos || value.find(wide) != std::string::npos)
            return true;
    }
    return false;
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
    settings.endpoint = "https://ceph.local:7480";
    settings.accessKeyId = "AKIDEXAMPLE";
    settings.secretKey = "wJalrXUtnFEMI/K7MDENG";
    settings.retainDays = 2555;
    std::string problem;
    ASSERT_TRUE(settings_store::Save(settings, problem)) << problem;

    std::vector<std::string> raw = RawValues();
    ASSERT_FALSE(raw.empty());
    EXPECT_FALSE(HoldsInPlainText(raw, "pa55word")) << "the password is stored in plain text";
    EXPECT_FALSE(HoldsInPlainText(raw, "wJalrXUtnFEMI/K7MDENG")) << "the secret key is stored in plain text";
    EXPECT_TRUE(HoldsInPlainText(raw, "AKIDEXAMPLE")) << "the check above reads every value";

    DockSettings loaded = settings_store::Load();
    EXPECT_EQ(loaded.archive, "D:\\Evidence");
    EXPECT_EQ(loaded.password, "pa55word");
    EXPECT_FALSE(loaded.formatAfter);
    EXPECT_TRUE(loaded.userAccount);
    EXPECT_EQ(loaded.language, kUkrainian);
    EXPECT_EQ(loaded.maxCopies, 3u);
    EXPECT_EQ(loaded.secretKey, "wJalrXUtnFEMI/K7MDENG");
    EXPECT_EQ(loaded.endpoint, "https://ceph.local:7480");
    EXPECT_EQ(loaded.retainDays, 2555u);
    EXPECT_FALSE(loaded.governance);

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
    EXPECT_EQ(loaded.retainDays, 3650u);
    EXPECT_TRUE(loaded.governance);
    EXPECT_TRUE(loaded.IsPreset(Setting::RetainDays) && loaded.IsPreset(Setting::LockMode));
}

}  // namespace
