// The operator's settings of the dock and IT's presets of them: a preset
// wins, is shown, and cannot be changed at the window. The camera password
// and the store's secret key are never preset. Where values are kept (the registry, protected by the
// user's key) is SettingsStore's business; the rules are here.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "station/Dock.h"
#include "texts/TextTable.h"

enum class Setting {
    Archive,
    AuditFile,
    FormatAfter,
    Account,
    Language,
    MaxCopies,
    // Of an archive in an object store; a folder ignores them.
    Endpoint,
    Region,
    AccessKeyId,
    RetainDays,
    LockMode,
    Count
};

// One place's values as stored, each present or not, not yet checked.
struct StoredSettings {
    std::optional<std::string> archive;
    std::optional<std::string> auditFile;
    std::optional<std::uint32_t> formatAfter;  // 0 or 1
    std::optional<std::string> account;        // "Administrator" or "User"
    std::optional<std::string> language;       // "Chinese", "English", "Russian", "Ukrainian"
    std::optional<std::uint32_t> maxCopies;
    std::optional<std::string> endpoint;  // empty: AWS in `region`
    std::optional<std::string> region;
    std::optional<std::string> accessKeyId;
    std::optional<std::uint32_t> retainDays;  // 0: the bucket's own retention
    std::optional<std::string> lockMode;      // "compliance" or "governance"
};

constexpr unsigned kMinCopies = 1;
constexpr unsigned kMaxCopies = 16;
constexpr std::uint32_t kMaxRetainDays = station::kMaxRetainDays;

struct DockSettings {
    std::string archive;
    std::string auditFile;
    bool formatAfter = true;
    bool userAccount = false;
    Language language = kEnglish;
    unsigned maxCopies = 4;
    std::string password;
    std::string endpoint;
    std::string region;
    std::string accessKeyId;
    std::string secretKey;
    std::uint32_t retainDays = 0;
    bool governance = false;
    unsigned presets = 0;  // a bit per Setting

    DockSettings() = default;
    DockSettings(const DockSettings&) = default;
    DockSettings(DockSettings&&) = default;
    DockSettings& operator=(const DockSettings&) = default;
    DockSettings& operator=(DockSettings&&) = default;
    // Every copy wipes its camera password and secret key.
    ~DockSettings();

    bool IsPreset(Setting setting) const { return (presets >> static_cast<unsigned>(setting)) & 1u; }
};

// The presets over the operator's values over the defaults; the language
// defaults to `productLanguage`, the one the camera program starts in. A
// preset value that is not valid is no preset.
DockSettings ResolveSettings(const StoredSettings& presets, const StoredSettings& operatorValues,
                             Language productLanguage);

// What the operator's key holds: every setting that is not preset.
StoredSettings OperatorValues(const DockSettings& settings);

enum class SettingsProblem {
    None,
    Archive,
    AuditFile,
    Password,
    MaxCopies,
    Endpoint,
    Region,
    AccessKeyId,
    SecretKey,
    RetainDays,
};
// The first thing that keeps the dock from starting with these settings;
// the store's settings only count for an archive in an object store.
SettingsProblem CheckSettings(const DockSettings& settings);

// A drive's path ("D:\\Evidence") or a share's ("\\\\server\\share\\x").
bool IsFullWindowsPath(const std::string& path);
// Such a path, or s3://BUCKET/PREFIX.
bool IsArchiveName(const std::string& name);
bool IsStoreArchive(const std::string& archive);

const char* LanguageName(Language language);
std::optional<Language> LanguageNamed(const std::string& name);

// The store's access is filled only for an archive in an object store: a
// folder asked to lock would be refused.
station::StoreAccess StoreAccessOf(const DockSettings& settings);
station::DockSettings ForStation(const DockSettings& settings);
