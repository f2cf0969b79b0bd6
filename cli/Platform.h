// What the tool needs of the operating system, one implementation for
// Windows and one elsewhere. Texts and paths are UTF-8.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

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

// A file opened for appending whole lines: each one is written in one call
// and flushed to the disk before the call returns.
class AppendFile {
public:
    virtual ~AppendFile() = default;
    virtual bool Append(const std::string& line) = 0;
};
std::unique_ptr<AppendFile> OpenAppendFile(const std::string& path);

// Drives, the clock and the console, for the offload.
//
// The roots ("E:\\") of the removable and fixed drives that hold a readable
// file system now, looked at letter by letter: a running program under Wine
// sees no change in GetLogicalDrives. Empty where there are no drive letters.
std::vector<std::string> DriveRoots();
bool HasDriveLetters();
// Milliseconds of a clock that only goes forward; sleeping.
std::uint64_t MonotonicMs();
void SleepMs(unsigned ms);
// Seconds since 1970 UTC, 64 bits wide everywhere.
std::int64_t UtcSeconds();
// True when standard error is a console (not a file or a pipe).
bool ErrorIsConsole();
// Removes a folder that is empty.
bool RemoveEmptyFolder(const std::string& path);

}  // namespace platform
