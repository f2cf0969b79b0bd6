#include "objectstore/StoreFileSystem.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <vector>

#include "custody/BoundedQueue.h"
#include "custody/TagFileIo.h"
#include "objectstore/MemoryBodies.h"

namespace objectstore {
namespace {

// Blocks handed from the transfer's thread to the reader: a few of them
// ahead keep the transfer going while the reader hashes.
constexpr std::size_t kStreamBlock = 256 * 1024;
constexpr std::size_t kBlocksAhead = 4;

std::string Quoted(const std::string& key)
{
    return "\"" + key + "\"";
}

// An object's body, pulled block by block from a GET that pushes it.
class ObjectStream final : public custody::ReadStream {
public:
    ObjectStream(S3Client& client, const std::string& bucket, std::string key, const StoreFileSystem& owner)
        : owner_(owner), key_(std::move(key)), queue_(kBlocksAhead)
    {
        transfer_ = std::thread([this, &client, bucket] { Transfer(client, bucket); });
    }

    ~ObjectStream() override
    {
        cancelled_ = true;
        queue_.Close();
        if (transfer_.joinable()) {
            transfer_.join();
        }
    }

    ObjectStream(const ObjectStream&) = delete;
    ObjectStream& operator=(const ObjectStream&) = delete;

    bool Read(void* buffer, std::size_t capacity, std::size_t& count) override
    {
        count = 0;
        while (at_ == block_.size()) {
            if (!queue_.Pop(block_)) {
                return Ended();
            }
            at_ = 0;
        }
        count = std::min(capacity, block_.size() - at_);
        std::memcpy(buffer, block_.data() + at_, count);
        at_ += count;
        return true;
    }

private:
    class QueueSink final : public BodySink {
    public:
        explicit QueueSink(ObjectStream& stream) : stream_(stream) {}
        bool Write(const void* bytes, std::size_t count) override
        {
            const char* from = static_cast<const char*>(bytes);
            while (count > 0) {
                const std::size_t take = std::min(count, kStreamBlock - pending_.size());
                pending_.insert(pending_.end(), from, from + take);
                from += take;
                count -= take;
                if (pending_.size() == kStreamBlock && !Hand()) {
                    return false;
                }
            }
            return !stream_.cancelled_;
        }
        bool Hand()
        {
            if (pending_.empty()) {
                return true;
            }
            std::vector<char> block;
            block.swap(pending_);
            return stream_.queue_.Push(std::move(block));
        }

    private:
        ObjectStream& stream_;
        std::vector<char> pending_;
    };

    void Transfer(S3Client& client, const std::string& bucket)
    {
        QueueSink sink(*this);
        error_ = client.GetObject(bucket, key_, sink);
        if (error_.Ok() && !sink.Hand()) {
            error_.problem = S3Problem::LocalIo;
        }
        queue_.Close();
    }

    // Every block taken: the end of the object, or the failure that cut it.
    bool Ended()
    {
        if (transfer_.joinable()) {
            transfer_.join();
        }
        if (error_.Ok()) {
            return true;
        }
        owner_.Failed("cannot read " + Quoted(key_) + ": " + Describe(error_), error_);
        return false;
    }

    const StoreFileSystem& owner_;
    const std::string key_;
    custody::BoundedQueue<std::vector<char>> queue_;
    std::atomic<bool> cancelled_{false};
    S3Error error_;  // written by the transfer's thread before it closes the queue
    std::thread transfer_;
    std::vector<char> block_;
    std::size_t at_ = 0;
};

// A small object built in memory and put whole at each flush.
class ObjectWriter final : public custody::WriteStream {
public:
    ObjectWriter(S3Client& client, const std::string& bucket, std::string key, const ObjectLock& lock,
                 StoreFileSystem& owner)
        : client_(client), bucket_(bucket), key_(std::move(key)), lock_(lock), owner_(owner)
    {
    }

    bool Write(const void* bytes, std::size_t count) override
    {
        if (count > custody::kLargestTagFile - bytes_.size()) {
            owner_.Failed(Quoted(key_) + " would be larger than the largest tag file", {});
            return false;
        }
        bytes_.append(static_cast<const char*>(bytes), count);
        return true;
    }

