// The archive on object storage against the throwaway Ceph cluster: an
// offload under Object Lock seen through an independent client, a stopped
// offload resumed, the check of good and damaged bags, the bucket refused
// without Object Lock, and the audit anchors.
#include <gtest/gtest.h>

#include <sstream>

#include "custody/BagPaths.h"
#include "platform/UtcTime.h"
#include "objectstore/AuditAnchors.h"
#include "objectstore/StoreFileSystem.h"
#include "objectstore/StoreOffload.h"
#include "objectstore/StoreVerify.h"
#include "tests/objectstore/StoreArchive.h"

namespace objectstore {
namespace {

constexpr std::size_t kMiB = 1 << 20;
// Above the single-PUT limit: uploaded in parts.
constexpr std::size_t kLargeVideo = 66 * kMiB;

const std::map<std::string, std::size_t> kCard = {
    {"DCIM/100MEDIA/VID0001.MP4", kLargeVideo},
    {"DCIM/100MEDIA/IMG0002.JPG", 300 * 1000},
    {"DCIM/100MEDIA/IMG0003.JPG", 200 * 1000},
    {"MISC/100% done.txt", 17},
};

StoreBagRequest Request(const std::string& bucket, const std::string& card)
{
    StoreBagRequest request;
    request.archive = {bucket, "evidence"};
    request.card = card;
    request.serial = "A1B2C3";
    request.info = {{"Camera-ID", "A1B2C3"}, {"Offload-Operator", "tester"}};
    return request;
}

// The key below the bucket of an s3:// URL.
std::string KeyOf(const std::string& url, const std::string& bucket)
{
    return url.substr(std::string("s3://").size() + bucket.size() + 1);
}

std::string ObjectText(S3Client& client, const std::string& bucket, const std::string& key)
{
    StoreFileSystem store(client, bucket);
    return ReadTreeFile(store, key);
}

custody::BagCheckRequest Threads(unsigned threads)
{
    custody::BagCheckRequest request;
    request.threads = threads;
    return request;
}

TEST_F(StoreArchive, OffloadUnderObjectLockIsVerifiedAndCannotBeDeleted)
{
    const std::string bucket = MakeBucket("lock", true);
    StoreBagRequest request = Request(bucket, MakeCard(kCard));
    request.retainDays = 1;
    std::uint64_t lastDone = 0;
    custody::OffloadProgress last;
    request.progress = [&](const custody::OffloadProgress& progress) {
        EXPECT_GE(progress.workDone, lastDone);
        EXPECT_LE(progress.workDone, progress.workTotal);
        lastDone = progress.workDone;
        last = progress;
    };
    const StoreBagResult result = OffloadCardToStore(Client(), custody::LocalFileSystem(), request);
    ASSERT_TRUE(result.ok) << result.step << ": " << result.why;
    EXPECT_EQ(result.files, kCard.size());
    EXPECT_EQ(last.workDone, last.workTotal);
    EXPECT_EQ(last.filesDone, kCard.size());
    const std::string bag = KeyOf(result.bag, bucket);

    // Every object locked; deleting a recording's version is refused.
    ObjectInfo video;
    ASSERT_TRUE(Client().HeadObject(bucket, bag + "/data/DCIM/100MEDIA/VID0001.MP4", video).Ok());
    EXPECT_EQ(video.lockMode, LockMode::Compliance);
    EXPECT_EQ(video.retainUntil.substr(0, 10), custody::UtcIso(result.lock.retainUntil).substr(0, 10));
#ifndef _WIN32
    // A version ID may begin with '-': "--" ends the options.
    EXPECT_EQ(S3Check("delete-version -- " + bucket + " " + bag + "/data/DCIM/100MEDIA/VID0001.MP4 " + video.versionId),
              3);
#endif
    const std::string info = ObjectText(Client(), bucket, bag + "/bag-info.txt");
    EXPECT_NE(info.find("Object-Lock-Mode: COMPLIANCE\n"), std::string::npos) << info;
    EXPECT_NE(info.find("Object-Lock-Retain-Until: " + custody::UtcIso(result.lock.retainUntil)), std::string::npos);

#ifndef _WIN32
    // An independent client reads every recording back with the manifest's SHA-256.
    std::string hashes;
    ASSERT_EQ(S3Check("get-sha256 " + bucket + " --prefix " + bag + "/data/", &hashes), 0);
    const std::string manifest = ObjectText(Client(), bucket, bag + "/manifest-sha256.txt");
    std::istringstream lines(manifest);
    std::size_t listed = 0;
    for (std::string line; std::getline(lines, line); ++listed) {
        const std::string sha256 = line.substr(0, 64);
        const std::string path = line.substr(66);
        EXPECT_NE(hashes.find(sha256 + "  " + bag + "/" + custody::DecodeBagPath(path) + "\n"), std::string::npos)
            << path;
    }
    EXPECT_EQ(listed, kCard.size());

#endif
    EXPECT_TRUE(VerifyStoreBag(Client(), bucket, bag, Threads(3)).valid);
    const std::vector<custody::FoundFolder> found = FindStoreBags(Client(), {bucket, "evidence"});
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].kind, custody::FoundFolder::Kind::Bag);
    EXPECT_EQ(found[0].path, bag);
}

