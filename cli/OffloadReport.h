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

// "12/1004 files, 523/1024 MB, 210.3 MB/s, 0:02 left" after `elapsedMs`.
std::string ProgressLine(const custody::OffloadProgress& progress, std::uint64_t elapsedMs);
