// The dock's commands: offload (a camera's card into a verified bag in the
// archive, optionally formatting the card after) and format --offloaded-to
// (a format only when a verified bag in the archive holds exactly the
// card's files), printed and as exit codes; the steps are the station's.
#pragma once

#include <string>

#include "cli/Invocation.h"
#include "station/OffloadTurn.h"
#include "station/WatchLoop.h"

struct OffloadOptions : station::OffloadSettings {
    station::StationOptions station;
};

// Before any camera is touched: the card must be findable (the archive is
// asked apart, Archive::Problem). Returns an ExitCode.
int CheckOffloadInput(platform::Host& host, const OffloadOptions& options);
// Returns an ExitCode: for one camera its own; with watch 0 only when none
// failed, 6 as soon as an audit line cannot be written.
int RunOffload(Invocation& invocation, const OffloadOptions& options);

// Before any camera is touched: the card must be findable. Returns an
// ExitCode.
int CheckOffloadedTo(platform::Host& host, const station::CardOptions& card);
// Switches the camera to USB storage, finds its card and formats it only
// when a bag of the camera in `archive` holds exactly its files (see
// FormatCheck.h). Returns an ExitCode.
int RunFormatOffloaded(Invocation& invocation, const station::Archive& archive, const station::CardOptions& card);
