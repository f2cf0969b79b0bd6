#include "custody/CopyPipeline.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <set>
#include <thread>

#include "core/Hash.h"
#include "custody/BoundedQueue.h"
#include "custody/FileDigest.h"
#include "platform/NameKey.h"
#include "custody/VerifiedJournal.h"

namespace custody {

namespace {

constexpr std::string_view kTempPrefix = ".orvane-copy-";
// Four blocks of 1 MiB in flight between the card reader and its hasher,
// a few written files between the hasher and the read-back: a few MiB in
// all, far below what a 32-bit process may use.
constexpr std::size_t kBlockSize = std::size_t{1} << 20;
constexpr std::size_t kBlocks = 4;
// Flushing a file waits for the disk, a few milliseconds even for a small
// one: several read-back threads keep the disk's queue full (its journal
// commits their flushes together) while the card is read on.
constexpr std::size_t kReadBackThreads = 4;
constexpr std::size_t kFilesAwaitingReadBack = 2 * kReadBackThreads;
// How often the calling thread asks `interrupted` while the last copies
// are read back.
constexpr std::chrono::milliseconds kPollInterval{50};

std::string ParentOf(const std::string& relative)
{
    const std::size_t slash = relative.rfind('/');
    return slash == std::string::npos ? std::string() : relative.substr(0, slash);
}

std::string WithParent(const std::string& parent, const std::string& name)
{
    return parent.empty() ? name : parent + "/" + name;
}

struct Block {
    std::vector<unsigned char> bytes = std::vector<unsigned char>(kBlockSize);
    std::size_t count = 0;
};

// A copy written in full, waiting for its flush and read-back.
struct WrittenCopy {
    std::string relative;
    std::string temp;
    std::string final;
    std::unique_ptr<WriteStream> stream;
    std::uint64_t size = 0;
    std::string cardSha256;
};

// A block of the card's bytes, or the end of a file.
struct HashItem {
    std::unique_ptr<Block> block;
    std::unique_ptr<WrittenCopy> endOfFile;
};

class Pipeline {
public:
    Pipeline(FileSystem& fs, const std::string& card, const std::string& data, const TempNames& temps,
             const CopyHooks& hooks)
        : fs_(fs), card_(card), data_(data), temps_(temps), hooks_(hooks)
    {
        for (std::size_t i = 0; i < kBlocks; ++i) {
            freeBlocks_.Push(std::make_unique<Block>());
        }
    }

    Pipeline(const Pipeline&) = delete;
    Pipeline& operator=(const Pipeline&) = delete;

    // Should anything throw, the threads stop before the queues they use go.
    ~Pipeline()
    {
        Fail("copy", "stopped");
        JoinThreads();
    }

    bool Run(const std::string& journal, const std::vector<FileEntry>& files, std::vector<PayloadFile>& copied,
             CopyFailure& failure)
    {
        if (!files.empty() && !OpenJournal(journal)) {
            failure = failure_;
            return false;
        }
        threads_.emplace_back(&Pipeline::HashCardBytes, this);
        for (std::size_t i = 0; i < kReadBackThreads; ++i) {
            threads_.emplace_back(&Pipeline::VerifyCopies, this);
        }
        for (std::size_t i = 0; i < files.size() && !stopped_; ++i) {
            CopyOne(files[i], i);
        }
        toHash_.Close();
        cardRead_ = true;
        AwaitReadBacks();
        JoinThreads();
        DiscardUnverified();
        if (!failed_) {
            Report();
        }
        copied.insert(copied.end(), copied_.begin(), copied_.end());
        failure = failure_;
        return !failed_;
    }

private:
    void JoinThreads()
    {
        for (std::thread& thread : threads_) {
            if (thread.joinable()) {
                thread.join();
            }
        }
    }

    bool OpenJournal(const std::string& path)
    {
        journal_ = fs_.OpenAppend(path);
        if (!journal_) {
            Fail("copy", "the journal of verified copies cannot be opened" + FailureCause(fs_, "is the archive writable?"));
        }
        return journal_ != nullptr;
    }

