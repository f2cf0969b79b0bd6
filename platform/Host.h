// What the tools need of the operating system beyond the console: the
// clocks, files shared between processes, drives, names of the computer and
// its user. One implementation for Windows, one elsewhere, and one the tests
// link instead (tests/cli/FakePlatform.cpp). Texts and paths are UTF-8.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace platform {

// An interrupt has come since CatchInterrupt.
bool Interrupted();

// Milliseconds of a clock that only goes forward.
std::uint64_t SteadyMilliseconds();
// Waits `ms` milliseconds. False, at once, when an interrupt has come.
bool Pause(std::uint64_t ms);

// Overwrites `size` bytes in a way the compiler keeps.
void WipeMemory(void* bytes, std::size_t size);

std::string UserName();
std::string ComputerName();
// %LOCALAPPDATA%\Kestrava\orvanectl-audit.jsonl, or its counterpart; the
// folder is created. Empty when no such place is known.
std::string DefaultAuditPath();

enum class FileRead {
    Ok,
    CannotOpen,
    IsFolder,
    TooLarge,  // more than the caller's limit
    Failed,    // a read failed part-way: the bytes so far are not the file
};
// Reads the whole file into `bytes` (whose capacity it uses first, so that
// a caller's reserved buffer for a secret is not copied).
FileRead ReadFile(const std::string& path, std::uint64_t maxBytes, std::string& bytes);

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
// Append creates the file when it does not exist. Null when it cannot be
// opened.
std::unique_ptr<SharedFile> OpenSharedFile(const std::string& path, FileAccess access);

// What the offload needs: drives, the time of day, folders.
//
// The roots ("E:\\") of the removable and fixed drives that hold a readable
// file system now, looked at letter by letter: a running program under Wine
// sees no change in GetLogicalDrives. Empty where there are no drive letters.
std::vector<std::string> DriveRoots();
bool HasDriveLetters();
// Seconds since 1970 UTC, 64 bits wide everywhere.
std::int64_t UtcSeconds();
// Removes a folder that is empty.
bool RemoveEmptyFolder(const std::string& path);
// `path` from the root, as the operator's results and the audit name it.
std::string FullPath(const std::string& path);

// How long FileLock waits for a lock another process holds, and how often
// it tries again meanwhile.
constexpr std::uint64_t kLockWaitMs = 30000;
constexpr std::uint64_t kLockRetryMs = 100;

enum class LockWait {
    Held,
    Busy,         // another process held it for the whole wait
    Interrupted,  // Ctrl+C or a closed console while waiting
    Failed,
};

// Holds a shared file's lock for its own lifetime. Waits for it at most
// `waitMs` on the steady clock, in pauses that an interrupt ends;
// `waiting` is called once when the first attempt finds the lock taken.
class FileLock {
public:
    explicit FileLock(SharedFile& file, std::uint64_t waitMs = kLockWaitMs,
                      const std::function<void()>& waiting = nullptr)
        : file_(file), result_(Wait(file, waitMs, waiting))
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
    static LockWait Wait(SharedFile& file, std::uint64_t waitMs, const std::function<void()>& waiting)
    {
        const std::uint64_t start = SteadyMilliseconds();
        for (bool first = true;; first = false) {
            const LockAttempt attempt = file.TryLock();
            if (attempt != LockAttempt::Busy) {
                return attempt == LockAttempt::Held ? LockWait::Held : LockWait::Failed;
            }
            if (first && waiting) {
                waiting();
            }
            if (Interrupted()) {
                return LockWait::Interrupted;
            }
            const std::uint64_t waited = SteadyMilliseconds() - start;
            if (waited >= waitMs) {
                return LockWait::Busy;
            }
            Pause(std::min(kLockRetryMs, waitMs - waited));  // an interrupt ends it: the next turn says so
        }
    }

    SharedFile& file_;
    LockWait result_;
};

}  // namespace platform
