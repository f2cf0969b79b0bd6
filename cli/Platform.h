// What the tool needs of the operating system, one implementation for
// Windows and one elsewhere. Texts and paths are UTF-8.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace platform {

// The camera library writes its trace lines to the process's standard
// output. From this call on, standard output goes to standard error
// (`traceToError`) or nowhere, and WriteOutput alone reaches the original.
void DivertStandardOutput(bool traceToError);

void WriteOutput(const std::string& text);
void WriteError(const std::string& text);

// Reads one line typed on the console without showing it, after writing
// `prompt` to standard error. False when there is no console to ask.
bool ReadSecret(const std::string& prompt, std::string& secret);

// Ctrl+C (and a termination request) sets a flag instead of ending the
// process, so that a running step can finish.
void CatchInterrupt();
bool Interrupted();

std::string UserName();
std::string ComputerName();
// %LOCALAPPDATA%\Kestrava\orvanectl-audit.jsonl, or its counterpart; the
// folder is created. Empty when no such place is known.
std::string DefaultAuditPath();

bool ReadWholeFile(const std::string& path, std::string& bytes);

// A file of lines that several processes share, such as an audit trail
// that two stations keep on one network share. Each writer locks the whole
// file, reads its end and appends: under the lock, the end it read is still
// the end when it writes.
class SharedFile {
public:
    virtual ~SharedFile() = default;
    // Waits for the lock: exclusive when the file was opened for appending,
    // shared when for reading. Use FileLock rather than these two.
    virtual bool Lock() = 0;
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

// Holds a shared file's lock for its own lifetime.
class FileLock {
public:
    explicit FileLock(SharedFile& file) : file_(file), held_(file.Lock()) {}
    ~FileLock()
    {
        if (held_) {
            file_.Unlock();
        }
    }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    bool Held() const { return held_; }

private:
    SharedFile& file_;
    bool held_;
};

}  // namespace platform
