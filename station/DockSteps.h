// The per-camera steps the dock's engine drives: what it needs of the camera,
// the card, the archive and the audit trail, and nothing of how they are
// done. The engine decides the order, the threads and when to stop; these
// steps do the work and say how it went.
//
// Threads: DockCameras and an OffloadTurn's camera calls (SignIn,
// BeginOffload, SwitchToCard, FormatCard) run on the dock's one worker
// thread. From Copy on, a turn's other calls run on its copy thread; a turn
// is never called on two threads at once, but different turns are. The
// calls that write an audit line (BeginOffload, RecordOffload, BeginFormat,
// RecordFormat) are never made at once, so that the chain of the trail
// grows one line at a time.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "custody/Offload.h"
#include "station/StationEvents.h"
#include "station/StopSignal.h"

namespace station {

// What Init_Device found.
enum class Link {
    Camera,           // connected to the first camera plugged in and not in storage mode
    NoCamera,         // none such: the dock is empty, or every camera there is a drive
    Refused,          // a camera is there but did not accept the connection
    NoVendorLibrary,  // no camera can ever come
};

// How a step ended: Ok to go on, else the turn's outcome and why (for the
// operator; it never holds a secret).
struct StepResult {
    Outcome outcome = Outcome::Ok;
    std::string why;

    bool Ok() const { return outcome == Outcome::Ok; }
};

using ProgressSink = std::function<void(const custody::OffloadProgress&)>;

// One camera's offload, from its sign-in to its outcome lines.
class OffloadTurn {
public:
    virtual ~OffloadTurn() = default;

    // Worker thread. Signs in with the dock's account and password and
    // reads the identity. SignInRefused for a wrong password.
    virtual StepResult SignIn(CameraIdentity& camera) = 0;
    // Writes the offload's started audit line; AuditFailed when it cannot.
    virtual StepResult BeginOffload() = 0;
    // Switches the camera to USB storage and waits for its card's new
    // drive, at most the dock's card wait, looking at `stop` while it waits
    // (Stopped within one poll).
    virtual StepResult SwitchToCard(const StopSignal& stop) = 0;
    // The format command, over the link this turn's connect made (other
    // cameras may have been linked since), sent only when the camera, signed
    // in again, answers with this turn's serial. The engine calls it between
    // turns, where the next Init_Device links a camera anew. Ok once the
    // camera formatted the card.
    virtual StepResult FormatCard() = 0;

    // Copy thread. The card copied into a bag (custody::OffloadCard with
    // `stop` as its interruption): Ok with `bag` the verified bag; else
    // CardLost (the card went away), ArchiveFull, Stopped (at a block, the
    // .partial left for the resume) or Failed, with `bag` the .partial.
    virtual StepResult Copy(const StopSignal& stop, const ProgressSink& progress, std::string& bag) = 0;
    // Writes the offload's outcome line for how the turn ended (`ended` is
    // what the failed step returned, or Ok after Copy), preceded by the line
    // of an earlier attempt sealed on the way. Ok, or AuditFailed. Also
    // called on the worker when the turn ends before Copy.
    virtual StepResult RecordOffload(const StepResult& ended) = 0;
    // Writes the format's started line. Ok, or AuditFailed.
    virtual StepResult BeginFormat() = 0;
    // Checks the card against the archive and the audit trail right before
    // the format: a verified bag must hold exactly the card's files. Looks
    // at `stop` (Stopped); Failed with why the card may not be formatted.
    // The trail may grow meanwhile: read it under its lock, or only up to
    // its last whole line.
    virtual StepResult CheckCard(const StopSignal& stop) = 0;
    // Writes the format's outcome line for `formatted` (the check's failure,
    // or what FormatCard returned). Ok, or AuditFailed.
    virtual StepResult RecordFormat(const StepResult& formatted) = 0;
};

// The dock's link to its cameras: one at a time, as Init_Device allows.
class DockCameras {
public:
    virtual ~DockCameras() = default;

    // Before anything else: opens what the steps need (the audit trail),
    // looking at `stop`, the run's stop signal, which the steps are given
    // too. Ok, or the outcome that ends the run and why.
    virtual StepResult Open(const StopSignal& /*stop*/) { return {}; }
    // Init_Device: the link then names the camera found, or none.
    virtual Link Connect() = 0;
    // The linked camera's serial number, read before any sign-in; empty when
    // it does not answer.
    virtual std::string ReadSerial() = 0;
    // The steps of an offload of the linked camera.
    virtual std::unique_ptr<OffloadTurn> NewTurn(TurnId turn, const std::string& serial) = 0;
};

}  // namespace station
