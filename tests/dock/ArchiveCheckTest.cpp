// "Verify archive" at the dock on a real folder: what it finds, and that
// it ends.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "TempFolder.h"
#include "dock/ArchiveCheck.h"
#include "tests/dock/WaitForCheck.h"
#include "platform/LocalHost.h"

namespace {

TEST(ArchiveCheckTest, AnUnfinishedOffloadAndABrokenBagAreBothReported)
{
    TempFolder archive;
    std::filesystem::path root = std::filesystem::u8path(archive.Path());
    std::filesystem::create_directories(root / "SN1" / "20261209T080102Z.partial" / "data");
    std::filesystem::create_directories(root / "SN2" / "20261209T090000Z" / "data");
    std::ofstream(root / "SN2" / "20261209T090000Z" / "bagit.txt") << "BagIt-Version: 1.0\n";

    platform::LocalHost host;
    ArchiveCheck check(host, archive.Path(), {}, 2);
    ArchiveCheckState state = WaitUntilDone(check);
    ASSERT_EQ(state.lines.size(), 2u);
    EXPECT_EQ(state.bagsDone, 2u);
    EXPECT_EQ(state.lines[0].result, BagCheckLine::Result::Unfinished);
    EXPECT_EQ(state.lines[1].result, BagCheckLine::Result::Invalid);
    EXPECT_FALSE(state.lines[1].why.empty());
    EXPECT_EQ(PathBelow(archive.Path(), state.lines[1].path),
              (std::filesystem::path("SN2") / "20261209T090000Z").u8string());
}

TEST(ArchiveCheckTest, AnArchiveThatCannotBeOpenedIsOneLineSayingWhy)
{
    platform::LocalHost host;
    station::StoreAccess noKeys;
    noKeys.endpoint = "http://127.0.0.1:9";
    ArchiveCheck check(host, "s3://evidence/dock", noKeys, 2);
    ArchiveCheckState state = WaitUntilDone(check);
    ASSERT_EQ(state.lines.size(), 1u);
    EXPECT_EQ(state.lines[0].result, BagCheckLine::Result::Unlisted);
    EXPECT_NE(state.lines[0].why.find("no keys"), std::string::npos) << state.lines[0].why;
}

TEST(ArchiveCheckTest, PathsAreShownBelowTheArchive)
{
    EXPECT_EQ(PathBelow("D:\\A", "D:\\A\\SN1\\bag"), "SN1\\bag");
    EXPECT_EQ(PathBelow("D:\\A\\", "D:\\A\\SN1\\bag"), "SN1\\bag");
    EXPECT_EQ(PathBelow("D:\\A", "D:\\AB\\SN1\\bag"), "D:\\AB\\SN1\\bag");
    EXPECT_EQ(PathBelow("D:\\A", "D:\\A"), "D:\\A");
}

}  // namespace
