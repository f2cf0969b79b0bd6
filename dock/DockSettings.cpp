#include "dock/DockSettings.h"

#include <cctype>
#include <cstdint>

#include "objectstore/S3Settings.h"
#include "station/Secret.h"

namespace {

constexpr const char* kAdministrator = "Administrator";
constexpr const char* kUser = "User";

constexpr const char* kLanguageNames[kLanguageCount] = {"Chinese", "English", "Russian", "Ukrainian"};

constexpr const char* kCompliance = "compliance";
constexpr const char* kGovernance = "governance";

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

std::optional<std::string> ArchiveName(const std::optional<std::string>& value)
{
    if (!value || !IsArchiveName(*value))
        return std::nullopt;
    return value;
}

std::optional<Language> LanguageOf(const std::optional<std::string>& value)
{
    return value ? LanguageNamed(*value) : std::nullopt;
}

bool IsEndpoint(const std::string& url)
{
    objectstore::Endpoint endpoint;
    return url.empty() || objectstore::ParseEndpoint(url, endpoint);
}

// Printable ASCII without spaces, as keys are issued.
bool IsKeyText(const std::string& key)
{
    if (key.empty())
        return false;
    for (char c : key) {
        if (c <= ' ' || c > '~')
            return false;
    }
    return true;
}

// A text `valid` allows; an empty one is no value, so that an empty preset
// locks nothing.
template <class Valid>
std::optional<std::string> TextIf(const std::optional<std::string>& value, const Valid& valid)
{
    if (!value || value->empty() || !valid(*value))
        return std::nullopt;
    return value;
}

std::optional<std::uint32_t> RetainDaysOf(const std::optional<std::uint32_t>& value)
{
    if (!value || *value > kMaxRetainDays)
        return std::nullopt;
    return value;
}

std::optional<bool> IsGovernance(const std::optional<std::string>& mode)
{
    if (mode == kCompliance)
        return false;
    if (mode == kGovernance)
        return true;
    return std::nullopt;
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

bool IsArchiveName(const std::string& name)
{
    objectstore::S3Location location;
    return IsFullWindowsPath(name) || objectstore::ParseS3Url(name, location);
}

bool IsStoreArchive(const std::string& archive)
{
    return objectstore::IsS3Url(archive);
}

DockSettings::~DockSettings()
{
    WipeText(password);
    WipeText(secretKey);
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
    Resolve(settings.archive, bits, Setting::Archive, ArchiveName(presets.archive),
            ArchiveName(operatorValues.archive));
    Resolve(settings.auditFile, bits, Setting::AuditFile, Path(presets.auditFile), Path(operatorValues.auditFile));
    Resolve(settings.formatAfter, bits, Setting::FormatAfter, Flag(presets.formatAfter),
            Flag(operatorValues.formatAfter));
    Resolve(settings.userAccount, bits, Setting::Account, AccountIsUser(presets.account),
            AccountIsUser(operatorValues.account));
    Resolve(settings.language, bits, Setting::Language, LanguageOf(presets.language),
            LanguageOf(operatorValues.language));
    Resolve(settings.maxCopies, bits, Setting::MaxCopies, Copies(presets.maxCopies), Copies(operatorValues.maxCopies));
    Resolve(settings.endpoint, bits, Setting::Endpoint, TextIf(presets.endpoint, IsEndpoint),
            TextIf(operatorValues.endpoint, IsEndpoint));
    Resolve(settings.region, bits, Setting::Region, TextIf(presets.region, objectstore::IsRegionName),
            TextIf(operatorValues.region, objectstore::IsRegionName));
    Resolve(settings.accessKeyId, bits, Setting::AccessKeyId, TextIf(presets.accessKeyId, IsKeyText),
            TextIf(operatorValues.accessKeyId, IsKeyText));
    Resolve(settings.retainDays, bits, Setting::RetainDays, RetainDaysOf(presets.retainDays),
            RetainDaysOf(operatorValues.retainDays));
    Resolve(settings.governance, bits, Setting::LockMode, IsGovernance(presets.lockMode),
            IsGovernance(operatorValues.lockMode));
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
    if (!settings.IsPreset(Setting::Endpoint))
        values.endpoint = settings.endpoint;
    if (!settings.IsPreset(Setting::Region))
        values.region = settings.region;
    if (!settings.IsPreset(Setting::AccessKeyId))
        values.accessKeyId = settings.accessKeyId;
    if (!settings.IsPreset(Setting::RetainDays))
        values.retainDays = settings.retainDays;
    if (!settings.IsPreset(Setting::LockMode))
        values.lockMode = settings.governance ? kGovernance : kCompliance;
    return values;
}

namespace {

SettingsProblem CheckStore(const DockSettings& settings)
{
    if (!IsEndpoint(settings.endpoint))
        return SettingsProblem::Endpoint;
    if (!objectstore::IsRegionName(settings.region))
        return SettingsProblem::Region;
    if (!IsKeyText(settings.accessKeyId))
        return SettingsProblem::AccessKeyId;
    if (settings.secretKey.empty())
        return SettingsProblem::SecretKey;
    if (settings.retainDays > kMaxRetainDays)
        return SettingsProblem::RetainDays;
    return SettingsProblem::None;
}

}  // namespace

SettingsProblem CheckSettings(const DockSettings& settings)
{
    if (!IsArchiveName(settings.archive))
        return SettingsProblem::Archive;
    if (!IsFullWindowsPath(settings.auditFile))
        return SettingsProblem::AuditFile;
    if (settings.password.empty())
        return SettingsProblem::Password;
    if (settings.maxCopies < kMinCopies || settings.maxCopies > kMaxCopies)
        return SettingsProblem::MaxCopies;
    return IsStoreArchive(settings.archive) ? CheckStore(settings) : SettingsProblem::None;
}

station::StoreAccess StoreAccessOf(const DockSettings& settings)
{
    station::StoreAccess access;
    if (!IsStoreArchive(settings.archive))
        return access;
    access.endpoint = settings.endpoint;
    access.region = settings.region;
    access.accessKeyId = settings.accessKeyId;
    access.secretAccessKey = settings.secretKey;
    access.retainDays = static_cast<std::int32_t>(settings.retainDays);
    // A mode locks nothing without days: the bucket's default decides then.
    access.governance = settings.retainDays > 0 && settings.governance;
    return access;
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
    station.store = StoreAccessOf(settings);
    return station;
}
