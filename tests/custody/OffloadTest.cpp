// The offload's copy engine on the real file system, with faults put in by
// a wrapper: whatever fails, the archive holds only verified copies under
// their names, nothing is called a bag, and an offload again finishes the
// same folder into a bag that checks valid.
#include "custody/Offload.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>

#include "core/Hash.h"
#include "custody/Bag.h"
#include "tests/custody/FaultyFileSystem.h"
#include "tests/custody/TempFolder.h"

namespace {

using custody::FileEntry;
using custody::FileSystem;
using custody::LocalFileSystem;
using custody::OffloadRequest;
using custody::OffloadResult;

constexpr std::int64_t kStart = 1796721302;  // 2026-12-08T09:15:02Z
constexpr std::uint64_t kMiB = 1 << 20;

// Bytes that differ from file to file and block to block.
std::string Contents(const std::string& path, std::uint64_t size)
{
    std::uint32_t state = static_cast<std::uint32_t>(std::hash<std::string>()(path)) | 1u;
    std::string bytes(static_cast<std::size_t>(size), '\0');
    for (char& byte : bytes) {
        state = state * 1664525u + 1013904223u;
        byte = static_cast<char>(state >> 24);
    }
    return bytes;
}

bool WriteFile(FileSystem& fs, const std::string& root, const std::string& relative, const std::string& bytes)
{
    const std::size_t slash = relative.rfind('/');
    if (slash != std::string::npos && !fs.CreateFolders(fs.Join(root, relative.substr(0, slash)))) {
        return false;
    }
    auto file = fs.CreateNew(fs.Join(root, relative));
    return file && file->Write(bytes.data(), bytes.size());
}

std::string ReadFile(const FileSystem& fs, const std::string& path)
{
    auto file = fs.OpenRead(path);
    std::string bytes;
    std::vector<char> block(64 * 1024);
    std::size_t count = 0;
    while (file && file->Read(block.data(), block.size(), count) && count > 0) {
        bytes.append(block.data(), count);
    }
    return bytes;
}

std::map<std::string, std::uint64_t> Listed(const FileSystem& fs, const std::string& root)
{
    std::vector<FileEntry> files;
    std::string error;
    fs.ListFiles(root, files, error);
    std::map<std::string, std::uint64_t> sizes;
    for (const FileEntry& file : files) {
        sizes[file.relativePath] = file.size;
    }
    return sizes;
}

const std::string kDeep = std::string(70, 'a') + "/" + std::string(70, 'b') + "/" + std::string(70, 'c') + "/" +
                          std::string(70, 'd') + "/deep.MP4";

// A camera's card: recordings of several blocks, names of every kind, and
// the folders Windows keeps at a drive's root, which are no evidence.
const std::map<std::string, std::uint64_t> kRecordings = {
    {"DCIM/100MEDIA/VID_0001.MP4", 3 * kMiB + 17},
    {"DCIM/100MEDIA/VID_0002.MP4", 2 * kMiB},
    {"DCIM/100MEDIA/VID_0003.MP4", kMiB + kMiB / 2},
    {"DCIM/100MEDIA/empty.LOG", 0},
    {"DCIM/System Volume Information/kept.txt", 10},
    {"Zeugen \xC3\xBC \xD0\xB2\xD0\xB8\xD0\xB4\xD0\xB5\xD0\xBE \xF0\x9D\x84\x9E/100% done.mp4", 1000},
    {"%41%25.txt", 12},
    {".hidden", 5},
    {kDeep, 2000},
};
const std::map<std::string, std::uint64_t> kSystemFiles = {
    {"System Volume Information/IndexerVolumeGuid", 76},
    {"$RECYCLE.BIN/S-1-5-21/desktop.ini", 129},
    {"$Recycle.Bin/old.MP4", 300},
};

class OffloadTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        card_ = real_.Join(temp_.Path(), "card");
        archive_ = real_.Join(temp_.Path(), "archive");
        ASSERT_TRUE(real_.CreateFolders(card_) && real_.CreateFolders(archive_));
    }

    void PutOnCard(const std::map<std::string, std::uint64_t>& files, const std::string& card = "")
    {
        for (const auto& [path, size] : files) {
            ASSERT_TRUE(WriteFile(real_, card.empty() ? card_ : card, path, Contents(path, size))) << path;
        }
    }

    OffloadRequest Request()
    {
        OffloadRequest request;
        request.card = card_;
        request.archive = archive_;
        request.serial = "SIM-7";
        request.clock = [] { return kStart; };
        return request;
    }

    // What every outcome must hold: a bag is whole and checks valid; a
    // folder that is no bag is still called .partial and holds, under a
    // file's name, only that file's verified bytes.
    void ExpectNothingFalse(const OffloadResult& result, const std::string& archive)
    {
        const std::string serial = real_.Join(archive, "SIM-7");
        std::vector<std::string> folders;
        real_.ListFolders(serial, folders);
        for (const std::string& folder : folders) {
            const std::string path = real_.Join(serial, folder);
            const bool partial = folder.size() > 8 && folder.compare(folder.size() - 8, 8, ".partial") == 0;
            if (!partial) {
                const custody::BagVerdict verdict = custody::VerifyBag(real_, path, 2);
                EXPECT_TRUE(verdict.valid) << folder << ": " << verdict.why;
                continue;
            }
            for (const auto& [relative, size] : Listed(real_, real_.Join(path, "data"))) {
                EXPECT_EQ(relative.find(".orvane-copy-"), std::string::npos) << "left behind: " << relative;
                EXPECT_EQ(HashHex(HashAlgorithm::Sha256, ReadFile(real_, real_.Join(path, "data/" + relative))),
                          HashHex(HashAlgorithm::Sha256, Contents(relative, size)))
                    << relative;
            }
        }
        for (const std::string& change : faulty_.CardChanges()) {
            ADD_FAILURE() << "the card changed: " << change;
        }
        if (result.ok) {
            EXPECT_EQ(Listed(real_, real_.Join(result.bag, "data")), kRecordings);
        }
    }

    TempFolder temp_;
    FileSystem& real_ = LocalFileSystem();
    std::string card_;
    std::string archive_;
    FaultyFileSystem faulty_{real_, real_.Join(temp_.Path(), "card")};
};

