// The offload's rules, portable: the card among the drives, the card's
// files against the bags, a bag tied to its line of the audit trail.
#include <gtest/gtest.h>

#include "custody/CardContents.h"
#include "station/BagAudit.h"
#include "station/CardSearch.h"
#include "station/FormatCheck.h"

namespace {

using Drives = std::vector<std::string>;

TEST(CardSearch, OnlyASingleNewDriveIsTheCard)
{
    const struct {
        const char* name;
        Drives before, now;
        CardFound found;
        std::string card;
        Drives several;
    } cases[] = {
        {"nothing new", {"C:\\", "D:\\"}, {"C:\\", "D:\\"}, CardFound::NotYet, "", {}},
        {"one new", {"C:\\"}, {"C:\\", "E:\\"}, CardFound::Yes, "E:\\", {}},
        {"one new while another left", {"C:\\", "D:\\"}, {"C:\\", "F:\\"}, CardFound::Yes, "F:\\", {}},
        {"a drive that left is not new", {"C:\\", "D:\\"}, {"C:\\"}, CardFound::NotYet, "", {}},
        {"two new", {"C:\\"}, {"C:\\", "E:\\", "G:\\"}, CardFound::SeveralDrives, "", {"E:\\", "G:\\"}},
        {"none before", {}, {"K:\\"}, CardFound::Yes, "K:\\", {}},
    };
    for (const auto& c : cases) {
        const CardLook look = ChooseNewDrive(c.before, c.now);
        EXPECT_EQ(look.found, c.found) << c.name;
        EXPECT_EQ(look.card, c.card) << c.name;
        EXPECT_EQ(look.newDrives, c.several) << c.name;
    }
}

using Files = std::vector<custody::FileEntry>;

TEST(CardCheck, NamesWhatTheCardHoldsThatNoBagDoes)
{
    const Files card = {{"DCIM/VID_0001.MP4", 9}, {"DCIM/VID_0002.MP4", 5}};
    const struct {
        const char* name;
        Files card;
        std::vector<Files> bags;
        bool exact;  // the first bag holds exactly the card's files
        std::string names;
        std::size_t count;
    } cases[] = {
        {"the bag's files", card, {card}, true, "", 0},
        {"names as Windows compares them", card, {{{"dcim/vid_0001.mp4", 9}, {"DCIM/Vid_0002.MP4", 5}}}, true, "", 0},
        {"a recording since", card, {{card[0]}}, false, "DCIM/VID_0002.MP4", 1},
        {"held by two bags between them", card, {{card[0]}, {card[1]}}, false, "", 0},
        {"a file that grew", card, {{card[0], {"DCIM/VID_0002.MP4", 4}}}, false,
         "DCIM/VID_0002.MP4 (5 bytes on the card, 4 in a bag)", 1},
        {"a file gone from the card", {card[0]}, {card}, false, "", 0},
        {"many, a few named", {{"A", 1}, {"B", 1}, {"C", 1}, {"D", 1}, {"E", 1}}, {{}}, false, "A, B, C and 2 more", 5},
        {"one name twice on Windows", {{"a.mp4", 1}, {"A.MP4", 1}}, {{{"a.mp4", 1}}}, false, "", 0},
    };
    for (const auto& c : cases) {
        std::string why;
        EXPECT_EQ(custody::HoldsExactly(c.card, c.bags.front(), why), c.exact) << c.name << ": " << why;
        std::size_t count = 99;
        EXPECT_EQ(FilesNoBagHolds(c.card, c.bags, count), c.names) << c.name;
        EXPECT_EQ(count, c.count) << c.name;
    }
}

TEST(BagAudit, FindsTheOffloadLineOfABagByItsSerialAndName)
{
    OffloadRecords records("trail.jsonl");
    records.Take(1, "{\"seq\":1,\"action\":\"offload\",\"outcome\":\"started\"}");
    records.Take(2, "{\"seq\":2,\"action\":\"offload\",\"outcome\":\"ok\",\"bag\":\"Z:\\\\A\\\\SN-A1\\\\B1\","
                    "\"payload_oxum\":\"9.1\",\"tagmanifest_sha256\":\"ab\"}");
    for (const char* bag : {"/mnt/share/A/SN-A1/B1/", "\\\\server\\A\\sn-a1\\b1"}) {
        const OffloadRecord* record = records.Find(bag);
        ASSERT_NE(record, nullptr) << bag;
        EXPECT_EQ(record->line, 2u);
        EXPECT_EQ(record->tagManifestSha256, "ab");
    }
    EXPECT_EQ(records.Find("/A/SN-A2/B1"), nullptr);
}

}  // namespace
