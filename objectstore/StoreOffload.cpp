#include "objectstore/StoreOffload.h"

#include <algorithm>
#include <future>
#include <map>
#include <mutex>
#include <optional>

#include "custody/ArchiveFolders.h"
#include "custody/BagPaths.h"
#include "custody/CardContents.h"
#include "custody/FileDigest.h"
#include "platform/UtcTime.h"
#include "custody/VerifiedJournal.h"
#include "objectstore/RecordingUpload.h"
#include "objectstore/StoreFileSystem.h"
#include "objectstore/TransferState.h"

namespace objectstore {

const char* const kTagManifestName = "tagmanifest-sha256.txt";

namespace {

constexpr std::int64_t kSecondsPerDay = 86400;
constexpr std::size_t kCheckBlock = std::size_t{1} << 20;
// Verified bytes of small recordings that wait for the journal's next write.
constexpr std::uint64_t kJournalEvery = std::uint64_t{64} << 20;

using custody::FileEntry;
using custody::OffloadPhase;
using custody::PayloadFile;

std::uint64_t BytesOf(const std::vector<FileEntry>& files)
{
    std::uint64_t bytes = 0;
    for (const FileEntry& file : files) {
        bytes += file.size;
    }
    return bytes;
}

std::uint64_t BytesOf(const std::vector<PayloadFile>& files)
{
    std::uint64_t bytes = 0;
    for (const PayloadFile& file : files) {
        bytes += file.size;
    }
    return bytes;
}

// The bag this offload fills.
struct Destination {
    custody::OffloadFolderName name;
    std::string serialPrefix;
    std::string prefix;
    bool resumed = false;
};

// What an earlier attempt left in data/, sorted out before anything is
// uploaded.
struct Plan {
    std::vector<PayloadFile> kept;     // vouched for, and the card's file again or off the card
    std::vector<PayloadFile> differs;  // vouched for, but the card's file of its name differs
    std::vector<FileEntry> toCopy;
    bool stray = false;                // an object not vouched for and off the card
    std::map<std::string, UnfinishedUpload> uploads;  // by path below data/
};

// Rewritten whole: an object has no append, and a PUT is whole or not there
// at all. Under Object Lock each rewrite is a version kept for good, so it
// is written only where a resume gains from it: after a recording uploaded
// in parts, once kJournalEvery bytes of smaller ones wait (at most that is
// copied again after a kill), and when the copying ends, stopped or not.
// Copies verified while it is being stored go into the next write.
class StoreJournal {
public:
    StoreJournal(StoreFileSystem& store, std::string key, const std::vector<PayloadFile>& kept)
        : store_(store), key_(std::move(key))
    {
        for (const PayloadFile& file : kept) {
            text_ += custody::VerifiedJournalLine(file);
        }
        // An earlier attempt's journal holds these already.
        written_ = text_.size();
    }

    // A new bag's journal is stored before its first upload in parts: a
    // prefix holding only such uploads is not listed, and an interrupted
    // offload would not find its bag, nor its uploads, again.
    bool Begin(std::string& why, S3Error& error)
    {
        std::unique_lock<std::mutex> lock(mutex_);
        due_ = true;
        return WriteWhileDue(lock, why, error);
    }

    bool Add(const PayloadFile& file, std::string& why, S3Error& error)
    {
        std::unique_lock<std::mutex> lock(mutex_);
        text_ += custody::VerifiedJournalLine(file);
        waiting_ += file.size;
        due_ = due_ || file.size > kMultipartAbove || waiting_ >= kJournalEvery;
        return WriteWhileDue(lock, why, error);
    }

    // Once no copy is under way any more: what is verified but not yet
    // written.
    bool Finish(std::string& why, S3Error& error)
    {
        std::unique_lock<std::mutex> lock(mutex_);
        due_ = written_ != text_.size();
        return WriteWhileDue(lock, why, error);
    }

private:
    // The thread that writes writes until nothing is due, so that no line
    // waits for a write that already began.
    bool WriteWhileDue(std::unique_lock<std::mutex>& lock, std::string& why, S3Error& error)
    {
        if (writing_) {
            return true;
        }
        writing_ = true;
        while (due_) {
            const std::string text = text_;
            due_ = false;
            waiting_ = 0;
            lock.unlock();
            const bool stored = Store(text, why, error);
            lock.lock();
            if (!stored) {
                writing_ = false;
                return false;
            }
            written_ = text.size();
        }
        writing_ = false;
        return true;
    }