    bool Flush() override
    {
        StringSource body(bytes_);
        const S3Error error = client_.PutObject(bucket_, key_, body, DigestsOf(bytes_), lock_);
        if (!error.Ok()) {
            owner_.Failed("cannot store " + Quoted(key_) + ": " + Describe(error), error);
        }
        return error.Ok();
    }

private:
    S3Client& client_;
    const std::string& bucket_;
    const std::string key_;
    const ObjectLock lock_;
    StoreFileSystem& owner_;
    std::string bytes_;
};

}  // namespace

StoreFileSystem::StoreFileSystem(S3Client& client, std::string bucket, ObjectLock lock)
    : client_(client), bucket_(std::move(bucket)), lock_(lock)
{
}

std::string StoreFileSystem::Join(const std::string& base, const std::string& relative) const
{
    return base.empty() ? relative : base + "/" + relative;
}

bool StoreFileSystem::IsFolder(const std::string& path) const
{
    ObjectListing page;
    const S3Error error = client_.ListObjectsV2(bucket_, path.empty() ? "" : path + "/", "/", "", page);
    if (!error.Ok()) {
        Failed("cannot list " + Quoted(path) + ": " + Describe(error), error);
        return false;
    }
    return !page.objects.empty() || !page.commonPrefixes.empty();
}

bool StoreFileSystem::Exists(const std::string& path) const
{
    ObjectInfo info;
    const S3Error error = client_.HeadObject(bucket_, path, info);
    if (error.Ok()) {
        return true;
    }
    // HEAD answers a missing key without a body: 404 whatever the cause.
    if (error.httpStatus != 404) {
        Failed("cannot look up " + Quoted(path) + ": " + Describe(error), error);
        return false;
    }
    return IsFolder(path);
}

bool StoreFileSystem::ListFiles(const std::string& root, const std::vector<std::string>& skippedRootFolders,
                                std::vector<custody::FileEntry>& files, std::string& error) const
{
    const std::string prefix = root.empty() ? "" : root + "/";
    std::string token;
    do {
        ObjectListing page;
        const S3Error failure = client_.ListObjectsV2(bucket_, prefix, "", token, page);
        if (!failure.Ok()) {
            error = "cannot list " + Quoted(root) + ": " + Describe(failure);
            Failed(error, failure);
            return false;
        }
        for (const ObjectInfo& object : page.objects) {
            std::string relative = object.key.substr(prefix.size());
            const std::string top = relative.substr(0, relative.find('/'));
            const bool skipped = relative.find('/') != std::string::npos
                                 && std::find(skippedRootFolders.begin(), skippedRootFolders.end(), top)
                                        != skippedRootFolders.end();
            // A key ending in '/' is a folder's marker some tools make.
            if (!skipped && !relative.empty() && relative.back() != '/') {
                files.push_back({std::move(relative), object.size});
            }
        }
        token = page.nextContinuationToken;
    } while (!token.empty());
    return true;
}

bool StoreFileSystem::ListFolders(const std::string& path, std::vector<std::string>& names) const
{
    const std::string prefix = path.empty() ? "" : path + "/";
    std::string token;
    do {
        ObjectListing page;
        const S3Error error = client_.ListObjectsV2(bucket_, prefix, "/", token, page);
        if (!error.Ok()) {
            Failed("cannot list " + Quoted(path) + ": " + Describe(error), error);
            return false;
        }
        for (const std::string& folder : page.commonPrefixes) {
            const std::string name = folder.substr(prefix.size(), folder.size() - prefix.size() - 1);
            if (!name.empty()) {
                names.push_back(name);
            }
        }
        token = page.nextContinuationToken;
    } while (!token.empty());
    return true;
}

std::unique_ptr<custody::ReadStream> StoreFileSystem::OpenRead(const std::string& path) const
{
    return std::make_unique<ObjectStream>(client_, bucket_, path, *this);
}

std::unique_ptr<custody::WriteStream> StoreFileSystem::CreateNew(const std::string& path)
{
    return std::make_unique<ObjectWriter>(client_, bucket_, path, lock_, *this);
}

std::unique_ptr<custody::WriteStream> StoreFileSystem::OpenAppend(const std::string& path)
{
    Failed("objects cannot be appended to: " + Quoted(path), {});
    return nullptr;
}

bool StoreFileSystem::CreateFolders(const std::string&)
{
    return true;  // a prefix needs no making
}

bool StoreFileSystem::Rename(const std::string& from, const std::string&)
{
    Failed("objects cannot be renamed: " + Quoted(from), {});
    return false;
}

bool StoreFileSystem::RemoveFile(const std::string& path)
{
    Failed("nothing is removed from the store: " + Quoted(path), {});
    return false;
}

std::string StoreFileSystem::LastError() const
{
    const std::lock_guard<std::mutex> lock(mutex_);
    const auto found = failures_.find(std::this_thread::get_id());
    return found == failures_.end() ? std::string() : found->second.why;
}

S3Error StoreFileSystem::LastStoreError() const
{
    const std::lock_guard<std::mutex> lock(mutex_);
    const auto found = failures_.find(std::this_thread::get_id());
    return found == failures_.end() ? S3Error() : found->second.error;
}

void StoreFileSystem::Failed(const std::string& why, const S3Error& error) const
{
    const std::lock_guard<std::mutex> lock(mutex_);
    failures_[std::this_thread::get_id()] = {why, error};
}

}  // namespace objectstore
