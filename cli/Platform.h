// What the tool needs of the operating system, one implementation for
// Windows and one elsewhere. Texts and paths are UTF-8.
#pragma once

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

// A file opened for appending whole lines: each one is written in one call
// and flushed to the disk before the call returns.
class AppendFile {
public:
    virtual ~AppendFile() = default;
    virtual bool Append(const std::string& line) = 0;
};
std::unique_ptr<AppendFile> OpenAppendFile(const std::string& path);

}  // namespace platform
