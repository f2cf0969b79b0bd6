// What one camera's offload came to: the bag (or the .partial folder left
// behind), the step that failed and why, the format after it; and what the
// audit trail records of it.
#pragma once

#include <string>

#include <nlohmann/json.hpp>

#include "custody/Offload.h"
#include "station/StationEvents.h"

namespace station {

enum class FormatAfter { NotAsked, Formatted, NotFormatted };

struct CameraOffload {
    std::string archive;  // full path
    std::string serial;
    std::string cameraId;
    std::string failedStep;  // empty when the bag is complete
    std::string why;
    Outcome outcome = Outcome::Ok;
    custody::OffloadResult copy;  // the bag, or the .partial folder left behind
    nlohmann::ordered_json lock = nlohmann::ordered_json::object();  // the lock its objects got, where the archive gives one
    FormatAfter format = FormatAfter::NotAsked;
    std::string formatWhy;   // NotFormatted: why not
    bool formatLater = false;  // NotFormatted, the camera silent: the card can be formatted once it is back
    std::string auditError;  // AuditFailed: which line could not be written, and why
};

// The bag is complete and the card's files in it.
bool Offloaded(const CameraOffload& offload);

// The files an earlier attempt's journal does not list, moved aside:
// {"folder", "files"}.
nlohmann::ordered_json SetAsideJson(const custody::OffloadResult& copy);

// The audit line's outcome ("ok" or "failed at STEP: WHY") and its keys:
// bag, payload_oxum and tagmanifest_sha256 of a complete bag (and its lock
// where it has one), or the .partial folder that stays.
std::string OffloadAuditOutcome(const CameraOffload& offload);
nlohmann::ordered_json OffloadAuditDetails(const CameraOffload& offload);
// The line of an earlier attempt sealed as a bag of its own: the outcome
// "incomplete: WHY", with bag, payload_oxum and tagmanifest_sha256 as a
// complete bag's, so that the audit trail vouches for it too.
std::string SealedAuditOutcome(const custody::SealedBag& sealed);
nlohmann::ordered_json SealedAuditDetails(const custody::SealedBag& sealed);

}  // namespace station
