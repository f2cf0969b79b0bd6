#include "station/OffloadTurn.h"

#include <utility>
#include <vector>

#include "core/CodePages.h"
#include "station/AuditedChange.h"
#include "station/CardFormat.h"
#include "station/CardWait.h"
#include "station/FolderArchive.h"
#include "station/SignIn.h"

namespace station {
namespace {

const char* const kAction = "offload";

std::string Utf8(const WideString& text)
{
    return EncodeUtf8(text.data(), text.size());
}

bool Fail(CameraOffload& offload, const std::string& step, const std::string& why, Outcome outcome = Outcome::Failed)
{
    offload.failedStep = step;
    offload.why = why;
    offload.outcome = outcome;
    return false;
}

// A camera's text as a bag-info value: a line break would end the field,
// so control characters are written as \xNN.
std::string TagValue(const std::string& text)
{
    static const char kHex[] = "0123456789abcdef";
    std::string value;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            value += {'\\', 'x', kHex[byte >> 4], kHex[byte & 0xF]};
        } else {
            value += c;
        }
    }
    return value;
}

Step StepOf(custody::OffloadPhase phase)
{
    switch (phase) {
    case custody::OffloadPhase::Checking:
    case custody::OffloadPhase::Copying:
        break;
    case custody::OffloadPhase::Verifying:
        return Step::Verifying;
    case custody::OffloadPhase::Sealing:
        return Step::Sealing;
    }
    return Step::Copying;
}

// Why the turn ended as it did, for the operator: empty when all went well.
std::string Reason(const CameraOffload& offload)
{
    if (!offload.auditError.empty()) {
        return offload.auditError;
    }
    if (!Offloaded(offload)) {
        return "failed at " + offload.failedStep + ": " + offload.why;
    }
    return offload.format == FormatAfter::NotFormatted ? "card not formatted: " + offload.formatWhy : "";
}

}  // namespace

bool IdentifyCamera(const RunContext& run, CameraOffload& offload, IdentityTexts& texts)
{
    if (!camera::SignIn(run.account, run.password.text())) {
        return Fail(offload, "sign-in", kSignInRefused, Outcome::SignInRefused);
    }
    if (!camera::ReadSerial(offload.serial)) {
        return Fail(offload, "serial", "could not read the serial number");
    }
    IdentityRecord record{};
    if (!camera::ReadIdentity(record)) {
        return Fail(offload, "identity", "could not read the identity record");
    }
    texts = ParseIdentityRecord(record);
    offload.cameraId = Utf8(texts.cameraId);
    return true;
}

CameraIdentity IdentityOf(const CameraOffload& offload, const IdentityTexts& texts)
{
    return {offload.serial, offload.cameraId, Utf8(texts.userName)};
}

bool BeginOffload(const RunContext& run, const OffloadSettings& settings, CameraOffload& offload)
{
    if (!BeginChange(run, offload.serial, kAction, {{"archive", settings.archive}}, offload.auditError)) {
        return Fail(offload, "audit", "nothing was changed", Outcome::AuditFailed);
    }
    return true;
}

bool SwitchToCard(const RunContext& run, const OffloadSettings& settings, CameraOffload& offload, std::string& card)
{
    std::string step;
    std::string why;
    if (!SwitchToStorage(run, settings.card, card, step, why)) {
        return Fail(offload, step, why, run.stop.Requested() ? Outcome::Stopped : Outcome::Failed);
    }
    return true;
}

custody::BagInfo BagInfoFor(const RunContext& run, const std::string& serial, const IdentityTexts& texts)
{
    const std::pair<const char*, std::string> fields[] = {
        {"Source-Organization", Utf8(texts.departmentName)},
        {"External-Identifier", serial},
        {"Bag-Software-Agent", run.agent},
        {"Camera-ID", Utf8(texts.cameraId)},
        {"User-ID", Utf8(texts.userId)},
        {"User-Name", Utf8(texts.userName)},
        {"Department-ID", Utf8(texts.departmentId)},
        {"Department-Name", Utf8(texts.departmentName)},
        {"Offload-Station", run.host.ComputerName()},
        {"Offload-Operator", run.host.UserName()},
    };
    custody::BagInfo info;
    for (const auto& field : fields) {
        if (!field.second.empty()) {
            info.emplace_back(field.first, TagValue(field.second));
        }
    }
    return info;
}

