// IT's presets over the operator's values over the defaults, and what keeps
// the dock from starting.
#include <gtest/gtest.h>

#include "dock/DockSettings.h"

namespace {

TEST(DockSettingsTest, PresetsWinAndOnlyValidOnesCount)
{
    StoredSettings presets;
    presets.archive = "\\\\evidence\\cams";
    presets.formatAfter = 0;
    presets.account = "Operator";  // no account: not a preset
    presets.maxCopies = 99;        // out of range: not a preset
    presets.endpoint = "https://ceph.local:7480";
    presets.region = "";                       // empty: not a preset
    presets.retainDays = kMaxRetainDays + 1;  // out of range: not a preset
    presets.lockMode = "governance";
    StoredSettings mine;
    mine.archive = "D:\\Mine";
    mine.auditFile = "D:\\audit.jsonl";
    mine.formatAfter = 1;
    mine.account = "User";
    mine.maxCopies = 2;
    mine.endpoint = "http://elsewhere";
    mine.region = "zg-1";
    mine.retainDays = 365;
    mine.lockMode = "compliance";

    DockSettings settings = ResolveSettings(presets, mine, kRussian);
    EXPECT_EQ(settings.archive, "\\\\evidence\\cams");
    EXPECT_TRUE(settings.IsPreset(Setting::Archive));
    EXPECT_FALSE(settings.formatAfter);
    EXPECT_TRUE(settings.IsPreset(Setting::FormatAfter));
    EXPECT_TRUE(settings.userAccount);
    EXPECT_FALSE(settings.IsPreset(Setting::Account));
    EXPECT_EQ(settings.maxCopies, 2u);
    EXPECT_FALSE(settings.IsPreset(Setting::MaxCopies));
    EXPECT_EQ(settings.auditFile, "D:\\audit.jsonl");
    EXPECT_EQ(settings.language, kRussian);  // none stored: the camera program's
    EXPECT_EQ(settings.endpoint, "https://ceph.local:7480");
    EXPECT_EQ(settings.region, "zg-1");
    EXPECT_EQ(settings.retainDays, 365u);
    EXPECT_TRUE(settings.governance && settings.IsPreset(Setting::LockMode));

    // What is saved for the operator leaves the presets alone.
    StoredSettings saved = OperatorValues(settings);
    EXPECT_FALSE(saved.archive);
    EXPECT_FALSE(saved.formatAfter);
    EXPECT_EQ(saved.account, "User");
    EXPECT_EQ(saved.language, "Russian");
    EXPECT_FALSE(saved.endpoint);
    EXPECT_EQ(saved.retainDays, 365u);
}

TEST(DockSettingsTest, DefaultsFormatAfterAsAdministratorWithFourCopies)
{
    DockSettings settings = ResolveSettings({}, {}, kEnglish);
    EXPECT_TRUE(settings.formatAfter);
    EXPECT_FALSE(settings.userAccount);
    EXPECT_EQ(settings.maxCopies, 4u);
    EXPECT_EQ(settings.presets, 0u);
    EXPECT_EQ(CheckSettings(settings), SettingsProblem::Archive);  // the first start asks
}

TEST(DockSettingsTest, TheFirstProblemKeepsTheDockFromStarting)
{
    struct Row {
        const char* archive;
        const char* audit;
        const char* password;
        unsigned copies;
        SettingsProblem problem;
    };
    const Row rows[] = {
        {"D:\\Evidence", "C:\\audit.jsonl", "secret", 4, SettingsProblem::None},
        {"\\\\server\\share", "\\\\server\\share\\audit.jsonl", "secret", 16, SettingsProblem::None},
        {"Evidence", "C:\\audit.jsonl", "secret", 4, SettingsProblem::Archive},
        {"D:", "C:\\audit.jsonl", "secret", 4, SettingsProblem::Archive},
        {"\\\\server", "C:\\audit.jsonl", "secret", 4, SettingsProblem::Archive},
        {"D:\\Evidence", "", "secret", 4, SettingsProblem::AuditFile},
        {"D:\\Evidence", "C:\\audit.jsonl", "", 4, SettingsProblem::Password},
        {"D:\\Evidence", "C:\\audit.jsonl", "secret", 0, SettingsProblem::MaxCopies},
        {"D:\\Evidence", "C:\\audit.jsonl", "secret", 17, SettingsProblem::MaxCopies},
    };
    for (const Row& row : rows) {
        DockSettings settings;
        settings.archive = row.archive;
        settings.auditFile = row.audit;
        settings.password = row.password;
        settings.maxCopies = row.copies;
        EXPECT_EQ(CheckSettings(settings), row.problem) << row.archive << " " << row.audit << " " << row.copies;
    }
}

TEST(DockSettingsTest, AStoreArchiveNeedsItsKeysAndASaneLockWhereAFolderIgnoresThem)
{
    struct Row {
        const char* archive;
        const char* endpoint;
        const char* region;
        const char* keyId;
        const char* secret;
        std::uint32_t days;
        SettingsProblem problem;
    };
    const Row rows[] = {
        {"s3://evidence/cams", "", "", "AKID", "s3cr3t", 0, SettingsProblem::None},
        {"s3://evidence", "https://ceph.local:7480", "zg-1", "AKID", "s3cr3t", kMaxRetainDays, SettingsProblem::None},
        {"s3://Bad_Bucket/cams", "", "", "AKID", "s3cr3t", 0, SettingsProblem::Archive},
        {"s3://evidence", "ftp://ceph.local", "", "AKID", "s3cr3t", 0, SettingsProblem::Endpoint},
        {"s3://evidence", "https://ceph.local/cams", "", "AKID", "s3cr3t", 0, SettingsProblem::Endpoint},
        {"s3://evidence", "", "eu-west-1.evil.example/", "AKID", "s3cr3t", 0, SettingsProblem::Region},
        {"s3://evidence", "", "", "AK ID", "s3cr3t", 0, SettingsProblem::AccessKeyId},
        {"s3://evidence", "", "", "AKID", "", 0, SettingsProblem::SecretKey},
        {"s3://evidence", "", "", "AKID", "s3cr3t", kMaxRetainDays + 1, SettingsProblem::RetainDays},
        {"D:\\Evidence", "ftp://x", "eu west", "", "", kMaxRetainDays + 1, SettingsProblem::None},
    };
    for (const Row& row : rows) {
        DockSettings settings;
        settings.archive = row.archive;
        settings.auditFile = "C:\\audit.jsonl";
        settings.password = "secret";
        settings.endpoint = row.endpoint;
        settings.region = row.region;
        settings.accessKeyId = row.keyId;
        settings.secretKey = row.secret;
        settings.retainDays = row.days;
        EXPECT_EQ(CheckSettings(settings), row.problem) << row.archive << " " << row.endpoint << " " << row.region;
        // A folder asked to lock would be refused, and has no use for keys.
        station::StoreAccess access = ForStation(settings).store;
        EXPECT_EQ(access.secretAccessKey, IsStoreArchive(row.archive) ? row.secret : "") << row.archive;
        EXPECT_EQ(access.retainDays, IsStoreArchive(row.archive) ? static_cast<std::int32_t>(row.days) : 0);
    }
}

}  // namespace
