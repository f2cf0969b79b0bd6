#include "objectstore/RecordingUpload.h"

#include <algorithm>
#include <map>
#include <mutex>
#include <thread>

#include "core/Hash.h"
#include "custody/BagPaths.h"
#include "custody/BoundedQueue.h"
#include "objectstore/MemoryBodies.h"

namespace objectstore {
namespace {

constexpr std::uint64_t kPartSize = std::uint64_t{8} << 20;
constexpr std::uint64_t kMostParts = 10000;
// Parts in memory at once: one being read, one waiting, one per uploader.
constexpr std::size_t kPartsWaiting = 1;

std::string Shown(const std::string& path)
{
    return custody::EncodeBagPath(path);
}

// A card's file as a request body, read again from its start for a retry.
// The bytes the store took are counted once, however often it is read;
// the state's stop ends a read.
class CardFileBody final : public BodySource {
public:
    CardFileBody(const custody::FileSystem& fs, std::string path, std::uint64_t size, TransferState& state)
        : fs_(fs), path_(std::move(path)), size_(size), state_(state)
    {
    }

    std::uint64_t Size() const override { return size_; }

    bool Rewind() override
    {
        stream_ = fs_.OpenRead(path_);
        previous_ = at_;
        at_ = 0;
        return stream_ != nullptr;
    }

    bool Read(void* buffer, std::size_t capacity, std::size_t& count) override
    {
        if (state_.Stopping() || !stream_ || !stream_->Read(buffer, capacity, count)) {
            return false;
        }
        at_ += count;
        if (at_ > size_) {
            return false;  // the file grew since it was listed
        }
        if (counting_ && at_ > counted_) {
            state_.sent += at_ - counted_;
            counted_ = at_;
            state_.Moved();
        }
        return true;
    }

    // From now on the bytes read are the upload's.
    void Count() { counting_ = true; }
    // The bytes the read before the last rewind took.
    std::uint64_t PreviousLength() const { return previous_; }

private:
    const custody::FileSystem& fs_;
    const std::string path_;
    const std::uint64_t size_;
    TransferState& state_;
    std::unique_ptr<custody::ReadStream> stream_;
    std::uint64_t at_ = 0;
    std::uint64_t previous_ = 0;
    std::uint64_t counted_ = 0;
    bool counting_ = false;
};

class HashingSink final : public BodySink {
public:
    HashingSink(TransferState& state, std::atomic<std::uint64_t>& counted) : state_(state), counted_(counted) {}
    bool Write(const void* bytes, std::size_t count) override
    {
        size_ += count;
        counted_ += count;
        state_.Moved();
        return hasher_.Update(bytes, count) && !state_.Stopping();
    }
    void Finish(StoredDigest& digest)
    {
        digest.size = size_;
        digest.sha256 = hasher_.FinishHex();
    }

private:
    TransferState& state_;
    std::atomic<std::uint64_t>& counted_;
    Hasher hasher_{HashAlgorithm::Sha256};
    std::uint64_t size_ = 0;
};

// The failure of a store call, unless the state stopped it (then the
// first failure, or the interruption, says why).
void StoreFailed(TransferState& state, const std::string& step, const std::string& what, const S3Error& error)
{
    if (!state.Stopping()) {
        state.Fail(step, what + ": " + Describe(error), error);
    }
}

bool CheckReadBack(const RecordingTarget& target, const custody::FileEntry& file, const std::string& sha256,
                   TransferState& state)
{
    // The client continues a read cut off part-way; when it gave up, the
    // whole read-back is tried once more.
    StoredDigest stored;
    S3Error error = HashStoredObject(target.client, target.bucket, target.key, state, state.readBack, stored);
    if (!error.Ok() && Retriable(error) && !state.Stopping()) {
        error = HashStoredObject(target.client, target.bucket, target.key, state, state.readBack, stored);
    }
    if (!error.Ok()) {
        StoreFailed(state, "verify", Shown(file.relativePath) + ": cannot be read back from the store", error);
        return false;
    }
    if (stored.size != file.size || stored.sha256 != sha256) {
        state.Fail("verify", Shown(file.relativePath) + ": read back from the store other than the card holds it");
        return false;
    }
    state.filesVerified += 1;
    state.Moved();
    return true;
}

bool UploadWhole(const custody::FileSystem& fs, const std::string& cardPath, const custody::FileEntry& file,
                 const RecordingTarget& target, TransferState& state, std::string& sha256)
{
    CardFileBody body(fs, cardPath, file.size, state);
    PayloadDigests digests;
    if (!DigestsOf(body, digests) || body.PreviousLength() != file.size) {
        if (!state.Stopping()) {
            state.Fail("card", Shown(file.relativePath) + ": cannot be read on the card, or holds other than "
                                   + std::to_string(file.size) + " bytes (was the card removed?)");
        }
        return false;
    }
    body.Count();
    const S3Error error = target.client.PutObject(target.bucket, target.key, body, digests, target.lock);
    if (!error.Ok()) {
        StoreFailed(state, "copy", Shown(file.relativePath) + ": cannot be stored", error);
        return false;
    }
    sha256 = digests.sha256Hex;
    return true;
}

std::string WithoutQuotes(std::string etag)
{
    etag.erase(std::remove(etag.begin(), etag.end(), '"'), etag.end());
    return etag;
}

struct Part {
    std::int32_t number = 0;
    std::string bytes;
};

// The parts of one file: read in order on the calling thread, which hashes
// the whole file, and uploaded on the others.
class PartUpload {
public:
    PartUpload(const RecordingTarget& target, const custody::FileEntry& file, std::string uploadId,
               TransferState& state)
        : target_(target), file_(file), uploadId_(std::move(uploadId)), state_(state), queue_(kPartsWaiting)
    {
    }

