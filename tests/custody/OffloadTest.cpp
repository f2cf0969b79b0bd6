// The offload's copy engine on the real file system, with faults put in by
// a wrapper: whatever fails, the archive holds only verified copies under
// their names, nothing is called a bag, and an offload again finishes the
// same folder into a bag that checks valid. A resume trusts only the copies
// its journal vouches for and never loses one.
#include "custody/Offload.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <optional>
#include <set>

#include "core/Hash.h"
#include "custody/ArchiveFolders.h"
#include "custody/Bag.h"
#include "custody/VerifiedJournal.h"
#include "tests/custody/FaultyFileSystem.h"
#include "tests/custody/FileTree.h"
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

std::string Sha256Of(const FileSystem& fs, const std::string& path)
{
    return HashHex(HashAlgorithm::Sha256, ReadTreeFile(fs, path));
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

    // `salt` gives the same names other contents: a card the camera formatted.
    void PutOnCard(const std::map<std::string, std::uint64_t>& files, const std::string& card = "",
                   const std::string& salt = "")
    {
        for (const auto& [path, size] : files) {
            ASSERT_TRUE(WriteTreeFile(real_, card.empty() ? card_ : card, path, Contents(salt + path, size))) << path;
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

    // What every outcome must hold: a bag is whole and checks valid and
    // holds no journal; a folder that is no bag is still called .partial and
    // holds, under a recording's name, only that recording's verified bytes;
    // the offload's bag holds the card's recordings byte for byte.
    void ExpectNothingFalse(const OffloadResult& result, const std::string& archive,
                            const std::map<std::string, std::uint64_t>& card = kRecordings,
                            const std::string& salt = "")
    {
        const std::string serial = real_.Join(archive, "SIM-7");
        std::vector<std::string> folders;
        real_.ListFolders(serial, folders);
        for (const std::string& folder : folders) {
            const std::string path = real_.Join(serial, folder);
            const std::optional<custody::OffloadFolderName> name = custody::ParseOffloadFolderName(folder);
            if (!name) {
                continue;  // what a resume set aside
            }
            if (!name->partial) {
                const custody::BagVerdict verdict = custody::VerifyBag(real_, path, 2);
                EXPECT_TRUE(verdict.valid) << folder << ": " << verdict.why;
                EXPECT_FALSE(real_.Exists(real_.Join(path, custody::kVerifiedJournalName))) << folder;
                continue;
            }
            for (const auto& [relative, size] : ListTree(real_, real_.Join(path, "data"))) {
                const auto recording = kRecordings.find(relative);
                ASSERT_NE(recording, kRecordings.end()) << "not a recording: " << relative;
                EXPECT_EQ(Sha256Of(real_, real_.Join(path, "data/" + relative)),
                          HashHex(HashAlgorithm::Sha256, Contents(relative, recording->second)))
                    << relative;
            }
        }
        for (const std::string& change : faulty_.CardChanges()) {
            ADD_FAILURE() << "the card changed: " << change;
        }
        if (!result.ok) {
            return;
        }
        EXPECT_EQ(ListTree(real_, real_.Join(result.bag, "data")), card);
        for (const auto& [relative, size] : card) {
            EXPECT_EQ(Sha256Of(real_, real_.Join(result.bag, "data/" + relative)),
                      HashHex(HashAlgorithm::Sha256, Contents(salt + relative, size)))
                << relative;
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
              HashHex(HashAlgorithm::Sha256, ReadTreeFile(real_, real_.Join(result.bag, "tagmanifest-sha256.txt"))));
    EXPECT_EQ(last.phase, custody::OffloadPhase::Sealing);
    EXPECT_EQ(last.filesDone, kRecordings.size());
    EXPECT_EQ(last.workDone, 2 * result.bytes);
    EXPECT_EQ(ReadTreeFile(real_, real_.Join(result.bag, "bag-info.txt")),
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

std::uint64_t BytesOf(const std::map<std::string, std::uint64_t>& files)
{
    std::uint64_t bytes = 0;
    for (const auto& file : files) {
        bytes += file.second;
    }
    return bytes;
}

// The work an offload reports: its total fixed from the first report, the
// work done only growing, moving block by block in the phase that takes
// long (a recording of 5 MiB moves before its read-back begins), and equal
// to the total once the bag is sealed. A resume counts its check of the
// earlier attempt's copies, and the copies it keeps as copied.
TEST_F(OffloadTest, ProgressMovesBlockByBlockAndEndsAtItsTotal)
{
    using Phase = custody::OffloadPhase;
    const std::map<std::string, std::uint64_t> oneLong = {{"DCIM/100MEDIA/VID_0009.MP4", 5 * kMiB}};
    const std::map<std::string, std::uint64_t> formatted = {{"DCIM/100MEDIA/VID_0001.MP4", 2 * kMiB}, {".hidden", 7}};
    std::map<std::string, std::uint64_t> oneGone = kRecordings;
    oneGone.erase(".hidden");  // its copy stays in the bag, but is no file of this card
    const struct {
        const char* name;
        const std::map<std::string, std::uint64_t>& card;
        bool resumed;  // an earlier attempt verified kRecordings but could not be renamed
        std::string salt;
        Phase moving;  // where most of the work is done
        std::size_t moves;
    } cases[] = {
        {"one long recording", oneLong, false, "", Phase::Copying, 5},
        {"many recordings", kRecordings, false, "", Phase::Copying, 6},
        {"a resume that keeps every copy", kRecordings, true, "", Phase::Checking, 6},
        {"a resume after the card was formatted", formatted, true, "formatted", Phase::Checking, 6},
        {"a resume after a recording left the card", oneGone, true, "", Phase::Checking, 6},
    };
    const std::string cards = card_, archives = archive_;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        card_ = real_.Join(cards, std::to_string(&c - cases));
        archive_ = real_.Join(archives, std::to_string(&c - cases));
        ASSERT_TRUE(real_.CreateFolders(card_) && real_.CreateFolders(archive_));
        faulty_.Reset();
        if (c.resumed) {
            PutOnCard(kRecordings);
            faulty_.faults.unrenamable = "20261208T091502Z";
            ASSERT_EQ(custody::OffloadCard(faulty_, Request()).step, "rename");
            faulty_.Reset();
            for (const auto& [path, size] : kRecordings) {
                ASSERT_TRUE(real_.RemoveFile(real_.Join(card_, path)));
            }
        }
        PutOnCard(c.card, card_, c.salt);
        std::vector<custody::OffloadProgress> reports;
        OffloadRequest request = Request();
        request.progress = [&reports](const custody::OffloadProgress& progress) { reports.push_back(progress); };

        const OffloadResult result = custody::OffloadCard(faulty_, request);

        ASSERT_TRUE(result.ok) << result.step << ": " << result.why;
        ASSERT_FALSE(reports.empty());
        const std::uint64_t workTotal = 2 * BytesOf(c.card) + (c.resumed ? BytesOf(kRecordings) : 0);
        std::set<std::uint64_t> moves;
        for (std::size_t i = 0; i < reports.size(); ++i) {
            const custody::OffloadProgress& report = reports[i];
            EXPECT_EQ(report.workTotal, workTotal) << i;
            EXPECT_EQ(report.filesTotal, c.card.size()) << i;
            EXPECT_EQ(report.cardBytes, BytesOf(c.card)) << i;
            EXPECT_LE(report.workDone, report.workTotal) << i;
            EXPECT_LE(report.filesDone, report.filesTotal) << i;
            if (i > 0) {
                EXPECT_GE(report.workDone, reports[i - 1].workDone) << i;
                EXPECT_GE(report.filesDone, reports[i - 1].filesDone) << i;
                EXPECT_GE(report.phase, reports[i - 1].phase) << i;
            }
            if (report.phase == c.moving && report.workDone > 0 && report.filesDone == 0) {
                moves.insert(report.workDone);
            }
        }
        EXPECT_GE(moves.size(), c.moves);
        EXPECT_EQ(reports.front().phase, c.resumed ? Phase::Checking : Phase::Copying);
        EXPECT_EQ(reports.back().phase, Phase::Sealing);
        EXPECT_EQ(reports.back().workDone, workTotal);
        EXPECT_EQ(reports.back().filesDone, c.card.size());
    }
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
        bool partialLeft = true;  // the unfinished folder stays, to be resumed
        bool noSpace = false;
    } cases[] = {
        {"a card file that cannot be opened", [](Faults& f) { f.unopenable = "VID_0002.MP4"; }, "card",
         "DCIM/100MEDIA/VID_0002.MP4: cannot be opened on the card"},
        {"a read error part-way", [](Faults& f) { f.unreadable = "VID_0001.MP4", f.readableBytes = 2 * kMiB; },
         "card", "DCIM/100MEDIA/VID_0001.MP4: read error on the card after 2097152 bytes"},
        {"a card file that ends early", [](Faults& f) { f.endsEarly = "VID_0003.MP4", f.readableBytes = kMiB; },
         "card", "DCIM/100MEDIA/VID_0003.MP4: 1048576 bytes read where the card listed 1572864"},
        {"the card pulled out mid-copy", [](Faults& f) { f.cardPulledAfterOpens = 2; }, "card", "DCIM/100MEDIA/"},
        {"the archive full", [](Faults& f) { f.archiveCapacity = 5 * kMiB; }, "copy",
         "DCIM/100MEDIA/VID_0002.MP4: cannot be written to the archive after 1048576 bytes", true, true},
        // Copies are read back side by side: any one may fail first.
        {"a flush that fails", [](Faults& f) { f.flushFails = true; }, "copy",
         ": cannot be flushed to the archive's disk (cannot flush: injected fault)"},
        {"a copy that reads back otherwise", [](Faults& f) { f.archiveReadsDiffer = true; }, "verify",
         ": the copy read back from the archive differs from the card ("},
        {"a copy that cannot be created", [](Faults& f) { f.uncreatable = "copy-2"; }, "copy",
         "DCIM/100MEDIA/VID_0003.MP4: cannot be created in the archive"},
        {"the journal of verified copies cannot be written",
         [](Faults& f) { f.unappendable = custody::kVerifiedJournalName; }, "copy",
         ": verified, but the journal of verified copies cannot be written (cannot append: injected fault)"},
        {"the tag files cannot be written", [](Faults& f) { f.uncreatable = "bagit.txt"; }, "tags",
         "bagit.txt: cannot create "},
        {"the folder cannot lose .partial", [](Faults& f) { f.unrenamable = "20261208T091502Z"; }, "rename",
         ".partial cannot be renamed to "},
        {"a read-only archive", [](Faults& f) { f.archiveReadOnly = true; }, "archive",
         "SIM-7 cannot be created or listed (cannot create the folder ", false},
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
        EXPECT_EQ(failed.noSpace, c.noSpace);
        EXPECT_EQ(failed.bag, c.partialLeft ? real_.Join(archive.Path(), "SIM-7/20261208T091502Z.partial") : "")
            << c.name;
        ExpectNothingFalse(failed, archive.Path());

        faulty_.Reset();
        const OffloadResult resumed = custody::OffloadCard(faulty_, request);
        ASSERT_TRUE(resumed.ok) << c.name << ": " << resumed.step << ": " << resumed.why;
        EXPECT_EQ(resumed.resumed, c.partialLeft) << c.name;
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
// rename its folder; then its folder or the card changed. Whatever the
// change, every file the folder held is afterwards in a bag, bytes unchanged,
// or set aside beside it (unfinished copies aside), and the bag holds the
// card's recordings.
TEST_F(OffloadTest, AResumeTrustsOnlyJournaledCopiesAndLosesNone)
{
    // A card and an archive for each case, below the ones the fake file system knows.
    const std::string cards = card_, archives = archive_;
    std::string partial, data;
    const std::string vid2 = "DCIM/100MEDIA/VID_0002.MP4", vid3 = "DCIM/100MEDIA/VID_0003.MP4";
    const std::map<std::string, std::uint64_t> formatted = {{"DCIM/100MEDIA/VID_0001.MP4", 2 * kMiB}, {vid2, 700}};
    const struct {
        const char* name;
        std::function<void()> arrange;
        std::uint64_t kept;
        std::vector<std::string> setAside;
        bool sealed = false;  // the card formatted since: the earlier attempt is a bag of its own
    } cases[] = {
        {"a copy edited, one removed, one unfinished, a recording gone from the card",
         [&] {
             std::string changed = Contents(vid3, kRecordings.at(vid3));
             changed[kMiB] ^= 0x40;
             ASSERT_TRUE(real_.RemoveFile(real_.Join(data, vid3)) && WriteTreeFile(real_, data, vid3, changed));
             ASSERT_TRUE(real_.RemoveFile(real_.Join(data, "%41%25.txt")));
             ASSERT_TRUE(WriteTreeFile(real_, data, "DCIM/100MEDIA/.orvane-copy-3", "unfinished"));
             ASSERT_TRUE(real_.RemoveFile(real_.Join(card_, ".hidden")));
         },
         kRecordings.size() - 2, {vid3}},
        {"a file planted among the copies", [&] { ASSERT_TRUE(WriteTreeFile(real_, data, "DCIM/planted.MP4", "x")); },
         kRecordings.size(), {"DCIM/planted.MP4"}},
        {"a copy named but cut off before its journal line",
         [&] {
             const std::string journal = real_.Join(partial, custody::kVerifiedJournalName);
             std::string lines = ReadTreeFile(real_, journal);
             const std::size_t line = lines.rfind('\n', lines.find(vid2)) + 1;
             lines.erase(line, lines.find('\n', line) + 1 - line);
             ASSERT_TRUE(real_.RemoveFile(journal) && WriteTreeFile(real_, partial, custody::kVerifiedJournalName, lines));
         },
         kRecordings.size() - 1, {vid2}},
        {"the card formatted since: the same names, other recordings",
         [&] {
             for (const auto& [path, size] : kRecordings) {
                 ASSERT_TRUE(real_.RemoveFile(real_.Join(card_, path)));
             }
             PutOnCard(formatted, card_, "formatted");
         },
         0, {}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        card_ = real_.Join(cards, std::to_string(&c - cases));
        archive_ = real_.Join(archives, std::to_string(&c - cases));
        ASSERT_TRUE(real_.CreateFolders(card_) && real_.CreateFolders(archive_));
        PutOnCard(kRecordings);
        partial = real_.Join(archive_, "SIM-7/20261208T091502Z.partial");
        data = real_.Join(partial, "data");
        faulty_.Reset();
        faulty_.faults.unrenamable = "20261208T091502Z";
        ASSERT_EQ(custody::OffloadCard(faulty_, Request()).step, "rename");
        faulty_.Reset();
        c.arrange();
        std::map<std::string, std::string> before;  // every file of data/ and its SHA-256
        for (const auto& [relative, size] : ListTree(real_, data)) {
            before[relative] = Sha256Of(real_, real_.Join(data, relative));
        }

        const OffloadResult result = custody::OffloadCard(faulty_, Request());

        ASSERT_TRUE(result.ok) << result.step << ": " << result.why;
        EXPECT_EQ(result.filesKept, c.kept);
        EXPECT_EQ(result.setAsideFiles, c.setAside);
        EXPECT_EQ(result.setAside, c.setAside.empty() ? "" : partial + ".set-aside");
        EXPECT_EQ(result.sealedEarlier.has_value(), c.sealed);
        const std::string earlier = real_.Join(archive_, "SIM-7/20261208T091502Z");
        for (const auto& [relative, sha256] : before) {
            const bool unfinished = relative.find(".orvane-copy-") != std::string::npos;
            const bool kept = Sha256Of(real_, real_.Join(earlier, "data/" + relative)) == sha256 ||
                              Sha256Of(real_, real_.Join(result.setAside, relative)) == sha256;
            EXPECT_EQ(kept, !unfinished) << relative;
        }
        if (!c.sealed) {
            EXPECT_EQ(result.bag, earlier);
            ExpectNothingFalse(result, archive_);
        } else {
            ASSERT_TRUE(result.sealedEarlier);
            EXPECT_EQ(result.sealedEarlier->bag, earlier);
            EXPECT_EQ(result.sealedEarlier->files, kRecordings.size());
            EXPECT_NE(ReadTreeFile(real_, real_.Join(earlier, "bag-info.txt"))
                          .find("\nOffload-Incomplete: the card's DCIM/100MEDIA/VID_0001.MP4 and 1 more differ from "),
                      std::string::npos);
            EXPECT_EQ(result.bag, earlier + "-2");
            ExpectNothingFalse(result, archive_, formatted, "formatted");
        }
    }
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
            ASSERT_TRUE(WriteTreeFile(real_, card.Path(), path, Contents(path, 64 + i % 300)));
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
