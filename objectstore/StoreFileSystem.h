// One bucket seen through custody's file system, so that the bag check, the
// tag file writer and the journal reader work on objects as they do on
// files. A path is a key ('/' between names), a folder a key prefix. An
// object read streams from the store on a thread of its own, a few blocks
// ahead of the reader; a file created is held in memory (tag files and
// journals, at most custody::kLargestTagFile) and put whole, under the
// lock given, when flushed. Putting a key again makes a new version: in a
// bucket with Object Lock the old one stays. Nothing is renamed or removed.
#pragma once

#include <map>
#include <mutex>
#include <string>
#include <thread>

#include "platform/FileSystem.h"
#include "objectstore/S3Client.h"

namespace objectstore {

class StoreFileSystem final : public custody::FileSystem {
public:
    StoreFileSystem(S3Client& client, std::string bucket, ObjectLock lock = {});

    std::string Join(const std::string& base, const std::string& relative) const override;
    bool IsFolder(const std::string& path) const override;
    bool Exists(const std::string& path) const override;
    using custody::FileSystem::ListFiles;
    bool ListFiles(const std::string& root, const std::vector<std::string>& skippedRootFolders,
                   std::vector<custody::FileEntry>& files, std::string& error) const override;
    bool ListFolders(const std::string& path, std::vector<std::string>& names) const override;
    std::unique_ptr<custody::ReadStream> OpenRead(const std::string& path) const override;
    std::unique_ptr<custody::WriteStream> CreateNew(const std::string& path) override;
    std::unique_ptr<custody::WriteStream> OpenAppend(const std::string& path) override;
    bool CreateFolders(const std::string& path) override;
    bool Rename(const std::string& from, const std::string& to) override;
    bool RemoveFile(const std::string& path) override;
    std::string LastError() const override;

    // The lock of the objects created from now on.
    void LockNewObjects(const ObjectLock& lock) { lock_ = lock; }

    // The store's answer behind the last failure on this thread; Ok when
    // the failure was not the store's.
    S3Error LastStoreError() const;

    // Records a failure of this thread (the streams report theirs here).
    void Failed(const std::string& why, const S3Error& error) const;

private:
    struct Failure {
        std::string why;
        S3Error error;
    };

    S3Client& client_;
    std::string bucket_;
    ObjectLock lock_;
    mutable std::mutex mutex_;
    mutable std::map<std::thread::id, Failure> failures_;
};

}  // namespace objectstore
