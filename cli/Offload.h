// The dock's commands: offload (a camera's card into a verified bag in the
// archive, optionally formatting the card after) and format --offloaded-to
// (a format only when the archive holds a verified bag of the camera).
#pragma once

#include <string>

#include "cli/Session.h"
#include "cli/Station.h"

struct OffloadOptions {
    std::string archive;
    std::string from;  // the card's folder; empty: a drive letter that appears
    unsigned cardWaitSeconds = 30;
    bool formatAfter = false;
    StationOptions station;
};

// Before any camera is touched: the archive must take bags, and the card
// must be findable. Returns an ExitCode.
int CheckOffloadInput(const OffloadOptions& options);
// Returns an ExitCode: for one camera its own; with watch 0 only when none
// failed, 6 as soon as an audit line cannot be written.
int RunOffload(Session& session, const OffloadOptions& options);

// Before any camera is touched: the archive must exist. Returns an ExitCode.
int CheckOffloadedTo(const std::string& archive);
// Formats only when the newest bag of the camera's serial in `archive` is
// valid in full. Returns an ExitCode.
int RunFormatOffloaded(Session& session, const std::string& archive);