    bool Store(const std::string& text, std::string& why, S3Error& error)
    {
        const std::unique_ptr<custody::WriteStream> stream = store_.CreateNew(key_);
        if (stream && stream->Write(text.data(), text.size()) && stream->Flush()) {
            return true;
        }
        why = "the journal of verified copies cannot be stored: " + store_.LastError();
        error = store_.LastStoreError();
        return false;
    }

    StoreFileSystem& store_;
    const std::string key_;
    std::mutex mutex_;
    std::string text_;
    // How much of text_ the store holds.
    std::size_t written_ = 0;
    // Bytes of the recordings verified since the last write began.
    std::uint64_t waiting_ = 0;
    bool due_ = false;
    bool writing_ = false;
};

// What a copy the journal lists is now.
enum class Found { SameOnCard, OffTheCard, OtherOnCard, ChangedSince, Failed };

class StoreOffload {
public:
    StoreOffload(S3Client& client, const custody::FileSystem& cardFs, const StoreBagRequest& request)
        : client_(client), cardFs_(cardFs), request_(request), bucket_(request.archive.bucket),
          started_(Now()), store_(client, bucket_)
    {
    }

    StoreBagResult Run()
    {
        std::string why;
        if (!custody::SerialNamesAFolder(request_.serial)) {
            return Failed("archive", "the serial number \"" + request_.serial + "\" cannot name a folder");
        }
        if (!CheckBucket() || !ChooseDestination()) {
            return result_;
        }
        if (!custody::ListCard(cardFs_, request_.card, cardFiles_, why)) {
            return Failed("card", why);
        }
        Plan plan;
        plan.toCopy = cardFiles_;
        if (destination_.resumed && !Resume(plan)) {
            return result_;
        }
        result_.filesKept = plan.kept.size();
        std::vector<PayloadFile> payload = plan.kept;
        if (!Copy(plan, payload)) {
            return result_;
        }
        Report(OffloadPhase::Sealing);
        std::string tagManifestSha256;
        if (!MakeBag(destination_, payload, "", tagManifestSha256)) {
            return result_;
        }
        result_.ok = true;
        result_.tagManifestSha256 = tagManifestSha256;
        result_.files = payload.size();
        result_.bytes = BytesOf(payload);
        result_.payloadOxum = custody::PayloadOxum(payload);
        result_.payload = std::move(payload);
        return result_;
    }

private:
    std::int64_t Now() const { return request_.clock ? request_.clock() : custody::UtcNow(); }

    StoreBagResult Failed(const std::string& step, const std::string& why, const S3Error& store = {})
    {
        result_.ok = false;
        result_.step = step;
        result_.why = why;
        result_.store = store;
        return result_;
    }

    bool StoreFailed(const std::string& step, const std::string& what, const S3Error& error)
    {
        Failed(step, what + ": " + Describe(error), error);
        return false;
    }

    // The bucket is there and the keys may use it; with retain days, it has
    // Object Lock, so that no object goes in unprotected.
    bool CheckBucket()
    {
        const std::string where = StoreUrl(bucket_, request_.archive.prefix);
        if (request_.retainDays <= 0) {
            const S3Error error = client_.HeadBucket(bucket_);
            return error.Ok() || StoreFailed("archive", where, error);
        }
        LockConfiguration configuration;
        const S3Error error = client_.GetObjectLockConfiguration(bucket_, configuration);
        if (!error.Ok() || !configuration.enabled) {
            S3Error refused = error;
            refused.problem = error.Ok() ? S3Problem::NoObjectLock : error.problem;
            return StoreFailed("archive", where, refused);
        }
        const LockMode mode = request_.lockMode == LockMode::None ? LockMode::Compliance : request_.lockMode;
        result_.lock = {mode, started_ + RetainedFor()};
        store_.LockNewObjects(result_.lock);
        return true;
    }

    std::int64_t RetainedFor() const { return std::int64_t{request_.retainDays} * kSecondsPerDay; }

