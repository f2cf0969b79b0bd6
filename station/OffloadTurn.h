// One camera's offload, from the sign-in to the card formatted: each step a
// function of its own, for a runner that gives the steps to different
// threads, and all of them in order for one camera (OffloadCamera). Nothing
// here prints: what happened is in the CameraOffload, and in the events.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "core/IdentityCodec.h"
#include "custody/Offload.h"
#include "station/Archive.h"
#include "station/CameraOffload.h"
#include "station/CardWait.h"
#include "station/RunContext.h"
#include "station/StationEvents.h"

namespace station {

struct OffloadSettings {
    std::string archive;  // full path, or the name of `place`
    // Where the bags go; null: the folder `archive` of the host.
    std::shared_ptr<Archive> place;
    CardOptions card;
    bool formatAfter = false;
};

using ProgressReport = std::function<void(const custody::OffloadProgress&)>;

// Sign-in, serial number and identity record of the connected camera.
// False when one failed (offload's failedStep, why and outcome say which).
bool IdentifyCamera(const RunContext& run, CameraOffload& offload, IdentityTexts& texts);
// What the front end shows of the camera once identified.
CameraIdentity IdentityOf(const CameraOffload& offload, const IdentityTexts& texts);

// The started line; false when it cannot be written (nothing is changed).
bool BeginOffload(const RunContext& run, const OffloadSettings& settings, CameraOffload& offload);
// After BeginOffload: SwitchToStorage. False when a step failed.
bool SwitchToCard(const RunContext& run, const OffloadSettings& settings, CameraOffload& offload, std::string& card);

// The card copied into a verified bag of offload.archive; `progress` (may
// be empty) is called on this thread. An interrupt stops it at a block, its
// verified files kept in the .partial folder for the resume. The result
// goes into offload.copy; false when it failed (CardLost when the card
// could not be read, Stopped when interrupted).
bool CopyCardToBag(const RunContext& run, const std::string& card, const IdentityTexts& texts,
                   const ProgressReport& progress, CameraOffload& offload);
// The same into `archive` (offload.archive names it).
bool CopyCardToBag(const RunContext& run, Archive& archive, const std::string& card, const IdentityTexts& texts,
                   const ProgressReport& progress, CameraOffload& offload);

// After any step but a failed audit line: the line of an earlier attempt
// sealed on the way (first, so that the trail vouches for it too), then
// the offload's outcome line. A line that cannot be written makes the
// outcome AuditFailed, with auditError.
void RecordOffload(const RunContext& run, CameraOffload& offload);

// bag-info.txt's fields that the copy does not know itself; a field the
// camera left empty is left out.
custody::BagInfo BagInfoFor(const RunContext& run, const std::string& serial, const IdentityTexts& texts);

// All of the steps for the connected camera, as a station does them: the
// format (FormatAfterOffload) only when asked and the bag is recorded.
// Reports each step, the progress and the end of the turn to `events`.
CameraOffload OffloadCamera(const RunContext& run, const OffloadSettings& settings, StationEvents& events,
                            TurnId turn);

}  // namespace station
