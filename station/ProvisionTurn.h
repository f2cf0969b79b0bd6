// One camera at the provisioning station: signed in, looked up by its
// serial number in the fleet file, given the identity its row names, its
// clock set; each change audited.
#pragma once

#include <string>

#include <nlohmann/json.hpp>

#include "station/FleetFile.h"
#include "station/RunContext.h"
#include "station/StationEvents.h"

namespace station {

struct ProvisionResult {
    std::string serial;
    std::string cameraId;
    std::string failedStep;  // empty when provisioned
    std::string why;
    Outcome outcome = Outcome::Ok;
    bool unknownSerial = false;  // the serial number is not in the fleet file
    nlohmann::ordered_json details = nlohmann::ordered_json::object();  // before and after, for the audit
    std::string auditError;  // AuditFailed: which line could not be written, and why
};

// Everything after the connect, in order; stops at the first step that
// fails. Nothing is sent that changes the camera before its started line.
ProvisionResult ProvisionCamera(const RunContext& run, const Fleet& fleet, bool syncTime);
// A camera that did not accept the connection.
ProvisionResult RefusedConnection();
// The outcome line ("ok" or "failed at STEP: WHY"), unless the started line
// failed already; one that cannot be written makes the outcome AuditFailed.
void RecordProvision(const RunContext& run, ProvisionResult& result);
// "ok", or "failed at STEP: WHY".
std::string ProvisionOutcome(const ProvisionResult& result);

}  // namespace station
