// The platform of cli/Platform.h as the tests play it: a console that
// answers from a list, a clock that moves only when the tool pauses, files
// and an environment in memory, and Ctrl+C at a chosen moment.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "cli/Console.h"

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
    std::uint64_t interruptAt = UINT64_MAX;  // Ctrl+C when the clock gets there
    bool interrupted = false;
    bool catching = false;   // CatchInterrupt was called
    bool readyToEnd = false;  // ReadyToEnd was called

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

// The one the platform functions use; fresh for every test.
extern FakeSystem g_system;
void ResetFakeSystem();

// Runs orvanectl with these arguments (the program name is added); the
// exit code.
int RunTool(const std::vector<std::string>& arguments);