    // The serial's newest bag when it has no tag manifest yet (an
    // interrupted offload), otherwise a new one.
    bool ChooseDestination()
    {
        destination_.serialPrefix = store_.Join(request_.archive.prefix, request_.serial);
        std::vector<std::string> names;
        if (!store_.ListFolders(destination_.serialPrefix, names)) {
            Failed("archive", store_.LastError(), store_.LastStoreError());
            return false;
        }
        const std::optional<custody::OffloadFolderName> newest = custody::NewestOffloadFolder(names, false);
        if (newest) {
            destination_.name = *newest;
            destination_.prefix = store_.Join(destination_.serialPrefix, newest->BagName());
            bool finished = false;
            if (!HasTagManifest(destination_.prefix, finished)) {
                return false;
            }
            destination_.resumed = !finished;
        }
        if (!destination_.resumed) {
            NewBag(names);
        }
        result_.bag = StoreUrl(bucket_, destination_.prefix);
        result_.resumed = destination_.resumed;
        return true;
    }

    void NewBag(const std::vector<std::string>& names)
    {
        destination_.name = custody::NewPartialFolder(names, started_);
        destination_.prefix = store_.Join(destination_.serialPrefix, destination_.name.BagName());
        destination_.resumed = false;
    }

    bool HasTagManifest(const std::string& prefix, bool& present)
    {
        ObjectInfo info;
        const S3Error error = client_.HeadObject(bucket_, store_.Join(prefix, kTagManifestName), info);
        present = error.Ok();
        return present || error.httpStatus == 404 || StoreFailed("archive", StoreUrl(bucket_, prefix), error);
    }

    // The earlier attempt's copies checked; where it cannot be finished as
    // it is, it is sealed or left, and the whole card goes into a new bag.
    bool Resume(Plan& plan)
    {
        if (!PlanResume(plan) || !TakeUploads(plan)) {
            return false;
        }
        if (plan.differs.empty() && !plan.stray) {
            return true;
        }
        if (!plan.differs.empty() && !plan.stray && !SealEarlier(plan)) {
            return false;
        }
        AbortUploads(plan);
        std::vector<std::string> names;
        if (!store_.ListFolders(destination_.serialPrefix, names)) {
            Failed("archive", store_.LastError(), store_.LastStoreError());
            return false;
        }
        NewBag(names);
        result_.bag = StoreUrl(bucket_, destination_.prefix);
        result_.resumed = false;
        plan = Plan();
        plan.toCopy = cardFiles_;
        return true;
    }

    bool PlanResume(Plan& plan)
    {
        std::vector<PayloadFile> journal;
        std::vector<FileEntry> archived;
        std::string why;
        const std::string data = store_.Join(destination_.prefix, "data");
        if (!custody::ReadVerifiedJournal(store_, destination_.prefix, journal, why)
            || !store_.ListFiles(data, archived, why)) {
            Failed("archive", "the unfinished bag " + result_.bag + " cannot be read: " + why, store_.LastStoreError());
            return false;
        }
        std::map<std::string, const PayloadFile*> listed;
        for (const PayloadFile& file : journal) {
            listed[file.path] = &file;
        }
        std::map<std::string, std::uint64_t> onCard;
        for (const FileEntry& file : cardFiles_) {
            onCard[file.relativePath] = file.size;
        }
        std::vector<const PayloadFile*> vouched;
        for (const FileEntry& file : archived) {
            const auto entry = listed.find(file.relativePath);
            if (entry != listed.end() && entry->second->size == file.size) {
                vouched.push_back(entry->second);
            } else if (onCard.count(file.relativePath) == 0) {
                plan.stray = true;
            }
        }
        std::vector<Found> found(vouched.size(), Found::Failed);
        checkTotal_ = 0;
        for (const PayloadFile* file : vouched) {
            const auto card = onCard.find(file->path);
            checkTotal_ += file->size + (card != onCard.end() && card->second == file->size ? file->size : 0);
        }
        Report(OffloadPhase::Checking);
        state_.Watch(
            [&] {
                ParallelEach(vouched.size(), request_.transfers, state_, [&](std::size_t i) {
                    const auto card = onCard.find(vouched[i]->path);
                    found[i] = Check(*vouched[i], card == onCard.end() ? std::nullopt
                                                                       : std::optional<std::uint64_t>(card->second));
                });
            },
            [this] { Watching(OffloadPhase::Checking); });
        if (Stopped()) {
            return false;
        }
        for (std::size_t i = 0; i < vouched.size(); ++i) {
            Sort(*vouched[i], found[i], onCard, plan);
        }
        plan.toCopy.clear();
        for (const FileEntry& file : cardFiles_) {
            if (onCard.count(file.relativePath) != 0) {
                plan.toCopy.push_back(file);
            }
        }
        return true;
    }

