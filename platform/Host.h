// The operating system as the station sees it beyond its files: the clocks,
// the computer and its user, drives, files shared between processes, and a
// wait that a stop ends. Passed in at run time: LocalHost (LocalHost.h) in
// the programs, a fake in the tests. Texts and paths are UTF-8.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/StopSignal.h"

namespace platform {

enum class FileRead {
    Ok,
    CannotOpen,
    IsFolder,
    TooLarge,  // more than the caller's limit
    Failed,    // a read failed part-way: the bytes so far are not the file
};

enum class LockAttempt {
    Held,
    Busy,    // another process holds it
    Failed,
};

// A file of lines that several processes share, such as an audit trail
// that two stations keep on one network share. Each writer locks the whole
// file, reads its end and appends: under the lock, the end it read is still
// the end when it writes.
class SharedFile {
public:
    virtual ~SharedFile() = default;
    // One attempt at the lock, without waiting: exclusive when the file was
    // opened for appending, shared when for reading. Use FileLock rather
    // than these two.
    virtual LockAttempt TryLock() = 0;
    virtual void Unlock() = 0;
    virtual bool Size(std::uint64_t& size) = 0;
    // `count` bytes from `offset`; fewer only where the file ends.
    virtual bool ReadAt(std::uint64_t offset, std::uint32_t count, std::string& bytes) = 0;
    // Appends in one write, flushed to the disk before it returns.
    virtual bool Append(const std::string& bytes) = 0;
};

enum class FileAccess { Read, Append };

class Host {
public:
    virtual ~Host() = default;

    // Seconds since 1970 UTC, 64 bits wide everywhere.
    virtual std::int64_t UtcSeconds() = 0;
    // Milliseconds of a clock that only goes forward.
    virtual std::uint64_t SteadyMilliseconds() = 0;
    // Waits `ms` milliseconds. False, at once, when `stop` is or becomes
    // requested.
    virtual bool Pause(const StopSignal& stop, std::uint64_t ms) = 0;

    virtual std::string UserName() = 0;
    virtual std::string ComputerName() = 0;
    // %LOCALAPPDATA%\Kestrava\orvanectl-audit.jsonl, or its counterpart; the
    // folder is created. Empty when no such place is known.
    virtual std::string DefaultAuditPath() = 0;

    // The roots ("E:\\") of the removable and fixed drives that hold a
    // readable file system now, looked at letter by letter: a running
    // program under Wine sees no change in GetLogicalDrives. Empty where
    // there are no drive letters.
    virtual std::vector<std::string> DriveRoots() = 0;
    virtual bool HasDriveLetters() = 0;

    // The files the station reads and writes: cards, the archive.
    virtual custody::FileSystem& Files() = 0;
    // `path` from the root, as the operator's results and the audit name it.
    virtual std::string FullPath(const std::string& path) = 0;
    // Removes a folder that is empty.
    virtual bool RemoveEmptyFolder(const std::string& path) = 0;
    // Reads the whole file into `bytes` (whose capacity it uses first, so
    // that a caller's reserved buffer for a secret is not copied).
    virtual FileRead ReadFile(const std::string& path, std::uint64_t maxBytes, std::string& bytes) = 0;
    // Append creates the file when it does not exist. Null when it cannot
    // be opened.
    virtual std::unique_ptr<SharedFile> OpenSharedFile(const std::string& path, FileAccess access) = 0;
};

// Overwrites `size` bytes in a way the compiler keeps.
void WipeMemory(void* bytes, std::size_t size);

// Overwrites all of `text`'s room, then empties it.
template <typename Text>
void WipeText(Text& text)
{
    text.resize(text.capacity());
    WipeMemory(&text[0], text.size() * sizeof text[0]);
    text.clear();
}

// How long FileLock waits for a lock another process holds, and how often
// it tries again meanwhile.
constexpr std::uint64_t kLockWaitMs = 30000;
constexpr std::uint64_t kLockRetryMs = 100;

enum class LockWait {
    Held,
    Busy,         // another process held it for the whole wait
    Interrupted,  // a stop was requested while waiting
    Failed,
};

// Holds a shared file's lock for its own lifetime. Waits for it at most
// `waitMs` on the host's steady clock, in pauses that a stop ends;
// `waiting` is called once when the first attempt finds the lock taken.
class FileLock {
public:
    FileLock(Host& host, const StopSignal& stop, SharedFile& file, std::uint64_t waitMs = kLockWaitMs,
             const std::function<void()>& waiting = nullptr)
        : file_(file), result_(Wait(host, stop, file, waitMs, waiting))
    {
    }
    ~FileLock()
    {
        if (Held()) {
            file_.Unlock();
        }
    }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    bool Held() const { return result_ == LockWait::Held; }
    LockWait Result() const { return result_; }

private:
    static LockWait Wait(Host& host, const StopSignal& stop, SharedFile& file, std::uint64_t waitMs,
                         const std::function<void()>& waiting)
    {
        const std::uint64_t start = host.SteadyMilliseconds();
        for (bool first = true;; first = false) {
            const LockAttempt attempt = file.TryLock();
            if (attempt != LockAttempt::Busy) {
                return attempt == LockAttempt::Held ? LockWait::Held : LockWait::Failed;
            }
            if (first && waiting) {
                waiting();
            }
            if (stop.Requested()) {
                return LockWait::Interrupted;
            }
            const std::uint64_t waited = host.SteadyMilliseconds() - start;
            if (waited >= waitMs) {
                return LockWait::Busy;
            }
            host.Pause(stop, std::min(kLockRetryMs, waitMs - waited));  // a stop ends it: the next turn says so
        }
    }

    SharedFile& file_;
    LockWait result_;
};

}  // namespace platform