    // Appended and flushed only once the copy has its name: a copy under
    // its name that the journal does not list is never trusted later.
    bool EnterInJournal(const WrittenCopy& copy)
    {
        bool written = false;
        {
            const std::lock_guard<std::mutex> lock(journalMutex_);
            const std::string line = VerifiedJournalLine({copy.relative, copy.size, copy.cardSha256});
            written = journal_->Write(line.data(), line.size());
        }
        // Outside the lock, so that the read-back threads' flushes overlap.
        if (written && journal_->Flush()) {
            return true;
        }
        Fail("copy", copy.relative + ": verified, but the journal of verified copies cannot be written" +
                         FailureCause(fs_, "is the archive full?"));
        return false;
    }

    void Fail(const std::string& step, const std::string& why)
    {
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            if (!failed_) {
                failed_ = true;
                failure_ = {step, why, step == "copy" && fs_.LastErrorWasNoSpace()};
            }
        }
        stopped_ = true;
        freeBlocks_.Close();
        toHash_.Close();
        toVerify_.Close();
    }

    void Report() const
    {
        if (hooks_.progress) {
            hooks_.progress({filesVerified_, bytesCopied_, bytesReadBack_, cardRead_});
        }
    }

    // Asked between blocks on the calling thread; `doing` completes
    // "interrupted while ...".
    bool Continue(const std::string& doing)
    {
        Report();
        if (hooks_.interrupted && hooks_.interrupted()) {
            Fail("copy", "interrupted while " + doing);
        }
        return !stopped_;
    }

    void CopyOne(const FileEntry& file, std::size_t index)
    {
        if (!Continue("copying " + file.relativePath) || !MakeParentFolder(file.relativePath)) {
            return;
        }
        const std::unique_ptr<ReadStream> source = fs_.OpenRead(fs_.Join(card_, file.relativePath));
        if (!source) {
            Fail("card", file.relativePath + ": cannot be opened on the card" + FailureCause(fs_, "was the card removed?"));
            return;
        }
        auto copy = std::make_unique<WrittenCopy>();
        copy->relative = file.relativePath;
        copy->temp = fs_.Join(data_, temps_.For(file.relativePath, index));
        copy->final = fs_.Join(data_, file.relativePath);
        copy->stream = fs_.CreateNew(copy->temp);
        if (!copy->stream && fs_.Exists(copy->temp) && fs_.RemoveFile(copy->temp)) {
            copy->stream = fs_.CreateNew(copy->temp);  // one left by an earlier attempt
        }
        if (!copy->stream) {
            Fail("copy", file.relativePath + ": cannot be created in the archive" + FailureCause(fs_, "is it writable?"));
            return;
        }
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            unverified_.insert(copy->temp);
        }
        if (!CopyBytes(*source, *copy)) {
            return;
        }
        if (copy->size != file.size) {
            Fail("card", file.relativePath + ": " + std::to_string(copy->size) + " bytes read where the card listed " +
                             std::to_string(file.size) + " (the file changed or the card was removed)");
            return;
        }
        HashItem end;
        end.endOfFile = std::move(copy);
        toHash_.Push(std::move(end));
    }

    bool CopyBytes(ReadStream& source, WrittenCopy& copy)
    {
        for (;;) {
            std::unique_ptr<Block> block;
            if (!Continue("copying " + copy.relative) || !freeBlocks_.Pop(block)) {
                return false;
            }
            if (!source.Read(block->bytes.data(), block->bytes.size(), block->count)) {
                Fail("card", copy.relative + ": read error on the card after " + std::to_string(copy.size) + " bytes" +
                                 FailureCause(fs_, "was the card removed?"));
                return false;
            }
            if (block->count == 0) {
                freeBlocks_.Push(std::move(block));
                return true;
            }
            if (!copy.stream->Write(block->bytes.data(), block->count)) {
                Fail("copy", copy.relative + ": cannot be written to the archive after " + std::to_string(copy.size) +
                                 " bytes" + FailureCause(fs_, "is it full?"));
                return false;
            }
            copy.size += block->count;
            bytesCopied_ += block->count;
            HashItem item;
            item.block = std::move(block);
            toHash_.Push(std::move(item));
        }
    }

