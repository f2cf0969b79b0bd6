// A station with --watch (provision, offload): each camera plugged in gets
// one turn, then the station waits until Init_Device finds it gone, so that
// a camera is tried once per plugging, whatever failed; and Init_Device is
// never called more often than the interval.
#pragma once

#include <cstdint>
#include <functional>

#include "cli/Session.h"

struct StationOptions {
    bool watch = false;
    unsigned count = 0;  // with watch: stop after this many cameras; 0 never
    // With watch: Init_Device is never called more often than this.
    std::uint64_t intervalMs = 500;
};

// One camera's turn, `refused` when it did not accept the connection: it
// reports the camera and returns its exit code.
using CameraTurn = std::function<int(bool refused)>;

// Turns until `count` cameras had theirs, or Ctrl+C, or a turn returned
// kExitAuditFailed (a station that cannot record must not go on); `waiting`
// (may be empty) is called each time the station starts to wait for a
// camera. Returns kExitOk, kExitAuditFailed, or kExitNoCamera without the
// vendor library (said so: no camera can ever come).
int WatchCameras(const Session& session, const StationOptions& options, const CameraTurn& turn,
                 const std::function<void()>& waiting = {});
