// What a run of the station tells its front end: the console prints it, the
// dock window posts it to its own thread. Called on the station's threads
// (the camera worker, a copy thread), never on the caller's; each call
// returns at once. A camera's turn is named by a number of the run, since a
// camera is only known by its serial once it has been read.
#pragma once

#include <cstdint>
#include <string>

#include "custody/Offload.h"

namespace station {

using TurnId = std::uint64_t;

// What the station is doing with a camera, in the order of a turn.
enum class Step {
    Connecting,
    SigningIn,
    WaitingForCard,
    Copying,    // with progress
    Verifying,  // with progress
    Sealing,
    Formatting,
};

// How a turn ended. The front end maps it to an exit code or to what the
// operator should do.
enum class Outcome {
    Ok,             // the bag is complete and recorded (and the card formatted when asked)
    Failed,         // anything else that went wrong: see the reason
    CardLost,       // the camera or its card went away mid-copy: plug it in again to resume
    ArchiveFull,    // the archive has no room for the card
    SignInRefused,  // wrong password: ask your administrator
    NoCamera,       // no vendor library, or the camera refused the connection
    AuditFailed,    // an audit line could not be written: the station stops
    Stopped,        // a stop was requested; what was verified stays for the resume
};

struct CameraIdentity {
    std::string serial;
    std::string cameraId;
    std::string userName;
};

class StationEvents {
public:
    virtual ~StationEvents() = default;
    virtual void Waiting() {}  // for a camera to be plugged in
    virtual void CameraFound(TurnId /*turn*/) {}
    virtual void Identified(TurnId /*turn*/, const CameraIdentity& /*camera*/) {}
    virtual void StepStarted(TurnId /*turn*/, Step /*step*/) {}
    virtual void Progress(TurnId /*turn*/, const custody::OffloadProgress& /*progress*/) {}
    virtual void CardFormatted(TurnId /*turn*/) {}
    // The outcome line is written and the bag verified: the camera may go.
    virtual void SafeToUnplug(TurnId /*turn*/, const std::string& /*bag*/) {}
    virtual void Finished(TurnId /*turn*/, Outcome /*outcome*/, const std::string& /*reason*/) {}
    // The run is over: stopped, or it could not go on (AuditFailed, NoCamera).
    virtual void RunEnded(Outcome /*outcome*/, const std::string& /*reason*/) {}
};

}  // namespace station
