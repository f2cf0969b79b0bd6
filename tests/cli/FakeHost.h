// The host and the console as the tests play them: a clock that moves only
// when the station pauses, files and an environment in memory, drives that
// appear on the clock, and Ctrl+C at a chosen moment. Fresh for every test
// (ResetFakeSystem); the cli tests add the console (FakePlatform.h).
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "cli/Console.h"
#include "platform/Host.h"

struct FakeSystem {
    std::string output;  // standard output as the tool wrote it
    std::string errors;  // standard error
    // What the console answers, in turn; none left: no console.
    std::vector<std::pair<platform::SecretRead, std::string>> console;
    std::vector<std::string> prompts;
    std::map<std::string, std::string> environment;
    // Files by path: read by ReadFile, opened by OpenSharedFile.
    std::map<std::string, std::string> files;
    std::map<std::string, platform::FileRead> unreadable;  // what reading these paths gives
    int appendsBeforeFailure = -1;                          // then every append fails; -1 never
    int interruptAtAppend = 0;                              // Ctrl+C as the Nth append (from 1) is written; 0 never
    int appends = 0;
    bool opensForAppending = true;
    // After this many locks (-1: never) another program takes the shared
    // files' lock and holds it until the clock gets to lockFreeAt.
    int locksBeforeBusy = -1;
    std::uint64_t lockFreeAt = UINT64_MAX;

    // Drive roots (real folders) by when they appear on the clock.
    std::map<std::string, std::uint64_t> drives;
    bool driveLetters = true;

    std::uint64_t now = 0;                // ms on the steady clock
    // What UtcSeconds says at `now` 0: 2026-12-08 00:00 UTC, unless a test
    // needs dates ahead of the real clock (an object store's locks).
    std::int64_t utcStart = 1796688000;
    std::uint64_t interruptAt = UINT64_MAX;  // Ctrl+C when the clock gets there
    bool interrupted = false;
    // The stop Ctrl+C requests: the one CatchInterrupt was given, until
    // ReadyToEnd; a station test sets its own.
    platform::StopSignal* stop = nullptr;
    bool catching = false;   // CatchInterrupt was called
    bool readyToEnd = false;  // ReadyToEnd was called

    // Ctrl+C: the stop is requested.
    void Interrupt();
    // Ctrl+C once the clock has got to interruptAt.
    void CheckClock();

    // Standard error holds `expected`; nothing at all when it is empty.
    bool ErrorsHold(const std::string& expected) const
    {
        return expected.empty() ? errors.empty() : errors.find(expected) != std::string::npos;
    }
    // The JSON lines appended to `path`.
    std::vector<std::string> Lines(const std::string& path) const;
    // "action:outcome" of each audit line in `path`.
    std::vector<std::string> Audited(const std::string& path) const;
};

// The one the fakes use; fresh for every test.
extern FakeSystem g_system;
void ResetFakeSystem();

// The host on g_system; the card and the archive are real folders. Its
// calls may come from several threads.
class FakeHost final : public platform::Host {
public:
    std::int64_t UtcSeconds() override;
    std::uint64_t SteadyMilliseconds() override;
    bool Pause(const platform::StopSignal& stop, std::uint64_t ms) override;
    std::string UserName() override;
    std::string ComputerName() override;
    std::string DefaultAuditPath() override;
    std::vector<std::string> DriveRoots() override;
    bool HasDriveLetters() override;
    custody::FileSystem& Files() override;
    std::string FullPath(const std::string& path) override;
    bool RemoveEmptyFolder(const std::string& path) override;
    platform::FileRead ReadFile(const std::string& path, std::uint64_t maxBytes, std::string& bytes) override;
    std::unique_ptr<platform::SharedFile> OpenSharedFile(const std::string& path,
                                                         platform::FileAccess access) override;
};