// Natively only: they make buckets of their own with the independent client.
#ifndef _WIN32
TEST_F(StoreArchive, StoppedOffloadsAreResumedIntoOneBag)
{
    const std::string bucket = MakeBucket("resume", true);
    StoreBagRequest request = Request(bucket, MakeCard(kCard));
    request.retainDays = 1;
    // First stopped part-way through the video's parts, then once the video
    // and a photo are verified.
    std::function<bool(const custody::OffloadProgress&)> stopWhen = [](const custody::OffloadProgress& progress) {
        return progress.workDone >= 3 * 8 * kMiB;
    };
    bool stop = false;
    request.progress = [&](const custody::OffloadProgress& progress) { stop = stopWhen(progress); };
    request.interrupted = [&] { return stop; };
    const StoreBagResult first = OffloadCardToStore(Client(), custody::LocalFileSystem(), request);
    ASSERT_FALSE(first.ok);
    EXPECT_EQ(first.step, "copy") << first.why;
    const std::string bag = KeyOf(first.bag, bucket);
    std::vector<MultipartUpload> uploads;
    ASSERT_TRUE(Client().ListMultipartUploads(bucket, bag + "/", uploads).Ok());
    EXPECT_EQ(uploads.size(), 1u) << "the stopped video's upload is kept to be continued";

    stopWhen = [](const custody::OffloadProgress& progress) { return progress.filesDone >= 2; };
    const StoreBagResult second = OffloadCardToStore(Client(), custody::LocalFileSystem(), request);
    ASSERT_FALSE(second.ok);
    EXPECT_EQ(second.bag, first.bag);
    EXPECT_FALSE(VerifyStoreBag(Client(), bucket, bag, Threads(2)).valid);
    const std::vector<custody::FoundFolder> found = FindStoreBags(Client(), {bucket, "evidence"});
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].kind, custody::FoundFolder::Kind::Unfinished);

    stopWhen = [](const custody::OffloadProgress&) { return false; };
    const StoreBagResult third = OffloadCardToStore(Client(), custody::LocalFileSystem(), request);
    ASSERT_TRUE(third.ok) << third.step << ": " << third.why;
    EXPECT_TRUE(third.resumed);
    EXPECT_EQ(third.bag, first.bag);
    EXPECT_GE(third.filesKept, 2u);
    EXPECT_EQ(third.files, kCard.size());
    uploads.clear();
    ASSERT_TRUE(Client().ListMultipartUploads(bucket, bag + "/", uploads).Ok());
    EXPECT_TRUE(uploads.empty());
    EXPECT_TRUE(VerifyStoreBag(Client(), bucket, bag, Threads(2)).valid);
}

