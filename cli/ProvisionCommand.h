// The provisioning station: gives each camera plugged in the identity its
// fleet-file row names, sets its clock, and keeps an audit line of each;
// printed and as exit codes, the steps being the station's.
#pragma once

#include "cli/Invocation.h"
#include "station/FleetFile.h"
#include "station/WatchLoop.h"

struct ProvisionOptions {
    station::StationOptions station;
    bool syncTime = true;
};

// Returns an ExitCode: for one camera its own; with watch 0 only when none
// failed, 5 when every failed camera was missing from the fleet file, and 6
// as soon as an audit line cannot be written (the station stops there).
int RunProvision(Invocation& invocation, const Fleet& fleet, const ProvisionOptions& options);
