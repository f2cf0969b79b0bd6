// The tool's exit codes, which scripts rely on.
#pragma once

#include "station/StationEvents.h"

enum ExitCode : int {
    kExitOk = 0,
    kExitFailed = 1,         // the camera refused, an operation failed, or a read-back differs
    kExitUsage = 2,          // usage or input error, before any camera is touched
    kExitNoCamera = 3,       // no vendor library, no camera, or the camera refused the connection
    kExitSignInRefused = 4,
    kExitUnknownSerial = 5,  // provision: the camera is not in the fleet file
    kExitAuditFailed = 6,    // the audit file could not be written
};

// A camera's turn as an exit code: every failure that is none of the
// others, a stop included, is 1.
ExitCode ExitCodeOf(station::Outcome outcome);
