// The file system as the custody code and the station see it: one
// implementation for Windows (long paths, any Unicode name,
// FlushFileBuffers) and one for POSIX; tests may put a fake with faults
// behind it. Named in namespace custody, its first user.
//
// Paths are UTF-8. A path given by the user (an archive, a card folder) is
// the platform's own; below it, relative paths use '/' between folders and
// Join turns them into the platform's form.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace custody {

struct FileEntry {
    std::string relativePath;  // '/' between folders
    std::uint64_t size = 0;
};

class ReadStream {
public:
    virtual ~ReadStream() = default;
    // Reads up to `capacity` bytes; `count` 0 at the end. False on an error.
    virtual bool Read(void* buffer, std::size_t capacity, std::size_t& count) = 0;
};

// A read that bypasses the system's cache (Windows' FILE_FLAG_NO_BUFFERING)
// takes a buffer starting on a sector's boundary and a whole number of
// sectors; 4096 covers the sectors disks have.
constexpr std::size_t kDiskBlockSize = 4096;

inline bool IsDiskAligned(const void* buffer, std::size_t capacity)
{
    return reinterpret_cast<std::uintptr_t>(buffer) % kDiskBlockSize == 0 && capacity != 0
           && capacity % kDiskBlockSize == 0;
}

class WriteStream {
public:
    virtual ~WriteStream() = default;
    virtual bool Write(const void* bytes, std::size_t count) = 0;
    // Flushes the file to the disk (FlushFileBuffers, fsync).
    virtual bool Flush() = 0;
};

class FileSystem {
public:
    virtual ~FileSystem() = default;

    // `base` and `relative` ('/'-separated) as one path of the platform.
    virtual std::string Join(const std::string& base, const std::string& relative) const = 0;

    virtual bool IsFolder(const std::string& path) const = 0;
    virtual bool Exists(const std::string& path) const = 0;
    // Every file below `root`, at any depth, hidden and system files too,
    // in no particular order. A listing that left something out would let
    // a format erase it, so this fails, with `error` naming the entry by
    // its relative path, when a folder cannot be listed or anything below
    // `root` cannot be inspected or is not a plain file or folder: a link,
    // a reparse point (junctions, mount points, cloud placeholders), a
    // FIFO, a device. Folders directly in `root` named in `skippedRootFolders`
    // (compared as Windows compares names) are neither entered nor listed:
    // the system keeps its own files there.
    virtual bool ListFiles(const std::string& root, const std::vector<std::string>& skippedRootFolders,
                           std::vector<FileEntry>& files, std::string& error) const = 0;
    bool ListFiles(const std::string& root, std::vector<FileEntry>& files, std::string& error) const
    {
        return ListFiles(root, {}, files, error);
    }
    // The names of the plain folders directly in `path`; links to folders,
    // junctions and whatever else is not a plain folder are left out, since
    // they may loop. False when `path` cannot be listed.
    virtual bool ListFolders(const std::string& path, std::vector<std::string>& names) const = 0;

    virtual std::unique_ptr<ReadStream> OpenRead(const std::string& path) const = 0;
    // What the disk holds rather than what the system caches: the read-back
    // of a copy just flushed. Each Read takes a buffer and capacity for
    // which IsDiskAligned holds, and fails otherwise. A fake's files have no
    // disk below them: it reads them as OpenRead does.
    virtual std::unique_ptr<ReadStream> OpenReadFromDisk(const std::string& path) const { return OpenRead(path); }
    // A new file; fails when one of that name exists.
    virtual std::unique_ptr<WriteStream> CreateNew(const std::string& path) = 0;
    // Writes go to the file's end; the file is created when missing.
    virtual std::unique_ptr<WriteStream> OpenAppend(const std::string& path) = 0;
    // The folder and any missing parents.
    virtual bool CreateFolders(const std::string& path) = 0;
    // Fails when `to` exists.
    virtual bool Rename(const std::string& from, const std::string& to) = 0;
    virtual bool RemoveFile(const std::string& path) = 0;

    // Why the last call that failed on this thread failed, with its path
    // ("cannot create PATH: No space left on device"). Empty when unknown.
    virtual std::string LastError() const { return {}; }
    // That call failed for want of room on the disk.
    virtual bool LastErrorWasNoSpace() const { return false; }
};

// The operating system's file system.
FileSystem& LocalFileSystem();

}  // namespace custody