    static void Sort(const PayloadFile& file, Found found, std::map<std::string, std::uint64_t>& onCard, Plan& plan)
    {
        const bool cardHasIt = onCard.count(file.path) != 0;
        switch (found) {
        case Found::SameOnCard:
            onCard.erase(file.path);
            plan.kept.push_back(file);
            break;
        case Found::OffTheCard:
            plan.kept.push_back(file);
            break;
        case Found::OtherOnCard:
            plan.differs.push_back(file);
            break;
        case Found::ChangedSince:
        case Found::Failed:
            plan.stray = plan.stray || !cardHasIt;
            break;
        }
    }

    // The stored copy hashed, and the card's file of its name when it has
    // the same size.
    Found Check(const PayloadFile& verified, std::optional<std::uint64_t> cardSize)
    {
        const std::string key = store_.Join(store_.Join(destination_.prefix, "data"), verified.path);
        StoredDigest stored;
        const S3Error error = HashStoredObject(client_, bucket_, key, state_, state_.checked, stored);
        if (!error.Ok()) {
            if (!state_.Stopping()) {
                state_.Fail("verify", custody::EncodeBagPath(verified.path)
                                          + ": the earlier attempt's copy cannot be read back from the store: "
                                          + Describe(error), error);
            }
            return Found::Failed;
        }
        if (stored.size != verified.size || stored.sha256 != verified.sha256) {
            return Found::ChangedSince;
        }
        if (!cardSize) {
            return Found::OffTheCard;
        }
        if (*cardSize != verified.size) {
            return Found::OtherOnCard;
        }
        std::vector<unsigned char> buffer(kCheckBlock);
        custody::FileDigest onCard;
        const auto block = [this](std::size_t count) {
            state_.checked += count;
            state_.Moved();
            return !state_.Stopping();
        };
        const custody::DigestOutcome outcome = custody::DigestFile(
            cardFs_, cardFs_.Join(request_.card, verified.path), buffer, block, onCard);
        if (outcome != custody::DigestOutcome::Done) {
            if (!state_.Stopping()) {
                state_.Fail("card", custody::EncodeBagPath(verified.path)
                                        + ": cannot be read on the card (was the card removed?)");
            }
            return Found::Failed;
        }
        return onCard.sha256 == verified.sha256 ? Found::SameOnCard : Found::OtherOnCard;
    }

    // Uploads in parts an earlier attempt left under the bag: continued
    // where the file is still to be copied in parts, aborted otherwise.
    bool TakeUploads(Plan& plan)
    {
        const std::string data = store_.Join(destination_.prefix, "data") + "/";
        std::vector<MultipartUpload> uploads;
        const S3Error error = client_.ListMultipartUploads(bucket_, data, uploads);
        if (!error.Ok()) {
            return StoreFailed("archive", "the unfinished uploads of " + result_.bag + " cannot be listed", error);
        }
        for (const MultipartUpload& upload : uploads) {
            const std::string path = upload.key.substr(data.size());
            const auto copy = std::find_if(plan.toCopy.begin(), plan.toCopy.end(),
                                           [&path](const FileEntry& file) { return file.relativePath == path; });
            UnfinishedUpload earlier{upload.uploadId, {}};
            const bool continued = copy != plan.toCopy.end() && copy->size > kMultipartAbove
                                   && plan.uploads.count(path) == 0
                                   && client_.ListParts(bucket_, upload.key, upload.uploadId, earlier.parts).Ok();
            if (continued) {
                plan.uploads[path] = std::move(earlier);
            } else {
                client_.AbortMultipartUpload(bucket_, upload.key, upload.uploadId);
            }
        }
        return true;
    }

