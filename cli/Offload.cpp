#include "cli/Offload.h"

#include <algorithm>

#include "cli/ArchiveCheck.h"
#include "cli/ArchiveVerify.h"
#include "cli/AuditVerify.h"
#include "cli/CardSearch.h"
#include "cli/ExitCodes.h"
#include "cli/FormatCheck.h"
#include "cli/OffloadReport.h"
#include "cli/Output.h"
#include "cli/Console.h"
#include "core/CodePages.h"
#include "core/IdentityCodec.h"
#include "custody/Bag.h"
#include "custody/FileSystem.h"
#include "custody/Offload.h"

namespace {

const char* const kAction = "offload";
constexpr std::uint64_t kCardPollMs = 250;
constexpr std::uint64_t kProgressEveryMs = 200;

// One line on standard error, rewritten in place, when it is a console.
class ProgressDisplay {
public:
    ProgressDisplay() : shown_(platform::ErrorIsConsole()), start_(platform::SteadyMilliseconds()) {}
    ~ProgressDisplay() { Clear(); }

    void Show(const custody::OffloadProgress& progress)
    {
        if (!shown_) {
            return;
        }
        const std::uint64_t now = platform::SteadyMilliseconds();
        if (width_ != 0 && now - last_ < kProgressEveryMs) {
            return;
        }
        last_ = now;
        std::string line = ProgressLine(progress, now - start_);
        const std::size_t width = line.size();
        line.resize(std::max(width, width_), ' ');
        width_ = width;
        platform::WriteError("\r" + line);
    }