    bool MakeParentFolder(const std::string& relative)
    {
        const std::string parent = ParentOf(relative);
        if (parent.empty() || madeFolders_.count(parent) != 0) {
            return true;
        }
        if (!fs_.CreateFolders(fs_.Join(data_, parent))) {
            Fail("copy", parent + ": the folder cannot be created in the archive" + FailureCause(fs_, "is it writable?"));
            return false;
        }
        madeFolders_.insert(parent);
        return true;
    }

    // The second thread: the card's bytes, block by block, in file order.
    void HashCardBytes()
    {
        auto hasher = std::make_unique<Hasher>(HashAlgorithm::Sha256);
        bool hashing = true;
        HashItem item;
        while (!stopped_ && toHash_.Pop(item)) {
            if (item.block) {
                hashing = hashing && hasher->Update(item.block->bytes.data(), item.block->count);
                freeBlocks_.Push(std::move(item.block));
                continue;
            }
            item.endOfFile->cardSha256 = hashing ? hasher->FinishHex() : std::string();
            if (item.endOfFile->cardSha256.empty()) {
                Fail("copy", item.endOfFile->relative + ": the card's bytes cannot be hashed (SHA-256)");
                return;
            }
            hasher = std::make_unique<Hasher>(HashAlgorithm::Sha256);
            hashing = true;
            toVerify_.Push(std::move(item.endOfFile));
        }
        toVerify_.Close();
    }

    // The read-back threads: each written copy flushed, read back and
    // compared.
    void VerifyCopies()
    {
        std::vector<unsigned char> buffer(kBlockSize);
        std::unique_ptr<WrittenCopy> copy;
        while (!stopped_ && toVerify_.Pop(copy)) {
            if (!VerifyOne(*copy, buffer)) {
                break;
            }
        }
        const std::lock_guard<std::mutex> lock(mutex_);
        ++readBacksDone_;
        readBacksChanged_.notify_all();
    }

