// What a station's run with --watch sums up: the cameras done and failed,
// and its exit code.
#pragma once

#include "cli/ExitCodes.h"

struct Tally {
    unsigned ok = 0;
    unsigned failed = 0;
    bool onlyUnknown = true;  // every failed camera was missing from the fleet file

    void Add(int exitCode)
    {
        if (exitCode == kExitOk) {
            ++ok;
            return;
        }
        ++failed;
        onlyUnknown = onlyUnknown && exitCode == kExitUnknownSerial;
    }
    // 0 only when none failed; 5 when every failed camera was unknown.
    int ExitCode() const
    {
        if (failed == 0) {
            return kExitOk;
        }
        return onlyUnknown ? kExitUnknownSerial : kExitFailed;
    }
};