    void Clear()
    {
        if (width_ != 0) {
            platform::WriteError("\r" + std::string(width_, ' ') + "\r");
            width_ = 0;
        }
    }

private:
    const bool shown_;
    const std::uint64_t start_;
    std::uint64_t last_ = 0;
    std::size_t width_ = 0;
};

std::string Utf8(const WideString& text)
{
    return EncodeUtf8(text.data(), text.size());
}

CameraOffload& Failed(CameraOffload& offload, const std::string& step, const std::string& why,
                      int exitCode = kExitFailed)
{
    offload.failedStep = step;
    offload.why = why;
    offload.exitCode = exitCode;
    return offload;
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

// bag-info.txt's fields that the copy does not know itself; a field the
// camera left empty is left out.
custody::BagInfo BagInfoFor(const std::string& serial, const IdentityTexts& texts)
{
    const std::pair<const char*, std::string> fields[] = {
        {"Source-Organization", Utf8(texts.departmentName)},
        {"External-Identifier", serial},
        {"Bag-Software-Agent", "orvanectl " ORVANE_VERSION},
        {"Camera-ID", Utf8(texts.cameraId)},
        {"User-ID", Utf8(texts.userId)},
        {"User-Name", Utf8(texts.userName)},
        {"Department-ID", Utf8(texts.departmentId)},
        {"Department-Name", Utf8(texts.departmentName)},
        {"Offload-Station", platform::ComputerName()},
        {"Offload-Operator", platform::UserName()},
    };
    custody::BagInfo info;
    for (const auto& field : fields) {
        if (!field.second.empty()) {
            info.emplace_back(field.first, TagValue(field.second));
        }
    }
    return info;
}

// Looks at once, then every kCardPollMs, until `look` answers anything but
// NotYet or `waitMs` have passed (then NotYet).
CardLook WaitForCard(const std::function<CardLook()>& look, std::uint64_t waitMs)
{
    const std::uint64_t start = platform::SteadyMilliseconds();
    for (;;) {
        CardLook seen = look();
        const std::uint64_t waited = platform::SteadyMilliseconds() - start;
        if (seen.found != CardFound::NotYet || waited >= waitMs) {
            return seen;
        }
        if (!platform::Pause(std::min<std::uint64_t>(kCardPollMs, waitMs - waited))) {
            return {CardFound::Interrupted, {}, {}};
        }
    }
}

CardLook LookForFolder(const std::string& folder)
{
    std::vector<std::string> names;
    if (!custody::LocalFileSystem().ListFolders(folder, names)) {
        return {};
    }
    return {CardFound::Yes, folder, {}};
}

// After the switch to USB storage: the card's root folder, or why none.
bool FindCard(const CardOptions& options, const std::vector<std::string>& drivesBefore, std::string& card,
              std::string& why)
{
    const std::function<CardLook()> look = options.from.empty()
        ? std::function<CardLook()>([&] { return ChooseNewDrive(drivesBefore, platform::DriveRoots()); })
        : std::function<CardLook()>([&] { return LookForFolder(options.from); });
    const CardLook found = WaitForCard(look, options.waitSeconds * std::uint64_t{1000});
    switch (found.found) {
    case CardFound::Yes:
        card = found.card;
        return true;
    case CardFound::NotYet:
        why = "the card did not appear within " + std::to_string(options.waitSeconds) + " s";
        return false;
    case CardFound::SeveralDrives: {
        std::string drives;
        for (const std::string& drive : found.newDrives) {
            drives += (drives.empty() ? "" : ", ") + drive;
        }
        why = "more than one new drive appeared (" + drives + "): name the card with --from";
        return false;
    }
    case CardFound::Interrupted:
        break;
    }
    why = "interrupted while waiting for the card";
    return false;
}

// Switches the signed-in camera to USB storage and finds its card. The
// drives are looked at before the switch: a drive there already is never
// taken for the card. False, with the step that failed and why.
bool SwitchToCard(const CardOptions& options, std::string& card, std::string& step, std::string& why)
{
    const std::vector<std::string> drivesBefore = options.from.empty() ? platform::DriveRoots()
                                                                      : std::vector<std::string>{};
    step = "usb-storage";
    if (platform::Interrupted()) {
        why = "interrupted before the switch to USB storage";
        return false;
    }
    if (!camera::EnterUsbStorage()) {
        why = "the camera refused to switch to USB storage";
        return false;
    }
    step = "card";
    return FindCard(options, drivesBefore, card, why);
}

// Sign-in to the complete bag. The started line is written before the
// camera is switched; `card` receives the card's folder.
CameraOffload CopyCard(const Session& session, const OffloadOptions& options, std::string& card)
{
    CameraOffload offload;
    if (!camera::SignIn(session.account(), session.password.text())) {
        return Failed(offload, "sign-in", "the camera refused the sign-in", kExitSignInRefused);
    }
    if (!camera::ReadSerial(offload.serial)) {
        return Failed(offload, "serial", "could not read the serial number");
    }
    IdentityRecord record{};
    if (!camera::ReadIdentity(record)) {
        return Failed(offload, "identity", "could not read the identity record");
    }
    const IdentityTexts texts = ParseIdentityRecord(record);
    offload.cameraId = Utf8(texts.cameraId);
    if (BeginChange(session, offload.serial, kAction, {{"archive", options.archive}}) != kExitOk) {
        return Failed(offload, "audit", "nothing was changed", kExitAuditFailed);
    }
    std::string step;
    std::string why;
    if (!SwitchToCard(options.card, card, step, why)) {
        return Failed(offload, step, why);
    }
    ProgressDisplay display;
    custody::OffloadRequest request;
    request.card = card;
    request.archive = options.archive;
    request.serial = offload.serial;
    request.info = BagInfoFor(offload.serial, texts);
    request.clock = platform::UtcSeconds;
    request.interrupted = platform::Interrupted;
    request.progress = [&display](const custody::OffloadProgress& progress) { display.Show(progress); };
    offload.copy = custody::OffloadCard(custody::LocalFileSystem(), request);
    if (!offload.copy.ok) {
        return Failed(offload, offload.copy.step, offload.copy.why);
    }
    return offload;
}

// The card checked against the archive, with the bags of the session's
// audit trail vouched for by it.
FormatVerdict CheckAgainstArchive(const Session& session, const std::string& serial, const std::string& archive,
                                  const std::string& card)
{
    OffloadRecords records;
    FormatVerdict verdict;
    if (ReadOffloadRecords(session.auditPath, records, verdict.why) != TrailRead::Ok) {
        verdict.why = "the audit trail cannot vouch for a bag: " + verdict.why;
        return verdict;
    }
    return CheckCardHeld(custody::LocalFileSystem(), card, archive, serial, records, HashThreads());
}

enum class FormatEnd { Formatted, Refused, CameraRefused, CameraSilent };

struct FormatOutcome {
    FormatEnd end = FormatEnd::Refused;
    std::string bag;  // the bag that holds the card's files, once checked
    std::string why;  // Refused: why
    int exitCode = kExitFailed;
};

// After the format's started line: the card is listed and checked against
// the archive right before the format command, which is sent only when the
// check passed and no Ctrl+C came; then the outcome line.
FormatOutcome FormatCheckedCard(const Session& session, const std::string& serial, const std::string& archive,
                                const std::string& card)
{
    FormatOutcome outcome;
    nlohmann::ordered_json details = {{"archive", archive}};
    std::string audited;
    const FormatVerdict verdict = CheckAgainstArchive(session, serial, archive, card);
    if (!verdict.ok) {
        outcome.why = verdict.why;
        audited = "failed at check: " + verdict.why;
    } else if (platform::Interrupted()) {
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
    outcome.exitCode = EndChange(session, serial, "format", audited, details,
                                 outcome.end == FormatEnd::Formatted ? kExitOk : kExitFailed);
    return outcome;
}

// Formats the card once a bag holds exactly its files, with the format's
// own audit lines around the check.
void FormatAfterOffload(const Session& session, const OffloadOptions& options, const std::string& card,
                        CameraOffload& offload)
{
    offload.format = FormatAfter::NotFormatted;
    if (BeginChange(session, offload.serial, "format", {{"archive", options.archive}}) != kExitOk) {
        offload.formatWhy = "the audit file could not be written";
        offload.exitCode = kExitAuditFailed;
        return;
    }
    const FormatOutcome outcome = FormatCheckedCard(session, offload.serial, options.archive, card);
    offload.exitCode = outcome.exitCode;
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
                            + outcome.bag + ", and orvanectl format --yes --offloaded-to " + options.archive
                            + " clears the card once the camera is connected again";
        break;
    }
}

// One camera, connected: copied, recorded, formatted when asked, reported.
// Its exit code.
int OffloadConnected(const Session& session, const OffloadOptions& options)
{
    std::string card;
    CameraOffload offload = CopyCard(session, options, card);
    // The earlier attempt sealed on the way is a bag of its own: its line
    // comes first, so that the trail vouches for it too.
    const auto& sealed = offload.copy.sealedEarlier;
    if (sealed && offload.exitCode != kExitAuditFailed) {
        offload.exitCode = EndChange(session, offload.serial, kAction, SealedAuditOutcome(*sealed),
                                     SealedAuditDetails(*sealed), offload.exitCode);
    }
    if (offload.exitCode != kExitAuditFailed) {  // else an audit line has failed and said why
        offload.exitCode = EndChange(session, offload.serial, kAction, OffloadAuditOutcome(offload),
                                     OffloadAuditDetails(offload), offload.exitCode);
    }
    // A format needs its bag recorded first.
    if (offload.exitCode == kExitOk && options.formatAfter) {
        FormatAfterOffload(session, options, card, offload);
    }
    session.output.Result(OffloadJson(offload), OffloadLine(offload));
    return offload.exitCode;
}

// The dock: every camera plugged in is offloaded, then the operator is asked
// to unplug it.
int RunDock(const Session& session, const OffloadOptions& options)
{
    unsigned offloaded = 0;
    unsigned failed = 0;
    const int stopped = WatchCameras(
        session, options.station,
        [&](bool refused) {
            int exitCode = kExitNoCamera;
            if (refused) {
                CameraOffload offload;
                Failed(offload, "connect", "the camera did not accept the connection", kExitNoCamera);
                session.output.Result(OffloadJson(offload), OffloadLine(offload));
            } else {
                exitCode = OffloadConnected(session, options);
            }
            ++(exitCode == kExitOk ? offloaded : failed);
            platform::WriteError("unplug the camera\n");
            return exitCode;
        },
        [] { platform::WriteError("waiting for a camera (Ctrl+C stops the dock)\n"); });
    if (stopped == kExitNoCamera) {
        return stopped;
    }
    session.output.Result({{"offloaded", offloaded}, {"failed", failed}},
                          std::to_string(offloaded) + " offloaded, " + std::to_string(failed) + " failed");
    return stopped != kExitOk ? stopped : failed == 0 ? kExitOk : kExitFailed;
}

// Without drive letters the card can only be named.
bool CardFindable(const CardOptions& card)
{
    if (card.from.empty() && !platform::HasDriveLetters()) {
        WriteErrorLine("this system has no drive letters; name the card's folder with --from");
        return false;
    }
    return true;
}

}  // namespace

int CheckOffloadInput(const OffloadOptions& options)
{
    if (!CardFindable(options.card)) {
        return kExitUsage;
    }
    const std::string problem = ArchiveProblem(custody::LocalFileSystem(), options.archive,
                                               platform::SteadyMilliseconds(), platform::RemoveEmptyFolder);
    if (!problem.empty()) {
        WriteErrorLine(problem);
        return kExitUsage;
    }
    return kExitOk;
}

int RunOffload(Session& session, const OffloadOptions& given)
{
    OffloadOptions options = given;
    options.archive = platform::FullPath(given.archive);
    if (options.station.watch) {
        return RunDock(session, options);
    }
    const int connected = ConnectCamera(session);
    return connected != kExitOk ? connected : OffloadConnected(session, options);
}

int CheckOffloadedTo(const std::string& archive, const CardOptions& card)
{
    if (!CardFindable(card)) {
        return kExitUsage;
    }
    const std::string problem = ArchiveFolderProblem(custody::LocalFileSystem(), archive);
    if (!problem.empty()) {
        WriteErrorLine(problem);
        return kExitUsage;
    }
    return kExitOk;
}

int RunFormatOffloaded(Session& session, const std::string& given, const CardOptions& cardOptions)
{
    const std::string archive = platform::FullPath(given);
    const int opened = OpenCamera(session);
    if (opened != kExitOk) {
        return opened;
    }
    std::string serial;
    if (!camera::ReadSerial(serial)) {
        session.output.Error("could not read the serial number");
        return kExitFailed;
    }
    const nlohmann::ordered_json details = {{"archive", archive}};
    const int started = BeginChange(session, serial, "format", details);
    if (started != kExitOk) {
        return started;
    }
    std::string card;
    std::string step;
    std::string why;
    if (!SwitchToCard(cardOptions, card, step, why)) {
        session.output.Error("card not formatted: " + why);
        return EndChange(session, serial, "format", "failed at " + step + ": " + why, details, kExitFailed);
    }
    const FormatOutcome outcome = FormatCheckedCard(session, serial, archive, card);
    switch (outcome.end) {
    case FormatEnd::Formatted:
        session.output.Result({{"serial", serial}, {"action", "format"}, {"outcome", "ok"}, {"offloaded_to", outcome.bag}},
                              "card formatted; its recordings are in " + outcome.bag);
        break;
    case FormatEnd::Refused:
        session.output.Error("card not formatted: " + outcome.why);
        break;
    case FormatEnd::CameraRefused:
        session.output.Error("the camera refused: format");
        break;
    case FormatEnd::CameraSilent:
        session.output.Error("the camera does not answer in USB storage mode: format");
        break;
    }
    return outcome.exitCode;
}
