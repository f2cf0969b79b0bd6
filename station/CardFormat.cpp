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

bool BeginFormat(const RunContext& run, const std::string& serial, const Archive& archive, std::string& error)
{
    return BeginChange(run, serial, "format", {{"archive", archive.Name()}}, error);
}

FormatOutcome CheckCardBeforeFormat(const RunContext& run, const std::string& serial, const Archive& archive,
                                    const std::string& card)
{
    FormatOutcome outcome;
    const FormatVerdict verdict = CheckAgainstArchive(run, serial, archive, card);
    outcome.why = verdict.why;
    outcome.bag = verdict.bag;
    outcome.end = verdict.ok ? FormatEnd::Formatted : FormatEnd::Refused;
    if (verdict.ok && run.stop.Requested()) {
        outcome.end = FormatEnd::NotSent;
        outcome.why = "interrupted before the format";
    }
    return outcome;
}

FormatEnd SendFormat()
{
    if (camera::Format()) {
        return FormatEnd::Formatted;
    }
    std::string answered;
    return camera::ReadSerial(answered) ? FormatEnd::CameraRefused : FormatEnd::CameraSilent;
}

void RecordFormatOutcome(const RunContext& run, const std::string& serial, const Archive& archive,
                         FormatOutcome& outcome)
{
    nlohmann::ordered_json details = {{"archive", archive.Name()}};
    std::string audited;
    switch (outcome.end) {
    case FormatEnd::Refused:
        audited = "failed at check: " + outcome.why;
        break;
    case FormatEnd::NotSent:
        audited = "failed at format: " + outcome.why;
        break;
    case FormatEnd::Formatted:
        audited = "ok";
        break;
    case FormatEnd::CameraRefused:
        audited = "failed";
        break;
    case FormatEnd::CameraSilent:
        audited = "failed: the camera did not answer";
        break;
    }
    if (outcome.end != FormatEnd::Refused && outcome.end != FormatEnd::NotSent) {
        details = {{"offloaded_to", outcome.bag}};
    }
    outcome.recorded = EndChange(run, serial, "format", audited, details, outcome.end == FormatEnd::Formatted,
                                 outcome.auditError);
}

std::string NotFormattedWhy(const FormatOutcome& outcome)
{
    switch (outcome.end) {
    case FormatEnd::Formatted:
        break;
    case FormatEnd::Refused:
    case FormatEnd::NotSent:
        return outcome.why;
    case FormatEnd::CameraRefused:
        return "the camera refused the format";
    case FormatEnd::CameraSilent:
        return "the camera does not answer in USB storage mode; the recordings are safe in the bag " + outcome.bag;
    }
    return "";
}

FormatOutcome FormatCheckedCard(const RunContext& run, const std::string& serial, const std::string& archive,
                                const std::string& card)
{
    return FormatCheckedCard(run, serial, FolderArchive(run.host.Files(), archive), card);
}

FormatOutcome FormatCheckedCard(const RunContext& run, const std::string& serial, const Archive& archive,
                                const std::string& card)
{
    FormatOutcome outcome = CheckCardBeforeFormat(run, serial, archive, card);
    if (outcome.end == FormatEnd::Formatted) {
        outcome.end = SendFormat();
    }
    RecordFormatOutcome(run, serial, archive, outcome);
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
    if (!BeginFormat(run, offload.serial, archive, offload.auditError)) {
        offload.formatWhy = "the audit file could not be written";
        offload.outcome = Outcome::AuditFailed;
        return;
    }
    const FormatOutcome outcome = FormatCheckedCard(run, offload.serial, archive, card);
    offload.outcome = !outcome.recorded ? Outcome::AuditFailed
                      : outcome.end == FormatEnd::Formatted ? Outcome::Ok
                                                            : Outcome::Failed;
    offload.auditError = outcome.auditError;
    offload.format = outcome.end == FormatEnd::Formatted ? FormatAfter::Formatted : FormatAfter::NotFormatted;
    offload.formatWhy = NotFormattedWhy(outcome);
    offload.formatLater = outcome.end == FormatEnd::CameraSilent;
}

}  // namespace station