TEST_F(StoreArchive, VerifyNamesWhatIsWrongWithABag)
{
    const std::string bucket = MakeBucket("verify", false);
    const std::map<std::string, std::size_t> card = {{"DCIM/IMG0001.JPG", 40000}, {"DCIM/IMG0002.JPG", 50000}};
    const std::string cardPath = MakeCard(card);
    TempFolder other;
    ASSERT_TRUE(WriteTreeFile(custody::LocalFileSystem(), other.Path(), "edited.jpg", Recording(40000, 99)));
    struct Case {
        const char* serial;
        std::string change;  // s3check arguments, with BAG for the bag's key
        bool stopEarly;
        const char* why;     // empty: valid
    };
    const Case cases[] = {
        {"GOOD", "", false, ""},
        {"EDITED", "put BUCKET BAG/data/DCIM/IMG0001.JPG " + other.Path() + "/edited.jpg", false,
         "data/DCIM/IMG0001.JPG: sha256 differs"},
        {"MISSING", "delete-version BUCKET BAG/data/DCIM/IMG0002.JPG null", false,
         "data/DCIM/IMG0002.JPG: listed in manifest-sha256.txt but missing"},
        {"UNFINISHED", "", true, "missing (an unfinished offload"},
    };
    for (const Case& test : cases) {
        StoreBagRequest request = Request(bucket, cardPath);
        request.serial = test.serial;
        bool stop = false;
        request.progress = [&](const custody::OffloadProgress& progress) { stop = progress.filesDone >= 1; };
        request.interrupted = [&] { return test.stopEarly && stop; };
        const StoreBagResult result = OffloadCardToStore(Client(), custody::LocalFileSystem(), request);
        ASSERT_EQ(result.ok, !test.stopEarly) << result.why;
        const std::string bag = KeyOf(result.bag, bucket);
        std::string change = test.change;
        if (!change.empty()) {
            change.replace(change.find("BUCKET"), 6, bucket);
            change.replace(change.find("BAG"), 3, bag);
            ASSERT_EQ(S3Check(change), 0) << change;
        }
        const custody::BagVerdict verdict = VerifyStoreBag(Client(), bucket, bag, Threads(2));
        EXPECT_EQ(verdict.valid, std::string(test.why).empty()) << test.serial << ": " << verdict.why;
        EXPECT_NE(verdict.why.find(test.why), std::string::npos) << test.serial << ": " << verdict.why;
    }
    const std::vector<custody::FoundFolder> found = FindStoreBags(Client(), {bucket, "evidence"});
    ASSERT_EQ(found.size(), 4u);
    EXPECT_EQ(found[3].kind, custody::FoundFolder::Kind::Unfinished) << found[3].path;
}

TEST_F(StoreArchive, RetainDaysRefuseABucketWithoutObjectLock)
{
    const std::string bucket = MakeBucket("plain", false);
    StoreBagRequest request = Request(bucket, MakeCard({{"DCIM/IMG0001.JPG", 1000}}));
    request.retainDays = 30;
    const StoreBagResult result = OffloadCardToStore(Client(), custody::LocalFileSystem(), request);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.store.problem, S3Problem::NoObjectLock) << result.why;
    std::string listed;
    ASSERT_EQ(S3Check("list " + bucket, &listed), 0);
    EXPECT_EQ(listed, "") << "nothing stored unprotected";
}

TEST_F(StoreArchive, AnchorsNameTheFirstEditedLine)
{
    const std::string bucket = MakeBucket("anchors", true);
    const S3Location archive{bucket, "evidence"};
    std::vector<std::string> lines = {R"({"seq":1,"event":"offload"})", R"({"seq":2,"event":"format"})",
                                      R"({"seq":3,"event":"offload"})"};
    for (std::size_t i = 0; i < lines.size(); ++i) {
        ASSERT_TRUE(WriteAnchor(Client(), archive, "STATION-1", i + 1, lines[i], {}).Ok());
    }
    EXPECT_TRUE(CheckAnchors(Client(), archive, "STATION-1", lines).ok);
    lines[1] = R"({"seq":2,"event":"offload"})";
    const AnchorCheck edited = CheckAnchors(Client(), archive, "STATION-1", lines);
    EXPECT_FALSE(edited.ok);
    EXPECT_EQ(edited.firstBroken, 2u) << edited.why;
    lines.resize(1);
    EXPECT_EQ(CheckAnchors(Client(), archive, "STATION-1", lines).firstBroken, 2u) << "a file cut short";
}

#endif

}  // namespace
}  // namespace objectstore