bool CopyCardToBag(const RunContext& run, const std::string& card, const IdentityTexts& texts,
                   const ProgressReport& progress, CameraOffload& offload)
{
    FolderArchive archive(run.host.Files(), offload.archive);
    return CopyCardToBag(run, archive, card, texts, progress, offload);
}

bool CopyCardToBag(const RunContext& run, Archive& archive, const std::string& card, const IdentityTexts& texts,
                   const ProgressReport& progress, CameraOffload& offload)
{
    custody::OffloadRequest request;
    request.card = card;
    request.archive = offload.archive;
    request.serial = offload.serial;
    request.info = BagInfoFor(run, offload.serial, texts);
    request.clock = [&run] { return run.host.UtcSeconds(); };
    request.interrupted = [&run] { return run.stop.Requested(); };
    request.progress = progress;
    offload.copy = archive.Offload(run.host.Files(), request, offload.lock);
    if (offload.copy.ok) {
        return true;
    }
    const Outcome outcome = run.stop.Requested()          ? Outcome::Stopped
                            : offload.copy.step == "card" ? Outcome::CardLost
                            : offload.copy.noSpace        ? Outcome::ArchiveFull
                                                          : Outcome::Failed;
    return Fail(offload, offload.copy.step, offload.copy.why, outcome);
}

void RecordOffload(const RunContext& run, CameraOffload& offload)
{
    if (offload.outcome == Outcome::AuditFailed) {
        return;  // the line that failed has said why
    }
    const bool succeeded = offload.outcome == Outcome::Ok;
    const auto& sealed = offload.copy.sealedEarlier;
    if (sealed
        && !EndChange(run, offload.serial, kAction, SealedAuditOutcome(*sealed), SealedAuditDetails(*sealed),
                      succeeded, offload.auditError)) {
        offload.outcome = Outcome::AuditFailed;
        return;
    }
    if (!EndChange(run, offload.serial, kAction, OffloadAuditOutcome(offload), OffloadAuditDetails(offload),
                   succeeded, offload.auditError)) {
        offload.outcome = Outcome::AuditFailed;
    }
}

CameraOffload OffloadCamera(const RunContext& run, const OffloadSettings& settings, StationEvents& events,
                            TurnId turn)
{
    CameraOffload offload;
    offload.archive = settings.archive;
    const std::shared_ptr<Archive> archive =
        settings.place ? settings.place : std::make_shared<FolderArchive>(run.host.Files(), settings.archive);
    IdentityTexts texts;
    std::string card;
    events.StepStarted(turn, Step::SigningIn);
    if (IdentifyCamera(run, offload, texts)) {
        events.Identified(turn, IdentityOf(offload, texts));
        events.StepStarted(turn, Step::WaitingForCard);
        if (BeginOffload(run, settings, offload) && SwitchToCard(run, settings, offload, card)) {
            Step step = Step::Copying;
            events.StepStarted(turn, step);
            CopyCardToBag(run, *archive, card, texts, [&](const custody::OffloadProgress& progress) {
                if (StepOf(progress.phase) != step) {
                    step = StepOf(progress.phase);
                    events.StepStarted(turn, step);
                }
                events.Progress(turn, progress);
            }, offload);
        }
    }
    RecordOffload(run, offload);
    const bool recorded = Offloaded(offload) && offload.outcome == Outcome::Ok;
    // A format needs its bag recorded first.
    if (recorded && settings.formatAfter) {
        events.StepStarted(turn, Step::Formatting);
        FormatAfterOffload(run, *archive, card, offload);
        if (offload.format == FormatAfter::Formatted) {
            events.CardFormatted(turn);
        }
    }
    if (recorded) {
        events.SafeToUnplug(turn, offload.copy.bag);
    }
    events.Finished(turn, offload.outcome, Reason(offload));
    return offload;
}

}  // namespace station
