#include "station/ProvisionTurn.h"

#include "core/CodePages.h"
#include "station/AuditedChange.h"
#include "station/Camera.h"
#include "station/IdentityFields.h"
#include "station/SignIn.h"

namespace station {
namespace {

const char* const kAction = "provision";

ProvisionResult Failed(ProvisionResult result, const char* step, const std::string& why,
                       Outcome outcome = Outcome::Failed)
{
    result.failedStep = step;
    result.why = why;
    result.outcome = outcome;
    return result;
}

// The steps that change the camera, once its started line is written.
ProvisionResult Change(ProvisionResult result, const IdentityRecord& wanted, bool syncTime)
{
    if (syncTime && !camera::SyncTime()) {
        return Failed(result, "sync-time", "the camera refused the clock");
    }
    IdentityRecord after{};
    const camera::VerifiedWrite written = camera::WriteIdentityAndVerify(wanted, after);
    if (written == camera::VerifiedWrite::Refused) {
        return Failed(result, "identity.write", camera::Describe(written, "identity record"));
    }
    if (written == camera::VerifiedWrite::ReadBackFailed) {
        return Failed(result, "identity.verify", camera::Describe(written, "identity record"));
    }
    result.details["after"] = IdentityJson(after);
    if (written == camera::VerifiedWrite::Differs) {
        return Failed(result, "identity.verify", camera::Describe(written, "identity record"));
    }
    return result;
}

}  // namespace

ProvisionResult ProvisionCamera(const RunContext& run, const Fleet& fleet, bool syncTime)
{
    ProvisionResult result;
    if (!camera::SignIn(run.account, run.password.text())) {
        return Failed(result, "sign-in", kSignInRefused, Outcome::SignInRefused);
    }
    if (!camera::ReadSerial(result.serial)) {
        return Failed(result, "serial", "could not read the serial number");
    }
    const auto row = fleet.rows.find(result.serial);
    if (row == fleet.rows.end()) {
        result.unknownSerial = true;
        return Failed(result, "lookup", "serial number not in the fleet file");
    }
    result.cameraId = EncodeUtf8(row->second.identity.cameraId.data(), row->second.identity.cameraId.size());
    IdentityRecord wanted{};
    if (BuildIdentityRecord(row->second.identity, wanted) != BuildResult::Ok) {
        return Failed(result, "identity.build", "the row's identity does not fit the record");
    }
    IdentityRecord before{};
    if (!camera::ReadIdentity(before)) {
        return Failed(result, "identity.read", "could not read the identity record");
    }
    result.details["before"] = IdentityJson(before);
    if (!BeginChange(run, result.serial, kAction, result.details, result.auditError)) {
        return Failed(result, "audit", "nothing was changed", Outcome::AuditFailed);
    }
    return Change(result, wanted, syncTime);
}

ProvisionResult RefusedConnection()
{
    return Failed({}, "connect", kConnectionRefused, Outcome::NoCamera);
}

std::string ProvisionOutcome(const ProvisionResult& result)
{
    return result.failedStep.empty() ? "ok" : "failed at " + result.failedStep + ": " + result.why;
}

void RecordProvision(const RunContext& run, ProvisionResult& result)
{
    if (result.outcome == Outcome::AuditFailed) {
        return;  // the started line has said why
    }
    if (!EndChange(run, result.serial, kAction, ProvisionOutcome(result), result.details,
                   result.outcome == Outcome::Ok, result.auditError)) {
        result.outcome = Outcome::AuditFailed;
    }
}

}  // namespace station
