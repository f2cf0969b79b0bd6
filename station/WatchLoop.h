// A station with --watch (provision, offload): each camera plugged in gets
// one turn, then the station waits until Init_Device finds it gone, so that
// a camera is tried once per plugging, whatever failed; and Init_Device is
// never called more often than the interval.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/Host.h"
#include "station/StationEvents.h"
#include "station/StopSignal.h"

namespace station {

struct StationOptions {
    bool watch = false;
    unsigned count = 0;  // with watch: stop after this many cameras; 0 never
    // With watch: Init_Device is never called more often than this.
    std::uint64_t intervalMs = 500;
};

// One camera's turn, `refused` when it did not accept the connection: it
// returns the turn's outcome.
using CameraTurn = std::function<Outcome(TurnId turn, bool refused)>;

// Turns until `count` cameras had theirs (Ok), or `stop` (Stopped), or
// a turn ended in AuditFailed (a station that cannot record must not go
// on), or there is no vendor library (NoCamera: no camera can ever come).
// Tells `events` when it waits, when it finds a camera, and how the run
// ended (RunEnded, with the reason for NoCamera).
Outcome WatchCameras(platform::Host& host, const StopSignal& stop, const StationOptions& options,
                     const CameraTurn& turn, StationEvents& events);

}  // namespace station
