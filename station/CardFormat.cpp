#include "station/CardFormat.h"

#include "platform/FileSystem.h"
#include "platform/Host.h"
#include "station/AuditedChange.h"
#include "station/BagAudit.h"
#include "station/FolderArchive.h"
#include "station/FormatCheck.h"
#include "station/HashThreads.h"

namespace station {
namespace {

// The card checked against the archive, with the bags of the run's audit
// trail vouched for by it.
FormatVerdict CheckAgainstArchive(const RunContext& run, const std::string& serial, const Archive& archive,
                                  const std::string& card)
{
    OffloadRecords records;
    FormatVerdict verdict;
    if (ReadOffloadRecords(run.host, run.stop, run.audit.Path(), records, verdict.why) != TrailRead::Ok) {
        verdict.why = "the audit trail cannot vouch for a bag: " + verdict.why;
        return verdict;
    }
    return CheckCardHeld(run.host.Files(), card, archive, serial, records, HashThreads());
}

}  // namespace

FormatOutcome FormatCheckedCard(const RunContext& run, const std::string& serial, const std::string& archive,
                                const std::string& card)
{
    return FormatCheckedCard(run, serial, FolderArchive(run.host.Files(), archive), card);
}

FormatOutcome FormatCheckedCard(const RunContext& run, const std::string& serial, const Archive& archive,
                                const std::string& card)
{
    FormatOutcome outcome;
    nlohmann::ordered_json details = {{"archive", archive.Name()}};
    std::string audited;
    const FormatVerdict verdict = CheckAgainstArchive(run, serial, archive, card);
    if (!verdict.ok) {
        outcome.why = verdict.why;
        audited = "failed at check: " + verdict.why;
    } else if (run.stop.Requested()) {
        outcome.why = "interrupted before the format";
        audited = "failed at format: " + outcome.why;
    } else {
        outcome.bag = verdict.bag;
        details = {{"offloaded_to", verdict.bag}};
        std::string answered;
        if (camera::Format()) {
            outcome.end = FormatEnd::Formatted;
            audited = "ok";
        } else if (camera::ReadSerial(answered)) {
            outcome.end = FormatEnd::CameraRefused;
            audited = "failed";
        } else {
            outcome.end = FormatEnd::CameraSilent;
            audited = "failed: the camera did not answer";
        }
    }
    outcome.recorded = EndChange(run, serial, "format", audited, details, outcome.end == FormatEnd::Formatted,
                                 outcome.auditError);
    return outcome;
}

void FormatAfterOffload(const RunContext& run, const std::string& archive, const std::string& card,
                        CameraOffload& offload)
{
    FormatAfterOffload(run, FolderArchive(run.host.Files(), archive), card, offload);
}

void FormatAfterOffload(const RunContext& run, const Archive& archive, const std::string& card,
                        CameraOffload& offload)
{
    offload.format = FormatAfter::NotFormatted;
    if (!BeginChange(run, offload.serial, "format", {{"archive", archive.Name()}}, offload.auditError)) {
        offload.formatWhy = "the audit file could not be written";
        offload.outcome = Outcome::AuditFailed;
        return;
    }
    const FormatOutcome outcome = FormatCheckedCard(run, offload.serial, archive, card);
    offload.outcome = !outcome.recorded ? Outcome::AuditFailed
                      : outcome.end == FormatEnd::Formatted ? Outcome::Ok
                                                            : Outcome::Failed;
    offload.auditError = outcome.auditError;
    switch (outcome.end) {
    case FormatEnd::Formatted:
        offload.format = FormatAfter::Formatted;
        break;
    case FormatEnd::Refused:
        offload.formatWhy = outcome.why;
        break;
    case FormatEnd::CameraRefused:
        offload.formatWhy = "the camera refused the format";
        break;
    case FormatEnd::CameraSilent:
        offload.formatWhy = "the camera does not answer in USB storage mode; the recordings are safe in the bag "
                            + outcome.bag;
        offload.formatLater = true;
        break;
    }
}

}  // namespace station