    // Parts the store holds already, kept where they hold the card's bytes.
    void Keep(const std::vector<UploadedPart>& parts)
    {
        for (const UploadedPart& part : parts) {
            earlier_[part.partNumber] = part;
        }
    }

    bool Run(const custody::FileSystem& fs, const std::string& cardPath, unsigned threads, std::string& sha256)
    {
        std::vector<std::thread> uploaders;
        for (unsigned i = 0; i < std::max(threads, 1u); ++i) {
            uploaders.emplace_back([this] { Upload(); });
        }
        const bool read = ReadParts(fs, cardPath, sha256);
        queue_.Close();
        for (std::thread& uploader : uploaders) {
            uploader.join();
        }
        return read && !state_.Stopping();
    }

    std::vector<UploadedPart> Parts()
    {
        std::sort(done_.begin(), done_.end(),
                  [](const UploadedPart& a, const UploadedPart& b) { return a.partNumber < b.partNumber; });
        return done_;
    }

private:
    bool ReadParts(const custody::FileSystem& fs, const std::string& cardPath, std::string& sha256)
    {
        const std::unique_ptr<custody::ReadStream> stream = fs.OpenRead(cardPath);
        Hasher whole(HashAlgorithm::Sha256);
        const std::uint64_t partSize = PartSize(file_.size);
        std::uint64_t read = 0;
        for (std::int32_t number = 1; stream && read < file_.size && !state_.Stopping(); ++number) {
            Part part{number, std::string(static_cast<std::size_t>(std::min(partSize, file_.size - read)), '\0')};
            if (!ReadFull(*stream, part.bytes) || !whole.Update(part.bytes.data(), part.bytes.size())) {
                break;
            }
            read += part.bytes.size();
            if (!Kept(part)) {
                queue_.Push(std::move(part));
            }
        }
        char beyond = 0;
        std::size_t more = 0;
        if (state_.Stopping()) {
            return false;
        }
        if (!stream || read != file_.size || !stream->Read(&beyond, 1, more) || more != 0) {
            state_.Fail("card", Shown(file_.relativePath) + ": cannot be read on the card, or holds other than "
                                    + std::to_string(file_.size) + " bytes (was the card removed?)");
            return false;
        }
        sha256 = whole.FinishHex();
        return true;
    }

    static bool ReadFull(custody::ReadStream& stream, std::string& bytes)
    {
        std::size_t at = 0;
        while (at < bytes.size()) {
            std::size_t count = 0;
            if (!stream.Read(&bytes[at], bytes.size() - at, count) || count == 0) {
                return false;
            }
            at += count;
        }
        return true;
    }

    // An earlier attempt's part of this number and the same bytes.
    bool Kept(const Part& part)
    {
        const auto earlier = earlier_.find(part.number);
        if (earlier == earlier_.end() || earlier->second.size != part.bytes.size()
            || WithoutQuotes(earlier->second.etag) != HashHex(HashAlgorithm::Md5, part.bytes)) {
            return false;
        }
        Record(earlier->second);
        return true;
    }

    void Record(const UploadedPart& part)
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        done_.push_back(part);
        state_.sent += part.size;
        state_.Moved();
    }

    void Upload()
    {
        Part part;
        while (queue_.Pop(part)) {
            if (state_.Stopping()) {
                continue;  // drain, so that the reader is not left waiting
            }
            const PayloadDigests digests = DigestsOf(part.bytes);
            StringSource body(std::move(part.bytes));
            std::string etag;
            const S3Error error =
                target_.client.UploadPart(target_.bucket, target_.key, uploadId_, part.number, body, digests, etag);
            if (!error.Ok()) {
                StoreFailed(state_, "copy", Shown(file_.relativePath) + ": part " + std::to_string(part.number)
                                                + " cannot be stored", error);
                continue;
            }
            Record({part.number, etag, body.Size()});
        }
    }