TEST_F(OffloadTest, CopiesEveryRecordingIntoAVerifiedBagAndNeverTouchesTheCard)
{
    PutOnCard(kRecordings);
    PutOnCard(kSystemFiles);
    OffloadRequest request = Request();
    request.info = {{"Offload-Operator", "anna"},  {"Camera-ID", "CAM0042"},
                    {"Source-Organization", "Traffic North"}, {"Contact-Name", "Desk 3"},
                    {"External-Identifier", "SIM-7"}, {"Bag-Software-Agent", "orvanectl 1.0"},
                    {"Offload-Finished", "given by mistake"}};
    custody::OffloadProgress last;
    request.progress = [&last](const custody::OffloadProgress& progress) { last = progress; };

    const OffloadResult result = custody::OffloadCard(faulty_, request);

    ASSERT_TRUE(result.ok) << result.step << ": " << result.why;
    EXPECT_EQ(result.bag, real_.Join(archive_, "SIM-7/20261208T091502Z"));
    EXPECT_FALSE(result.resumed);
    EXPECT_EQ(result.files, kRecordings.size());
    EXPECT_EQ(result.bytes, 6 * kMiB + kMiB / 2 + 17 + 10 + 1000 + 12 + 5 + 2000);
    EXPECT_EQ(result.payloadOxum, std::to_string(result.bytes) + "." + std::to_string(result.files));
    EXPECT_EQ(result.tagManifestSha256,
              HashHex(HashAlgorithm::Sha256, ReadFile(real_, real_.Join(result.bag, "tagmanifest-sha256.txt"))));
    EXPECT_EQ(last.filesDone, last.filesTotal);
    EXPECT_EQ(last.bytesDone, result.bytes);
    EXPECT_EQ(ReadFile(real_, real_.Join(result.bag, "bag-info.txt")),
              "Source-Organization: Traffic North\n"
              "External-Identifier: SIM-7\n"
              "Bagging-Date: 2026-12-08\n"
              "Payload-Oxum: " + result.payloadOxum + "\n"
              "Bag-Software-Agent: orvanectl 1.0\n"
              "Camera-ID: CAM0042\n"
              "Offload-Operator: anna\n"
              "Offload-Started: 2026-12-08T09:15:02Z\n"
              "Offload-Finished: 2026-12-08T09:15:02Z\n"
              "Contact-Name: Desk 3\n");
    ExpectNothingFalse(result, archive_);
}

