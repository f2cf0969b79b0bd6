// The file system as the custody code sees it: one implementation for
// Windows (long paths, any Unicode name, FlushFileBuffers) and one for
// POSIX; tests may put a fake with faults behind it.
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
    // in no particular order. False, with `error`, when a folder cannot be
    // listed.
    virtual bool ListFiles(const std::string& root, std::vector<FileEntry>& files, std::string& error) const = 0;
    // The names of the folders directly in `path`. Links to folders (and
    // junctions) are left out here and in ListFiles: they may loop.
    virtual bool ListFolders(const std::string& path, std::vector<std::string>& names) const = 0;

    virtual std::unique_ptr<ReadStream> OpenRead(const std::string& path) const = 0;
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
};

// The operating system's file system.
FileSystem& LocalFileSystem();

}  // namespace custody