    void AbortUploads(Plan& plan)
    {
        const std::string data = store_.Join(destination_.prefix, "data");
        for (const auto& [path, upload] : plan.uploads) {
            client_.AbortMultipartUpload(bucket_, store_.Join(data, path), upload.uploadId);
        }
        plan.uploads.clear();
    }

    // The earlier attempt becomes a bag of what it verified, marked
    // incomplete, as custody seals a folder.
    bool SealEarlier(Plan& plan)
    {
        std::vector<PayloadFile> payload = plan.kept;
        payload.insert(payload.end(), plan.differs.begin(), plan.differs.end());
        std::string why = "the card's " + custody::EncodeBagPath(plan.differs.front().path);
        why += plan.differs.size() == 1 ? " differs from its copy verified here"
                                        : " and " + std::to_string(plan.differs.size() - 1)
                                              + " more differ from the copies verified here";
        why += " (was the card formatted since?); the card is offloaded anew";
        std::string tagManifestSha256;
        if (!MakeBag(destination_, payload, why, tagManifestSha256)) {
            return false;
        }
        result_.sealedEarlier = custody::SealedBag{result_.bag, why, payload.size(), BytesOf(payload),
                                                   custody::PayloadOxum(payload), tagManifestSha256};
        return true;
    }

    bool Copy(Plan& plan, std::vector<PayloadFile>& payload)
    {
        // Largest first, one at a time in parts; then the rest side by side.
        std::sort(plan.toCopy.begin(), plan.toCopy.end(), [](const FileEntry& a, const FileEntry& b) {
            return a.size != b.size ? a.size > b.size : a.relativePath < b.relativePath;
        });
        const auto large = std::find_if(plan.toCopy.begin(), plan.toCopy.end(),
                                        [](const FileEntry& file) { return file.size <= kMultipartAbove; });
        const std::size_t largeCount = static_cast<std::size_t>(large - plan.toCopy.begin());
        keptBytes_ = BytesOf(plan.kept);
        keptFiles_ = plan.kept.size();
        toCopyBytes_ = BytesOf(plan.toCopy);
        StoreJournal journal(store_, store_.Join(destination_.prefix, custody::kVerifiedJournalName), plan.kept);
        std::mutex payloadMutex;
        const auto targetOf = [&](const FileEntry& file) {
            return RecordingTarget{client_, bucket_,
                                   store_.Join(store_.Join(destination_.prefix, "data"), file.relativePath),
                                   result_.lock};
        };
        // Read back, entered in the journal, and in the bag's payload.
        const auto verify = [&](const RecordingTarget& target, const PayloadFile& stored) {
            std::string why;
            S3Error error;
            if (!ReadBackRecording(target, stored, state_)) {
                return;
            }
            if (!journal.Add(stored, why, error)) {
                state_.Fail("copy", why, error);
                return;
            }
            const std::lock_guard<std::mutex> lock(payloadMutex);
            payload.push_back(stored);
        };
        const auto store = [&](const FileEntry& file, unsigned partThreads, PayloadFile& stored) {
            const auto earlier = plan.uploads.find(file.relativePath);
            return StoreRecording(cardFs_, request_.card, file, targetOf(file),
                                  earlier == plan.uploads.end() ? nullptr : &earlier->second, partThreads, state_,
                                  stored);
        };
        // Large recordings one at a time in parts, each read back while the
        // next is uploaded; then the rest side by side.
        const auto copyAll = [&] {
            std::future<void> readBack;
            for (std::size_t i = 0; i < largeCount && !state_.Stopping(); ++i) {
                PayloadFile stored;
                const bool done = store(plan.toCopy[i], std::max(request_.transfers, 2u) - 1, stored);
                if (readBack.valid()) {
                    readBack.get();
                }
                if (done) {
                    readBack = std::async(std::launch::async, verify, targetOf(plan.toCopy[i]), stored);
                }
            }
            ParallelEach(plan.toCopy.size() - largeCount, request_.transfers, state_, [&](std::size_t i) {
                PayloadFile stored;
                if (store(plan.toCopy[largeCount + i], 1, stored)) {
                    verify(targetOf(plan.toCopy[largeCount + i]), stored);
                }
            });
            if (readBack.valid()) {
                readBack.get();
            }
        };
        std::string why;
        S3Error error;
        if (!destination_.resumed && largeCount > 0 && !journal.Begin(why, error)) {
            Failed("copy", why, error);
            return false;
        }
        Report(OffloadPhase::Copying);
        state_.Watch(copyAll,
            [this] { Watching(state_.sent < toCopyBytes_ ? OffloadPhase::Copying : OffloadPhase::Verifying); });
        if (!journal.Finish(why, error)) {
            state_.Fail("copy", why, error);
        }
        return !Stopped();
    }

