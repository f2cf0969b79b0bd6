// What the operator and the audit trail learn of one camera's offload: the
// result line (or JSON object), the audit outcome and its details, and the
// progress line of a long copy.
#pragma once

#include <cstdint>
#include <string>

#include <nlohmann/json.hpp>

#include "cli/ExitCodes.h"
#include "custody/Offload.h"

enum class FormatAfter { NotAsked, Formatted, NotFormatted };

struct CameraOffload {
    std::string serial;
    std::string cameraId;
    std::string failedStep;  // empty when the bag is complete
    std::string why;
    int exitCode = kExitOk;
    custody::OffloadResult copy;  // the bag, or the .partial folder left behind
    FormatAfter format = FormatAfter::NotAsked;
    std::string formatWhy;  // NotFormatted: why not
};

// "SERIAL CAMERA-ID ok N files N bytes BAG", or "... failed at STEP: WHY";
// then what became of an earlier attempt's folder: sealed incomplete as a
// bag of its own, files its journal does not list set aside.
std::string OffloadLine(const CameraOffload& offload);
nlohmann::ordered_json OffloadJson(const CameraOffload& offload);

// The audit line's outcome ("ok" or "failed at STEP: WHY") and its keys:
// bag, payload_oxum and tagmanifest_sha256 of a complete bag, or the
// .partial folder that stays.
std::string OffloadAuditOutcome(const CameraOffload& offload);
nlohmann::ordered_json OffloadAuditDetails(const CameraOffload& offload);
// The line of an earlier attempt sealed as a bag of its own: the outcome
// "incomplete: WHY", with bag, payload_oxum and tagmanifest_sha256 as a
// complete bag's, so that the audit trail vouches for it too.
std::string SealedAuditOutcome(const custody::SealedBag& sealed);
nlohmann::ordered_json SealedAuditDetails(const custody::SealedBag& sealed);

// "copying: 12/1004 files, 51% of 1024 MB, 209.2 MB/s, 0:02 left" after
// `elapsedMs`: the phase ("checking earlier copies", "copying", "verifying",
// "sealing"), the card's files verified, the work done (never 100% before
// it is), the card's size, the card's megabytes offloaded per second (its
// share of the work done), and the time left at that pace.
std::string ProgressLine(const custody::OffloadProgress& progress, std::uint64_t elapsedMs);
