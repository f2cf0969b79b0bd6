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
    StoredSettings mine;
    mine.archive = "D:\\Mine";
    mine.auditFile = "D:\\audit.jsonl";
    mine.formatAfter = 1;
    mine.account = "User";
    mine.maxCopies = 2;

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

    // What is saved for the operator leaves the presets alone.
    StoredSettings saved = OperatorValues(settings);
    EXPECT_FALSE(saved.archive);
    EXPECT_FALSE(saved.formatAfter);
    EXPECT_EQ(saved.account, "User");
    EXPECT_EQ(saved.language, "Russian");
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

}  // namespace
