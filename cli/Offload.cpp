#include "cli/Offload.h"

#include <algorithm>

#include "cli/ArchiveCheck.h"
#include "cli/ArchiveVerify.h"
#include "cli/CardSearch.h"
#include "cli/ExitCodes.h"
#include "cli/OffloadReport.h"
#include "cli/Output.h"
#include "cli/Platform.h"
#include "core/CodePages.h"
#include "core/IdentityCodec.h"
#include "custody/ArchiveFolders.h"
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
bool FindCard(const OffloadOptions& options, const std::vector<std::string>& drivesBefore, CameraOffload& offload,
              std::string& card)
{
    const std::function<CardLook()> look = options.from.empty()
        ? std::function<CardLook()>([&] { return ChooseNewDrive(drivesBefore, platform::DriveRoots()); })
        : std::function<CardLook()>([&] { return LookForFolder(options.from); });
    const CardLook found = WaitForCard(look, options.cardWaitSeconds * std::uint64_t{1000});
    switch (found.found) {
    case CardFound::Yes:
        card = found.card;
        return true;
    case CardFound::NotYet:
        Failed(offload, "card", "the card did not appear within " + std::to_string(options.cardWaitSeconds) + " s");
        return false;
    case CardFound::SeveralDrives: {
        std::string drives;
        for (const std::string& drive : found.newDrives) {
            drives += (drives.empty() ? "" : ", ") + drive;
        }
        Failed(offload, "card", "more than one new drive appeared (" + drives + "): name the card with --from");
        return false;
    }
    case CardFound::Interrupted:
        break;
    }
    Failed(offload, "card", "interrupted while waiting for the card");
    return false;
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
    const std::vector<std::string> drivesBefore = options.from.empty() ? platform::DriveRoots()
                                                                      : std::vector<std::string>{};
    if (platform::Interrupted()) {
        return Failed(offload, "usb-storage", "interrupted before the switch to USB storage");
    }
    if (!camera::EnterUsbStorage()) {
        return Failed(offload, "usb-storage", "the camera refused to switch to USB storage");
    }
    if (!FindCard(options, drivesBefore, offload, card)) {
        return offload;
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

// Formats the card once it holds exactly the bag's files, with the
// format's own audit lines around it.
void FormatAfterOffload(const Session& session, const OffloadOptions& options, const std::string& card,
                        CameraOffload& offload)
{
    std::string why;
    if (!custody::CardHoldsExactly(custody::LocalFileSystem(), card, offload.copy.payload, why)) {
        offload.format = FormatAfter::NotFormatted;
        offload.formatWhy = "the card does not hold exactly the bag's files (" + why + ")";
        offload.exitCode = kExitFailed;
        return;
    }
    const nlohmann::ordered_json bag = {{"offloaded_to", offload.copy.bag}};
    offload.format = FormatAfter::NotFormatted;
    if (BeginChange(session, offload.serial, "format", bag) != kExitOk) {
        offload.formatWhy = "the audit file could not be written";
        offload.exitCode = kExitAuditFailed;
        return;
    }
    const bool formatted = camera::Format();
    std::string serial;
    const bool answers = formatted || camera::ReadSerial(serial);
    if (formatted) {
        offload.format = FormatAfter::Formatted;
    } else if (answers) {
        offload.formatWhy = "the camera refused the format";
    } else {
        offload.formatWhy = "the camera does not answer in USB storage mode; the recordings are safe in the bag, and"
                            " orvanectl format --yes --offloaded-to " + options.archive
                            + " clears the card once the camera is connected again";
    }
    offload.exitCode = EndChange(session, offload.serial, "format",
                                 formatted ? "ok" : answers ? "failed" : "failed: the camera did not answer", bag,
                                 formatted ? kExitOk : kExitFailed);
}

// One camera, connected: copied, recorded, formatted when asked, reported.
// Its exit code.
int OffloadConnected(const Session& session, const OffloadOptions& options)
{
    std::string card;
    CameraOffload offload = CopyCard(session, options, card);
    if (offload.exitCode != kExitAuditFailed) {  // else BeginChange has said why
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

// The name of an unfinished offload of `serial` newer than its newest bag:
// the card then holds recordings that no bag holds. Empty when none.
std::string UnfinishedOffload(const std::string& archive, const std::string& serial)
{
    std::vector<std::string> names;
    if (!custody::SerialNamesAFolder(serial)
        || !custody::LocalFileSystem().ListFolders(custody::LocalFileSystem().Join(archive, serial), names)) {
        return "";
    }
    const auto partial = custody::NewestOffloadFolder(names, true);
    const auto bag = custody::NewestOffloadFolder(names, false);
    return partial && (!bag || partial->NewerThan(*bag)) ? partial->Text() : "";
}

// The newest bag of `serial` when it is valid in full; empty, with `why`,
// otherwise.
std::string VerifiedOffload(const std::string& archive, const std::string& serial, std::string& why)
{
    std::string bag = custody::NewestBag(custody::LocalFileSystem(), archive, serial);
    if (bag.empty()) {
        why = "no bag of it";
        return "";
    }
    const std::string unfinished = UnfinishedOffload(archive, serial);
    if (!unfinished.empty()) {
        why = "the newer offload " + unfinished + " is unfinished: offload again to finish it";
        return "";
    }
    const custody::BagVerdict verdict = custody::VerifyBag(custody::LocalFileSystem(), bag, HashThreads());
    if (!verdict.valid) {
        why = bag + ": invalid: " + verdict.why;
        return "";
    }
    return bag;
}

}  // namespace

int CheckOffloadInput(const OffloadOptions& options)
{
    if (options.from.empty() && !platform::HasDriveLetters()) {
        WriteErrorLine("offload: this system has no drive letters; name the card's folder with --from");
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

int CheckOffloadedTo(const std::string& archive)
{
    const std::string problem = ArchiveFolderProblem(custody::LocalFileSystem(), archive);
    if (!problem.empty()) {
        WriteErrorLine(problem);
        return kExitUsage;
    }
    return kExitOk;
}

int RunFormatOffloaded(Session& session, const std::string& given)
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
    std::string why;
    const std::string bag = VerifiedOffload(archive, serial, why);
    if (bag.empty()) {
        session.output.Error("no verified offload of " + serial + " in " + archive + " (" + why
                             + "); the card was not formatted");
        return kExitFailed;
    }
    const nlohmann::ordered_json details = {{"offloaded_to", bag}};
    const int started = BeginChange(session, serial, "format", details);
    if (started != kExitOk) {
        return started;
    }
    const bool formatted = camera::Format();
    if (formatted) {
        session.output.Result({{"serial", serial}, {"action", "format"}, {"outcome", "ok"}, {"offloaded_to", bag}},
                              "card formatted; its recordings are in " + bag);
    } else {
        session.output.Error("the camera refused: format");
    }
    return EndChange(session, serial, "format", formatted ? "ok" : "failed", details,
                     formatted ? kExitOk : kExitFailed);
}
