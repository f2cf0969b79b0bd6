#include "LanguageSetting.h"

#include <windows.h>

#include "ui/Handles.h"

namespace {

constexpr WideChar kValueName[] = L"Language";

WideString& ProfileKey()
{
    static WideString key;
    return key;
}

WideString SettingsPath()
{
    return L"Software\\" + ProfileKey() + L"\\Orvane\\Settings";
}

} // namespace

void UseProfileKey(const WideString& profileKey)
{
    ProfileKey() = profileKey;
}

Language StoredLanguage()
{
    if (ProfileKey().empty())
        return kEnglish;
    ui::RegistryKey settings;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, SettingsPath().c_str(), 0, KEY_QUERY_VALUE, settings.receive()) !=
        ERROR_SUCCESS)
        return kEnglish;
    DWORD type = 0;
    DWORD value = 0;
    DWORD size = sizeof value;
    LONG read = RegQueryValueExW(settings.get(), kValueName, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    if (read != ERROR_SUCCESS || type != REG_DWORD || size != sizeof value || value >= kLanguageCount)
        return kEnglish;
    return static_cast<Language>(value);
}

void StoreLanguage(Language language)
{
    if (ProfileKey().empty())
        return;
    ui::RegistryKey settings;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, SettingsPath().c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        settings.receive(), nullptr) != ERROR_SUCCESS)
        return;
    DWORD value = static_cast<DWORD>(language);
    RegSetValueExW(settings.get(), kValueName, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}
