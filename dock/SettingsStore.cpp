#include "dock/SettingsStore.h"

#include <windows.h>
#include <dpapi.h>

#include <vector>

#include "LanguageSetting.h"
#include "platform/WindowsPaths.h"
#include "ui/Handles.h"

namespace settings_store {
namespace {

constexpr wchar_t kOperatorKey[] = L"Software\\Kestrava\\OrvaneDock";
constexpr wchar_t kPolicyKey[] = L"Software\\Policies\\Kestrava\\OrvaneDock";
// The camera program's profile key, under which it keeps its language.
constexpr wchar_t kProductProfileKey[] = L"应用程序向导生成的本地应用程序";

constexpr wchar_t kArchive[] = L"Archive";
constexpr wchar_t kAuditFile[] = L"AuditFile";
constexpr wchar_t kFormatAfter[] = L"FormatAfter";
constexpr wchar_t kAccount[] = L"Account";
constexpr wchar_t kLanguage[] = L"Language";
constexpr wchar_t kMaxCopies[] = L"MaxCopies";
constexpr wchar_t kEndpoint[] = L"S3Endpoint";
constexpr wchar_t kRegion[] = L"S3Region";
constexpr wchar_t kAccessKeyId[] = L"S3AccessKeyId";
constexpr wchar_t kRetainDays[] = L"RetainDays";
constexpr wchar_t kLockMode[] = L"LockMode";
// Only in the operator's key, each only as DPAPI's protection of it.
constexpr wchar_t kPasswordBlob[] = L"PasswordBlob";
constexpr wchar_t kSecretKeyBlob[] = L"S3SecretKeyBlob";

// A value's bytes and type; empty when it is missing.
bool ReadValue(HKEY key, const wchar_t* name, DWORD wantedType, std::vector<BYTE>& bytes)
{
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS || type != wantedType)
        return false;
    bytes.assign(size, 0);
    if (RegQueryValueExW(key, name, nullptr, &type, bytes.data(), &size) != ERROR_SUCCESS || type != wantedType)
        return false;
    bytes.resize(size);
    return true;
}

std::optional<std::string> ReadText(HKEY key, const wchar_t* name)
{
    std::vector<BYTE> bytes;
    if (!ReadValue(key, name, REG_SZ, bytes))
        return std::nullopt;
    std::wstring text(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
    while (!text.empty() && text.back() == L'\0')
        text.pop_back();
    return platform::Narrow(text);
}

std::optional<std::uint32_t> ReadNumber(HKEY key, const wchar_t* name)
{
    std::vector<BYTE> bytes;
    if (!ReadValue(key, name, REG_DWORD, bytes) || bytes.size() != sizeof(DWORD))
        return std::nullopt;
    DWORD value = 0;
    memcpy(&value, bytes.data(), sizeof value);
    return value;
}

StoredSettings ReadKey(HKEY root, const wchar_t* path)
{
    StoredSettings values;
    ui::RegistryKey key;
    if (RegOpenKeyExW(root, path, 0, KEY_QUERY_VALUE, key.receive()) != ERROR_SUCCESS)
        return values;
    values.archive = ReadText(key.get(), kArchive);
    values.auditFile = ReadText(key.get(), kAuditFile);
    values.formatAfter = ReadNumber(key.get(), kFormatAfter);
    values.account = ReadText(key.get(), kAccount);
    values.language = ReadText(key.get(), kLanguage);
    values.maxCopies = ReadNumber(key.get(), kMaxCopies);
    values.endpoint = ReadText(key.get(), kEndpoint);
    values.region = ReadText(key.get(), kRegion);
    values.accessKeyId = ReadText(key.get(), kAccessKeyId);
    values.retainDays = ReadNumber(key.get(), kRetainDays);
    values.lockMode = ReadText(key.get(), kLockMode);
    return values;
}

// A secret as DPAPI gave it back for this user; empty when there is none
// or it cannot be unprotected (another user's, another machine's).
std::string ReadProtected(HKEY key, const wchar_t* name)
{
    std::vector<BYTE> blob;
    if (!ReadValue(key, name, REG_BINARY, blob) || blob.empty())
        return std::string();
    DATA_BLOB in{static_cast<DWORD>(blob.size()), blob.data()};
    DATA_BLOB out{};
    if (!CryptUnprotectData(&in, nullptr, nullptr, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, &out))
        return std::string();
    std::string secret(reinterpret_cast<const char*>(out.pbData), out.cbData);
    SecureZeroMemory(out.pbData, out.cbData);
    LocalFree(out.pbData);
    return secret;
}

bool WriteText(HKEY key, const wchar_t* name, const std::optional<std::string>& value)
{
    if (!value)
        return true;
    std::wstring text = platform::Wide(*value);
    auto bytes = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()), bytes) == ERROR_SUCCESS;
}

bool WriteNumber(HKEY key, const wchar_t* name, const std::optional<std::uint32_t>& value)
{
    if (!value)
        return true;
    DWORD number = *value;
    return RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number)
           == ERROR_SUCCESS;
}

bool WriteProtected(HKEY key, const wchar_t* name, const std::string& secret)
{
    DATA_BLOB in{static_cast<DWORD>(secret.size()), reinterpret_cast<BYTE*>(const_cast<char*>(secret.data()))};
    DATA_BLOB out{};
    if (!CryptProtectData(&in, L"OrvaneDock", nullptr, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, &out))
        return false;
    bool written = RegSetValueExW(key, name, 0, REG_BINARY, out.pbData, out.cbData) == ERROR_SUCCESS;
    LocalFree(out.pbData);
    return written;
}

}  // namespace

DockSettings Load()
{
    UseProfileKey(kProductProfileKey);
    DockSettings settings = ResolveSettings(ReadKey(HKEY_LOCAL_MACHINE, kPolicyKey),
                                            ReadKey(HKEY_CURRENT_USER, kOperatorKey), StoredLanguage());
    ui::RegistryKey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kOperatorKey, 0, KEY_QUERY_VALUE, key.receive()) == ERROR_SUCCESS) {
        settings.password = ReadProtected(key.get(), kPasswordBlob);
        settings.secretKey = ReadProtected(key.get(), kSecretKeyBlob);
    }
    return settings;
}

bool Save(const DockSettings& settings, std::string& problem)
{
    ui::RegistryKey key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kOperatorKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.receive(),
                        nullptr)
        != ERROR_SUCCESS) {
        problem = "the settings' key cannot be created";
        return false;
    }
    StoredSettings values = OperatorValues(settings);
    bool written = WriteText(key.get(), kArchive, values.archive) && WriteText(key.get(), kAuditFile, values.auditFile)
                   && WriteNumber(key.get(), kFormatAfter, values.formatAfter)
                   && WriteText(key.get(), kAccount, values.account)
                   && WriteText(key.get(), kLanguage, values.language)
                   && WriteNumber(key.get(), kMaxCopies, values.maxCopies)
                   && WriteText(key.get(), kEndpoint, values.endpoint) && WriteText(key.get(), kRegion, values.region)
                   && WriteText(key.get(), kAccessKeyId, values.accessKeyId)
                   && WriteNumber(key.get(), kRetainDays, values.retainDays)
                   && WriteText(key.get(), kLockMode, values.lockMode);
    if (!written) {
        problem = "a setting cannot be written";
        return false;
    }
    if (!WriteProtected(key.get(), kPasswordBlob, settings.password)) {
        problem = "the password cannot be protected";
        return false;
    }
    if (!WriteProtected(key.get(), kSecretKeyBlob, settings.secretKey)) {
        problem = "the secret key cannot be protected";
        return false;
    }
    return true;
}

}  // namespace settings_store