    const RecordingTarget& target_;
    const custody::FileEntry& file_;
    const std::string uploadId_;
    TransferState& state_;
    custody::BoundedQueue<Part> queue_;
    std::map<std::int32_t, UploadedPart> earlier_;
    std::mutex mutex_;
    std::vector<UploadedPart> done_;
};

// Some stores (Ceph's gateway among them) store an object completed from
// parts without the lock its upload was created with: the lock is set on
// its version again and checked.
bool Locked(const RecordingTarget& target, const custody::FileEntry& file, TransferState& state)
{
    if (target.lock.mode == LockMode::None) {
        return true;
    }
    ObjectInfo info;
    S3Error error = target.client.HeadObject(target.bucket, target.key, info);
    if (error.Ok() && info.lockMode != target.lock.mode) {
        error = target.client.PutObjectRetention(target.bucket, target.key, info.versionId, target.lock);
        error = error.Ok() ? target.client.HeadObject(target.bucket, target.key, info) : error;
    }
    if (!error.Ok()) {
        StoreFailed(state, "copy", Shown(file.relativePath) + ": its lock cannot be set", error);
        return false;
    }
    if (info.lockMode != target.lock.mode) {
        state.Fail("copy", Shown(file.relativePath) + ": the store did not lock it");
        return false;
    }
    return true;
}

bool UploadInParts(const custody::FileSystem& fs, const std::string& cardPath, const custody::FileEntry& file,
                   const RecordingTarget& target, const UnfinishedUpload* earlier, unsigned threads,
                   TransferState& state, std::string& sha256)
{
    std::string uploadId = earlier ? earlier->uploadId : "";
    if (!earlier) {
        const S3Error error = target.client.CreateMultipartUpload(target.bucket, target.key, target.lock, uploadId);
        if (!error.Ok()) {
            StoreFailed(state, "copy", Shown(file.relativePath) + ": cannot be stored", error);
            return false;
        }
    }
    PartUpload upload(target, file, uploadId, state);
    if (earlier) {
        upload.Keep(earlier->parts);
    }
    bool stored = upload.Run(fs, cardPath, threads, sha256);
    if (stored) {
        const S3Error error = target.client.CompleteMultipartUpload(target.bucket, target.key, uploadId, upload.Parts());
        stored = error.Ok();
        if (!stored) {
            StoreFailed(state, "copy", Shown(file.relativePath) + ": its parts cannot be joined", error);
        }
    }
    stored = stored && Locked(target, file, state);
    std::string step;
    std::string why;
    S3Error cause;
    // An interrupted offload continues the upload; a failed one leaves
    // nothing to grow.
    if (!stored && state.Failed(step, why, cause)) {
        target.client.AbortMultipartUpload(target.bucket, target.key, uploadId);
    }
    return stored;
}

}  // namespace

std::uint64_t PartSize(std::uint64_t fileSize)
{
    const std::uint64_t mib = std::uint64_t{1} << 20;
    const std::uint64_t least = (fileSize + kMostParts - 1) / kMostParts;
    return std::max(kPartSize, (least + mib - 1) / mib * mib);
}

S3Error HashStoredObject(S3Client& client, const std::string& bucket, const std::string& key, TransferState& state,
                         std::atomic<std::uint64_t>& counted, StoredDigest& digest)
{
    HashingSink sink(state, counted);
    S3Error error = client.GetObject(bucket, key, sink);
    sink.Finish(digest);
    return error;
}

bool StoreRecording(const custody::FileSystem& fs, const std::string& card, const custody::FileEntry& file,
                    const RecordingTarget& target, const UnfinishedUpload* earlier, unsigned partThreads,
                    TransferState& state, custody::PayloadFile& stored)
{
    const std::string cardPath = fs.Join(card, file.relativePath);
    std::string sha256;
    const bool done = file.size > kMultipartAbove
                          ? UploadInParts(fs, cardPath, file, target, earlier, partThreads, state, sha256)
                          : UploadWhole(fs, cardPath, file, target, state, sha256);
    stored = {file.relativePath, file.size, sha256};
    return done;
}

bool ReadBackRecording(const RecordingTarget& target, const custody::PayloadFile& stored, TransferState& state)
{
    return CheckReadBack(target, {stored.path, stored.size}, stored.sha256, state);
}

bool UploadRecording(const custody::FileSystem& fs, const std::string& card, const custody::FileEntry& file,
                     const RecordingTarget& target, const UnfinishedUpload* earlier, unsigned partThreads,
                     TransferState& state, custody::PayloadFile& verified)
{
    return StoreRecording(fs, card, file, target, earlier, partThreads, state, verified)
           && ReadBackRecording(target, verified, state);
}

}  // namespace objectstore