TEST_F(OffloadTest, AnotherOffloadInTheSameSecondGetsAFolderOfItsOwn)
{
    PutOnCard({{"a.MP4", 100}});
    const std::string names[] = {"20261208T091502Z", "20261208T091502Z-2", "20261208T091502Z-3"};
    for (const std::string& name : names) {
        const OffloadResult result = custody::OffloadCard(faulty_, Request());
        ASSERT_TRUE(result.ok) << result.step << ": " << result.why;
        EXPECT_EQ(result.bag, real_.Join(archive_, "SIM-7/" + name));
    }
    EXPECT_EQ(custody::NewestBag(real_, archive_, "SIM-7"), real_.Join(archive_, "SIM-7/" + names[2]));
}

// Which folder an offload fills, by the serial's folders found beside it.
TEST_F(OffloadTest, ResumesTheNewestPartialUnlessABagIsNewer)
{
    PutOnCard({{"a.MP4", 100}});
    const struct {
        const char* name;
        std::vector<std::string> folders;
        std::string filled;
        bool resumed;
    } cases[] = {
        {"none", {}, "20261208T091502Z", false},
        {"an interrupted offload", {"20261201T000000Z.partial"}, "20261201T000000Z", true},
        {"the newest of two", {"20261203T000000Z.partial", "20261201T000000Z.partial", "20261202T000000Z"},
         "20261203T000000Z", true},
        {"one a bag made since", {"20261201T000000Z.partial", "20261202T000000Z"}, "20261208T091502Z", false},
        {"the same second, later", {"20261208T091502Z", "20261208T091502Z-2.partial"}, "20261208T091502Z-2", true},
        {"other names ignored", {"junk", "20261208T091502Z-2", "20261308T091502Z.partial"}, "20261208T091502Z-3",
         false},
    };
    for (const auto& c : cases) {
        TempFolder archive;
        for (const std::string& folder : c.folders) {
            ASSERT_TRUE(real_.CreateFolders(real_.Join(archive.Path(), "SIM-7/" + folder)));
        }
        OffloadRequest request = Request();
        request.archive = archive.Path();
        const OffloadResult result = custody::OffloadCard(faulty_, request);
        ASSERT_TRUE(result.ok) << c.name << ": " << result.step << ": " << result.why;
        EXPECT_EQ(result.bag, real_.Join(archive.Path(), "SIM-7/" + c.filled)) << c.name;
        EXPECT_EQ(result.resumed, c.resumed) << c.name;
    }
}

