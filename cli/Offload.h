// The dock's commands: offload (a camera's card into a verified bag in the
// archive, optionally formatting the card after) and format --offloaded-to
// (a format only when the archive holds a verified bag of the camera).
#pragma once

#include <string>

#include "cli/Output.h"
#include "cli/Session.h"

struct OffloadOptions {
    std::string archive;
    std::string from;  // the card's folder; empty: a drive letter that appears
    unsigned cardWaitSeconds = 30;
    bool formatAfter = false;
    bool watch = false;
    unsigned count = 0;  // with watch: stop after this many cameras; 0 never
    unsigned intervalMs = 500;
};

// Before any camera is touched: the archive must take bags, and the card
// must be findable. Returns an ExitCode.
int CheckOffloadInput(const OffloadOptions& options, const Output& output);
// Returns an ExitCode: for one camera its own, with watch 0 only when none failed.
int RunOffload(Session& session, const OffloadOptions& options);

// Before any camera is touched: the archive must exist. Returns an ExitCode.
int CheckOffloadedTo(const std::string& archive, const Output& output);
// Formats only when the newest bag of the camera's serial in `archive` is
// valid in full. Returns an ExitCode.
int RunFormatOffloaded(Session& session, const std::string& archive);
