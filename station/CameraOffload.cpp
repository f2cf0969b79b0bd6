#include "station/CameraOffload.h"

namespace station {

nlohmann::ordered_json SetAsideJson(const custody::OffloadResult& copy)
{
    return {{"folder", copy.setAside}, {"files", copy.setAsideFiles}};
}

bool Offloaded(const CameraOffload& offload)
{
    return offload.failedStep.empty();
}

std::string OffloadAuditOutcome(const CameraOffload& offload)
{
    return Offloaded(offload) ? "ok" : "failed at " + offload.failedStep + ": " + offload.why;
}

nlohmann::ordered_json OffloadAuditDetails(const CameraOffload& offload)
{
    nlohmann::ordered_json details = nlohmann::ordered_json::object();
    if (!Offloaded(offload)) {
        if (!offload.copy.bag.empty()) {
            details["partial"] = offload.copy.bag;
        }
    } else {
        details = {{"bag", offload.copy.bag},
                   {"payload_oxum", offload.copy.payloadOxum},
                   {"tagmanifest_sha256", offload.copy.tagManifestSha256}};
        details.update(offload.lock);
    }
    if (!offload.copy.setAside.empty()) {
        details["set_aside"] = SetAsideJson(offload.copy);
    }
    return details;
}

std::string SealedAuditOutcome(const custody::SealedBag& sealed)
{
    return "incomplete: " + sealed.why;
}

nlohmann::ordered_json SealedAuditDetails(const custody::SealedBag& sealed)
{
    return {{"bag", sealed.bag}, {"payload_oxum", sealed.payloadOxum}, {"tagmanifest_sha256", sealed.tagManifestSha256}};
}

}  // namespace station
