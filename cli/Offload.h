// The dock's commands: offload (a camera's card into a verified bag in the
// archive, optionally formatting the card after) and format --offloaded-to
// (a format only when a verified bag in the archive holds exactly the
// card's files).
#pragma once

#include <string>

#include "cli/Session.h"
#include "cli/Station.h"

// Where the card shows once the camera is in USB storage mode.
struct CardOptions {
    std::string from;  // the card's folder; empty: a drive letter that appears
    unsigned waitSeconds = 30;
};

struct OffloadOptions {
    std::string archive;
    CardOptions card;
    bool formatAfter = false;
    StationOptions station;
};

// Before any camera is touched: the archive must take bags, and the card
// must be findable. Returns an ExitCode.
int CheckOffloadInput(const OffloadOptions& options);
// Returns an ExitCode: for one camera its own; with watch 0 only when none
// failed, 6 as soon as an audit line cannot be written.
int RunOffload(Session& session, const OffloadOptions& options);

// Before any camera is touched: the archive must exist and the card be
// findable. Returns an ExitCode.
int CheckOffloadedTo(const std::string& archive, const CardOptions& card);
// Switches the camera to USB storage, finds its card and formats it only
// when a bag of the camera in `archive` holds exactly its files (see
// FormatCheck.h). Returns an ExitCode.
int RunFormatOffloaded(Session& session, const std::string& archive, const CardOptions& card);