TEST_F(OffloadTest, AFailedOffloadLeavesOnlyVerifiedCopiesAndResumesIntoAValidBag)
{
    PutOnCard(kRecordings);
    const struct {
        const char* name;
        std::function<void(Faults&)> arrange;
        std::string step;
        std::string why;
    } cases[] = {
        {"a card file that cannot be opened", [](Faults& f) { f.unopenable = "VID_0002.MP4"; }, "card",
         "DCIM/100MEDIA/VID_0002.MP4: cannot be opened on the card"},
        {"a read error part-way", [](Faults& f) { f.unreadable = "VID_0001.MP4", f.readableBytes = 2 * kMiB; },
         "card", "DCIM/100MEDIA/VID_0001.MP4: read error on the card after 2097152 bytes"},
        {"a card file that ends early", [](Faults& f) { f.endsEarly = "VID_0003.MP4", f.readableBytes = kMiB; },
         "card", "DCIM/100MEDIA/VID_0003.MP4: 1048576 bytes read where the card listed 1572864"},
        {"the card pulled out mid-copy", [](Faults& f) { f.cardPulledAfterOpens = 2; }, "card", "DCIM/100MEDIA/"},
        {"the archive full", [](Faults& f) { f.archiveCapacity = 5 * kMiB; }, "copy",
         "DCIM/100MEDIA/VID_0002.MP4: cannot be written to the archive after 1048576 bytes"},
        // Copies are read back side by side: any one may fail first.
        {"a flush that fails", [](Faults& f) { f.flushFails = true; }, "copy",
         ": cannot be flushed to the archive's disk (cannot flush: injected fault)"},
        {"a copy that reads back otherwise", [](Faults& f) { f.archiveReadsDiffer = true; }, "verify",
         ": the copy read back from the archive differs from the card ("},
        {"a copy that cannot be created", [](Faults& f) { f.uncreatable = "copy-2"; }, "copy",
         "DCIM/100MEDIA/VID_0003.MP4: cannot be created in the archive"},
        {"the tag files cannot be written", [](Faults& f) { f.uncreatable = "bagit.txt"; }, "tags", ""},
        {"the folder cannot lose .partial", [](Faults& f) { f.unrenamable = "20261208T091502Z"; }, "rename",
         ".partial cannot be renamed to "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder archive;
        OffloadRequest request = Request();
        request.archive = archive.Path();
        Faults faults;
        c.arrange(faults);
        faulty_.Reset(faults);

        const OffloadResult failed = custody::OffloadCard(faulty_, request);

        EXPECT_FALSE(failed.ok) << c.name;
        EXPECT_EQ(failed.step, c.step) << c.name << ": " << failed.why;
        EXPECT_NE(failed.why.find(c.why), std::string::npos) << c.name << ": " << failed.why;
        EXPECT_EQ(failed.bag, real_.Join(archive.Path(), "SIM-7/20261208T091502Z.partial")) << c.name;
        ExpectNothingFalse(failed, archive.Path());

        faulty_.Reset();
        const OffloadResult resumed = custody::OffloadCard(faulty_, request);
        ASSERT_TRUE(resumed.ok) << c.name << ": " << resumed.step << ": " << resumed.why;
        EXPECT_TRUE(resumed.resumed) << c.name;
        EXPECT_EQ(resumed.bag, real_.Join(archive.Path(), "SIM-7/20261208T091502Z")) << c.name;
        ExpectNothingFalse(resumed, archive.Path());
    }
}

TEST_F(OffloadTest, InterruptedMidCopyStopsAndResumes)
{
    PutOnCard(kRecordings);
    OffloadRequest request = Request();
    request.interrupted = [this] { return faulty_.CardOpens() >= 2; };

    const OffloadResult interrupted = custody::OffloadCard(faulty_, request);

    EXPECT_FALSE(interrupted.ok);
    EXPECT_EQ(interrupted.step, "copy");
    EXPECT_EQ(interrupted.why.rfind("interrupted while copying DCIM/100MEDIA/VID_000", 0), 0u) << interrupted.why;
    ExpectNothingFalse(interrupted, archive_);
    const OffloadResult resumed = custody::OffloadCard(faulty_, Request());
    ASSERT_TRUE(resumed.ok) << resumed.step << ": " << resumed.why;
    ExpectNothingFalse(resumed, archive_);
}

// An earlier attempt verified every copy and wrote its tags but could not
// rename its folder; since then one copy was changed, one removed and an
// unfinished copy left beside them, and a recording left the card (its
// verified copy is all there is now).
TEST_F(OffloadTest, ResumeKeepsGoodCopiesAndCopiesTheRestAnew)
{
    PutOnCard(kRecordings);
    faulty_.faults.unrenamable = "20261208T091502Z";
    ASSERT_EQ(custody::OffloadCard(faulty_, Request()).step, "rename");
    faulty_.Reset();
    const std::string data = real_.Join(archive_, "SIM-7/20261208T091502Z.partial/data");
    const std::string tampered = "DCIM/100MEDIA/VID_0003.MP4";
    std::string changed = Contents(tampered, kRecordings.at(tampered));
    changed[kMiB] ^= 0x40;
    ASSERT_TRUE(real_.RemoveFile(real_.Join(data, tampered)) && WriteFile(real_, data, tampered, changed));
    ASSERT_TRUE(real_.RemoveFile(real_.Join(data, "%41%25.txt")));
    ASSERT_TRUE(WriteFile(real_, data, "DCIM/100MEDIA/.orvane-copy-3", "unfinished"));
    ASSERT_TRUE(real_.RemoveFile(real_.Join(card_, ".hidden")));

    const OffloadResult result = custody::OffloadCard(faulty_, Request());

    ASSERT_TRUE(result.ok) << result.step << ": " << result.why;
    EXPECT_TRUE(result.resumed);
    EXPECT_EQ(result.filesKept, kRecordings.size() - 2);
    ExpectNothingFalse(result, archive_);
}

TEST_F(OffloadTest, EmptyAndCrowdedCardsMakeValidBags)
{
    const struct {
        const char* name;
        int files;
    } cases[] = {{"an empty card", 0}, {"a few thousand small files", 2000}};
    for (const auto& c : cases) {
        TempFolder card, archive;
        for (int i = 0; i < c.files; ++i) {
            const std::string path = "DCIM/" + std::to_string(100 + i / 500) + "MEDIA/IMG_" + std::to_string(i) + ".JPG";
            ASSERT_TRUE(WriteFile(real_, card.Path(), path, Contents(path, 64 + i % 300)));
        }
        OffloadRequest request = Request();
        request.card = card.Path();
        request.archive = archive.Path();
        const OffloadResult result = custody::OffloadCard(real_, request);
        ASSERT_TRUE(result.ok) << c.name << ": " << result.step << ": " << result.why;
        EXPECT_EQ(result.files, static_cast<std::uint64_t>(c.files)) << c.name;
        const custody::BagVerdict verdict = custody::VerifyBag(real_, result.bag, 2);
        EXPECT_TRUE(verdict.valid) << c.name << ": " << verdict.why;
    }
}

TEST_F(OffloadTest, AFormatIsSafeOnlyWhenTheCardHoldsExactlyTheBagsFiles)
{
    PutOnCard(kRecordings);
    const OffloadResult bag = custody::OffloadCard(real_, Request());
    ASSERT_TRUE(bag.ok) << bag.step << ": " << bag.why;
    const struct {
        const char* name;
        std::map<std::string, std::uint64_t> changed;  // written anew; size 0: removed
        std::string why;                               // empty: the card holds exactly the bag's files
    } cases[] = {
        {"unchanged", {}, ""},
        {"the system's own folders gained files", kSystemFiles, ""},
        {"a file one byte longer", {{".hidden", 6}}, ".hidden has 6 bytes on the card and 5 in the bag"},
        {"a file gone", {{".hidden", 0}}, ".hidden is in the bag but no longer on the card"},
        {"a recording made since", {{"DCIM/100MEDIA/VID_0004.MP4", 10}},
         "DCIM/100MEDIA/VID_0004.MP4 is on the card but not in the bag"},
    };
    for (const auto& c : cases) {
        TempFolder card;
        PutOnCard(kRecordings, card.Path());
        for (const auto& [path, size] : c.changed) {
            real_.RemoveFile(real_.Join(card.Path(), path));
        }
        std::map<std::string, std::uint64_t> added;
        std::copy_if(c.changed.begin(), c.changed.end(), std::inserter(added, added.end()),
                     [](const auto& file) { return file.second > 0; });
        PutOnCard(added, card.Path());
        std::string why;
        EXPECT_EQ(custody::CardHoldsExactly(real_, card.Path(), bag.payload, why), c.why.empty()) << c.name;
        EXPECT_EQ(why, c.why) << c.name;
    }
}

}  // namespace