    // Between transfers, on the calling thread.
    void Watching(OffloadPhase phase)
    {
        if (!state_.Stopping() && request_.interrupted && request_.interrupted()) {
            interrupted_ = true;
            state_.Interrupt();
        }
        Report(phase);
    }

    bool Stopped()
    {
        std::string step;
        std::string why;
        S3Error error;
        if (state_.Failed(step, why, error)) {
            Failed(step, why, error);
            return true;
        }
        if (interrupted_) {
            Failed("copy", "the offload was interrupted; offload the card again to finish its bag");
            return true;
        }
        return false;
    }

    void Report(OffloadPhase phase)
    {
        if (!request_.progress) {
            return;
        }
        custody::OffloadProgress progress;
        progress.phase = phase;
        progress.filesTotal = cardFiles_.size();
        progress.cardBytes = BytesOf(cardFiles_);
        progress.filesDone = phase == OffloadPhase::Checking ? 0 : keptFiles_ + state_.filesVerified;
        progress.workTotal = checkTotal_ + 2 * progress.cardBytes;
        const std::uint64_t copied = phase == OffloadPhase::Checking ? 0 : 2 * keptBytes_ + state_.sent + state_.readBack;
        progress.workDone = std::min(progress.workTotal, std::max(lastDone_, state_.checked + copied));
        if (phase == OffloadPhase::Sealing) {
            progress.workDone = progress.workTotal;
        }
        lastDone_ = progress.workDone;
        request_.progress(progress);
    }

    bool MakeBag(const Destination& bag, std::vector<PayloadFile>& payload, const std::string& incomplete,
                 std::string& tagManifestSha256)
    {
        std::sort(payload.begin(), payload.end(),
                  [](const PayloadFile& a, const PayloadFile& b) { return a.path < b.path; });
        custody::BagInfo given = request_.info;
        if (result_.lock.mode != LockMode::None) {
            given.emplace_back("Object-Lock-Mode", LockModeName(result_.lock.mode));
            // Each attempt locks its objects from its own start: the bag's
            // first attempt, which named it, locked the earliest.
            given.emplace_back("Object-Lock-Retain-Until", custody::UtcIso(bag.name.started + RetainedFor()));
        }
        const custody::BagInfo info = custody::OffloadBagInfo(given, bag.name.started, Now(), incomplete);
        std::string why;
        if (!custody::WriteBagTags(store_, bag.prefix, payload, info, tagManifestSha256, why)) {
            Failed("tags", why, store_.LastStoreError());
            return false;
        }
        return true;
    }

    S3Client& client_;
    const custody::FileSystem& cardFs_;
    const StoreBagRequest& request_;
    const std::string bucket_;
    const std::int64_t started_;
    StoreFileSystem store_;
    StoreBagResult result_;
    Destination destination_;
    std::vector<FileEntry> cardFiles_;
    TransferState state_;
    bool interrupted_ = false;
    std::uint64_t checkTotal_ = 0;
    std::uint64_t keptBytes_ = 0;
    std::uint64_t keptFiles_ = 0;
    std::uint64_t toCopyBytes_ = 0;
    std::uint64_t lastDone_ = 0;
};

}  // namespace

std::string StoreUrl(const std::string& bucket, const std::string& key)
{
    return "s3://" + bucket + (key.empty() ? "" : "/" + key);
}

StoreBagResult OffloadCardToStore(S3Client& client, const custody::FileSystem& cardFs, const StoreBagRequest& request)
{
    return StoreOffload(client, cardFs, request).Run();
}

}  // namespace objectstore
