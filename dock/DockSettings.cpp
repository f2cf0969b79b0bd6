#include "dock/DockSettings.h"

#include <cctype>

namespace {

constexpr const char* kAdministrator = "Administrator";
constexpr const char* kUser = "User";

constexpr const char* kLanguageNames[kLanguageCount] = {"Chinese", "English", "Russian", "Ukrainian"};

unsigned Bit(Setting setting)
{
    return 1u << static_cast<unsigned>(setting);
}

std::optional<bool> AccountIsUser(const std::optional<std::string>& account)
{
    if (account == kAdministrator)
        return false;
    if (account == kUser)
        return true;
    return std::nullopt;
}

std::optional<bool> Flag(const std::optional<std::uint32_t>& value)
{
    if (!value || *value > 1)
        return std::nullopt;
    return *value == 1;
}

std::optional<unsigned> Copies(const std::optional<std::uint32_t>& value)
{
    if (!value || *value < kMinCopies || *value > kMaxCopies)
        return std::nullopt;
    return *value;
}

std::optional<std::string> Path(const std::optional<std::string>& value)
{
    if (!value || !IsFullWindowsPath(*value))
        return std::nullopt;
    return value;
}

std::optional<Language> LanguageOf(const std::optional<std::string>& value)
{
    return value ? LanguageNamed(*value) : std::nullopt;
}

// The preset's value when it is valid (and marks it preset), else the
// operator's when that one is, else `value` stays.
template <class Value, class Valid>
void Resolve(Value& value, unsigned& presets, Setting setting, const Valid& preset, const Valid& operatorValue)
{
    if (preset) {
        value = *preset;
        presets |= Bit(setting);
        return;
    }
    if (operatorValue)
        value = *operatorValue;
}

}  // namespace

bool IsFullWindowsPath(const std::string& path)
{
    auto separator = [](char c) { return c == '\\' || c == '/'; };
    if (path.size() >= 3 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':' && separator(path[2]))
        return true;
    // \\server\share: both named.
    if (path.size() < 5 || !separator(path[0]) || !separator(path[1]) || separator(path[2]))
        return false;
    std::size_t shareStart = path.find_first_of("\\/", 2);
    return shareStart != std::string::npos && shareStart + 1 < path.size() && !separator(path[shareStart + 1]);
}

const char* LanguageName(Language language)
{
    auto index = static_cast<std::size_t>(language);
    return index < kLanguageCount ? kLanguageNames[index] : kLanguageNames[kEnglish];
}

std::optional<Language> LanguageNamed(const std::string& name)
{
    for (std::size_t index = 0; index < kLanguageCount; ++index) {
        if (name == kLanguageNames[index])
            return static_cast<Language>(index);
    }
    return std::nullopt;
}

DockSettings ResolveSettings(const StoredSettings& presets, const StoredSettings& operatorValues,
                             Language productLanguage)
{
    DockSettings settings;
    settings.language = productLanguage;
    unsigned& bits = settings.presets;
    Resolve(settings.archive, bits, Setting::Archive, Path(presets.archive), Path(operatorValues.archive));
    Resolve(settings.auditFile, bits, Setting::AuditFile, Path(presets.auditFile), Path(operatorValues.auditFile));
    Resolve(settings.formatAfter, bits, Setting::FormatAfter, Flag(presets.formatAfter),
            Flag(operatorValues.formatAfter));
    Resolve(settings.userAccount, bits, Setting::Account, AccountIsUser(presets.account),
            AccountIsUser(operatorValues.account));
    Resolve(settings.language, bits, Setting::Language, LanguageOf(presets.language),
            LanguageOf(operatorValues.language));
    Resolve(settings.maxCopies, bits, Setting::MaxCopies, Copies(presets.maxCopies), Copies(operatorValues.maxCopies));
    return settings;
}

StoredSettings OperatorValues(const DockSettings& settings)
{
    StoredSettings values;
    if (!settings.IsPreset(Setting::Archive))
        values.archive = settings.archive;
    if (!settings.IsPreset(Setting::AuditFile))
        values.auditFile = settings.auditFile;
    if (!settings.IsPreset(Setting::FormatAfter))
        values.formatAfter = settings.formatAfter ? 1 : 0;
    if (!settings.IsPreset(Setting::Account))
        values.account = settings.userAccount ? kUser : kAdministrator;
    if (!settings.IsPreset(Setting::Language))
        values.language = LanguageName(settings.language);
    if (!settings.IsPreset(Setting::MaxCopies))
        values.maxCopies = settings.maxCopies;
    return values;
}

SettingsProblem CheckSettings(const DockSettings& settings)
{
    if (!IsFullWindowsPath(settings.archive))
        return SettingsProblem::Archive;
    if (!IsFullWindowsPath(settings.auditFile))
        return SettingsProblem::AuditFile;
    if (settings.password.empty())
        return SettingsProblem::Password;
    if (settings.maxCopies < kMinCopies || settings.maxCopies > kMaxCopies)
        return SettingsProblem::MaxCopies;
    return SettingsProblem::None;
}

station::DockSettings ForStation(const DockSettings& settings)
{
    station::DockSettings station;
    station.archive = settings.archive;
    station.auditPath = settings.auditFile;
    station.formatAfter = settings.formatAfter;
    station.userAccount = settings.userAccount;
    station.password = settings.password;
    station.maxCopies = settings.maxCopies;
    return station;
}