    bool VerifyOne(WrittenCopy& copy, std::vector<unsigned char>& buffer)
    {
        const bool flushed = copy.stream->Flush();
        copy.stream.reset();
        if (!flushed) {
            Fail("copy", copy.relative + ": cannot be flushed to the archive's disk" + FailureCause(fs_, "is it full?"));
            return false;
        }
        FileDigest readBack;
        const DigestOutcome outcome = DigestFile(fs_, copy.temp, buffer,
                                             [this](std::size_t count) {
                                                 bytesReadBack_ += count;
                                                 return !stopped_;
                                             },
                                             readBack, ReadFrom::Disk);
        if (outcome != DigestOutcome::Done) {
            if (outcome != DigestOutcome::Stopped) {
                Fail("verify", copy.relative + ": the copy cannot be read back from the archive" +
                                   FailureCause(fs_, "was the archive removed?"));
            }
            return false;
        }
        if (readBack.size != copy.size || readBack.sha256 != copy.cardSha256) {
            Fail("verify", copy.relative + ": the copy read back from the archive differs from the card (" +
                               std::to_string(readBack.size) + " bytes, SHA-256 " + readBack.sha256 + "; card " +
                               std::to_string(copy.size) + " bytes, SHA-256 " + copy.cardSha256 + ")");
            return false;
        }
        if (!fs_.Rename(copy.temp, copy.final)) {
            Fail("copy", copy.relative + ": the verified copy cannot be given its name in the archive" +
                             FailureCause(fs_, "is the archive writable?"));
            return false;
        }
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            unverified_.erase(copy.temp);
        }
        if (!EnterInJournal(copy)) {
            return false;
        }
        const std::lock_guard<std::mutex> lock(mutex_);
        copied_.push_back({copy.relative, copy.size, copy.cardSha256});
        ++filesVerified_;
        return true;
    }

    // The calling thread waits for the last read-backs, still answering an
    // interruption and reporting progress.
    void AwaitReadBacks()
    {
        std::unique_lock<std::mutex> lock(mutex_);
        while (readBacksDone_ < kReadBackThreads && !stopped_) {
            readBacksChanged_.wait_for(lock, kPollInterval);
            lock.unlock();
            Continue("reading back the last copies");
            lock.lock();
        }
    }

    // After a failure: no copy that was not verified stays under any name.
    // Windows removes no file still open, so every copy left in a queue is
    // closed first.
    void DiscardUnverified()
    {
        {
            HashItem item;
            while (toHash_.Pop(item)) {
            }
            std::unique_ptr<WrittenCopy> copy;
            while (toVerify_.Pop(copy)) {
            }
        }
        for (const std::string& temp : unverified_) {
            fs_.RemoveFile(temp);
        }
    }

    FileSystem& fs_;
    const std::string& card_;
    const std::string& data_;
    const TempNames& temps_;
    const CopyHooks& hooks_;
    std::unique_ptr<WriteStream> journal_;
    std::mutex journalMutex_;  // one line at a time

    BoundedQueue<std::unique_ptr<Block>> freeBlocks_{kBlocks};
    BoundedQueue<HashItem> toHash_{kBlocks + kFilesAwaitingReadBack};
    BoundedQueue<std::unique_ptr<WrittenCopy>> toVerify_{kFilesAwaitingReadBack};
    std::set<std::string> madeFolders_;  // calling thread only
    std::vector<std::thread> threads_;   // the hasher and the read-backs

    std::atomic<bool> stopped_{false};
    std::atomic<std::uint64_t> filesVerified_{0};
    std::atomic<std::uint64_t> bytesReadBack_{0};
    std::uint64_t bytesCopied_ = 0;  // calling thread only
    bool cardRead_ = false;          // calling thread only

    std::mutex mutex_;  // guards what follows
    std::condition_variable readBacksChanged_;
    std::size_t readBacksDone_ = 0;
    bool failed_ = false;
    CopyFailure failure_;
    std::set<std::string> unverified_;
    std::vector<PayloadFile> copied_;
};

}  // namespace

std::string FailureCause(const FileSystem& fs, const char* likely)
{
    const std::string error = fs.LastError();
    return " (" + (error.empty() ? std::string(likely) : error) + ")";
}

TempNames::TempNames(const std::vector<FileEntry>& cardFiles) : count_(cardFiles.empty() ? 1 : cardFiles.size())
{
    for (const FileEntry& file : cardFiles) {
        cardPaths_.insert(NameKey(file.relativePath));
    }
}

std::string TempNames::For(const std::string& relative, std::size_t index) const
{
    const std::string parent = ParentOf(relative);
    for (std::uint64_t number = index;; number += count_) {
        std::string candidate = WithParent(parent, std::string(kTempPrefix) + std::to_string(number));
        if (cardPaths_.count(NameKey(candidate)) == 0) {
            return candidate;
        }
    }
}

bool TempNames::IsTemp(std::string_view relative)
{
    const std::size_t slash = relative.rfind('/');
    const std::string_view name = slash == std::string_view::npos ? relative : relative.substr(slash + 1);
    if (name.size() <= kTempPrefix.size() || name.substr(0, kTempPrefix.size()) != kTempPrefix) {
        return false;
    }
    for (char c : name.substr(kTempPrefix.size())) {
        if (c < '0' || c > '9') {
            return false;
        }
    }
    return true;
}

bool CopyVerified(FileSystem& fs, const std::string& card, const std::string& data, const std::string& journal,
                  const std::vector<FileEntry>& files, const TempNames& temps, const CopyHooks& hooks,
                  std::vector<PayloadFile>& copied, CopyFailure& failure)
{
    Pipeline pipeline(fs, card, data, temps, hooks);
    return pipeline.Run(journal, files, copied, failure);
}

}  // namespace custody
