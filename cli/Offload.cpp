#include "cli/Offload.h"

#include <algorithm>

#include "cli/ArchiveCheck.h"
#include "cli/ArchiveVerify.h"
#include "cli/CardSearch.h"
#include "cli/ExitCodes.h"
#include "cli/OffloadReport.h"
#include "cli/Platform.h"
#include "core/CodePages.h"
#include "core/IdentityCodec.h"
#include "custody/ArchiveFolders.h"
#include "custody/Bag.h"
#include "custody/FileSystem.h"
#include "custody/Offload.h"

namespace {

constexpr unsigned kCardPollMs = 250;
constexpr std::uint64_t kProgressEveryMs = 200;

// Sleeps in short slices so that Ctrl+C is seen at once.
class SystemPacer : public Pacer {
public:
    std::uint64_t NowMs() override { return platform::MonotonicMs(); }
    bool Sleep(unsigned ms) override
    {
        const std::uint64_t until = NowMs() + ms;
        for (;;) {
            if (platform::Interrupted()) {
                return false;
            }
            const std::uint64_t now = NowMs();
            if (now >= until) {
                return true;
            }
            platform::SleepMs(static_cast<unsigned>(std::min<std::uint64_t>(until - now, 10)));
        }
    }
};

// One line on standard error, rewritten in place, when it is a console.
class ProgressDisplay {
public:
    ProgressDisplay() : shown_(platform::ErrorIsConsole()), start_(platform::MonotonicMs()) {}
    ~ProgressDisplay() { Clear(); }

    void Show(const custody::OffloadProgress& progress)
    {
        if (!shown_) {
            return;
        }
        const std::uint64_t now = platform::MonotonicMs();
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

CardLook LookForFolder(const std::string& folder)
{
    std::vector<std::string> names;
    if (!custody::LocalFileSystem().ListFolders(folder, names)) {
        return {};
    }
    return {CardFound::Yes, folder, {}};
}

// After the switch to USB storage: the card's root folder, or why none.
bool FindCard(const OffloadOptions& options, const std::vector<std::string>& drivesBefore, Pacer& pacer,
              CameraOffload& offload, std::string& card)
{
    const std::function<CardLook()> look = options.from.empty()
        ? std::function<CardLook()>([&] { return ChooseNewDrive(drivesBefore, platform::DriveRoots()); })
        : std::function<CardLook()>([&] { return LookForFolder(options.from); });
    const CardLook found = WaitForCard(look, options.cardWaitSeconds * std::uint64_t{1000}, kCardPollMs, pacer);
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
CameraOffload CopyCard(Session& session, const OffloadOptions& options, Pacer& pacer, std::string& card)
{
    CameraOffload offload;
    if (!camera::SignIn(session.account(), session.password)) {
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
    if (!session.audit.Record(offload.serial, "offload", "started", {{"archive", options.archive}})) {
        return Failed(offload, "audit", session.audit.Problem() + "; nothing was changed",
                      kExitAuditFailed);
    }
    const std::vector<std::string> drivesBefore = options.from.empty() ? platform::DriveRoots()
                                                                      : std::vector<std::string>{};
    if (platform::Interrupted()) {
        return Failed(offload, "usb-storage", "interrupted before the switch to USB storage");
    }
    if (!camera::EnterUsbStorage()) {
        return Failed(offload, "usb-storage", "the camera refused to switch to USB storage");
    }
    if (!FindCard(options, drivesBefore, pacer, offload, card)) {
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
void FormatAfterOffload(Session& session, const OffloadOptions& options, const std::string& card,
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
    if (!session.audit.Record(offload.serial, "format", "started", bag)) {
        offload.format = FormatAfter::NotFormatted;
        offload.formatWhy = session.audit.Problem() + "; the card was not formatted";
        offload.exitCode = kExitAuditFailed;
        return;
    }
    const bool formatted = camera::Format();
    std::string serial;
    const bool answers = formatted || camera::ReadSerial(serial);
    const std::string outcome = formatted ? "ok" : answers ? "failed" : "failed: the camera did not answer";
    const bool recorded = session.audit.Record(offload.serial, "format", outcome, bag);
    offload.format = formatted ? FormatAfter::Formatted : FormatAfter::NotFormatted;
    if (!answers) {
        offload.formatWhy = "the camera does not answer in USB storage mode; the recordings are safe in the bag, and"
                            " orvanectl format --yes --offloaded-to " + options.archive
                            + " clears the card once the camera is connected again";
    } else if (!formatted) {
        offload.formatWhy = "the camera refused the format";
    }
    offload.exitCode = !recorded ? kExitAuditFailed : formatted ? kExitOk : kExitFailed;
    if (!recorded) {
        offload.formatWhy += (offload.formatWhy.empty() ? "" : "; ") + session.audit.Problem() + ": the format was "
                             + (formatted ? "done" : "tried") + " but is not recorded";
    }
}

// One camera, connected: copied, recorded, formatted when asked, reported.
CameraOffload OffloadConnected(Session& session, const OffloadOptions& options, Pacer& pacer)
{
    std::string card;
    CameraOffload offload = CopyCard(session, options, pacer, card);
    std::string unrecorded;
    if (offload.exitCode != kExitAuditFailed
        && !session.audit.Record(offload.serial, "offload", OffloadAuditOutcome(offload), OffloadAuditDetails(offload))) {
        offload.exitCode = kExitAuditFailed;
        unrecorded = session.audit.Problem() + ": this offload was "
                     + (offload.failedStep.empty() ? "done" : "tried") + " but is not recorded";
    } else if (offload.failedStep.empty() && options.formatAfter) {
        FormatAfterOffload(session, options, card, offload);
    }
    session.output.Result(OffloadJson(offload), OffloadLine(offload));
    if (!unrecorded.empty()) {
        session.output.Error(unrecorded);
    }
    return offload;
}

enum class Arrival { Camera, Interrupted, NoVendorLibrary };

// Waits for a camera to appear, trying every `intervalMs`.
Arrival WaitForCamera(unsigned intervalMs, Pacer& pacer)
{
    for (;;) {
        if (platform::Interrupted()) {
            return Arrival::Interrupted;
        }
        const Connection connection = camera::Connect();
        if (connection == Connection::Connected) {
            return Arrival::Camera;
        }
        if (connection == Connection::NoVendorLibrary) {
            return Arrival::NoVendorLibrary;
        }
        if (!pacer.Sleep(intervalMs)) {
            return Arrival::Interrupted;
        }
    }
}

// Gone means the library finds no camera; a failed read is not gone. The
// first look comes an interval after the result, so no camera is tried
// more often than that.
bool WaitForUnplug(unsigned intervalMs, Pacer& pacer)
{
    for (;;) {
        if (!pacer.Sleep(intervalMs)) {
            return false;
        }
        if (camera::Connect() != Connection::Connected) {
            return true;
        }
    }
}

int RunDock(Session& session, const OffloadOptions& options, Pacer& pacer)
{
    unsigned offloaded = 0;
    unsigned failed = 0;
    int exitCode = kExitOk;
    while (options.count == 0 || offloaded + failed < options.count) {
        platform::WriteError("waiting for a camera (Ctrl+C stops the dock)\n");
        const Arrival arrival = WaitForCamera(options.intervalMs, pacer);
        if (arrival == Arrival::NoVendorLibrary) {
            return ConnectCamera(session);  // no camera can ever come
        }
        if (arrival == Arrival::Interrupted) {
            break;
        }
        const CameraOffload offload = OffloadConnected(session, options, pacer);
        if (offload.exitCode == kExitOk) {
            ++offloaded;
        } else {
            ++failed;
            exitCode = kExitFailed;
        }
        // A station that cannot record must not go on changing cameras.
        if (offload.exitCode == kExitAuditFailed) {
            exitCode = kExitAuditFailed;
            break;
        }
        if (options.count != 0 && offloaded + failed >= options.count) {
            break;
        }
        platform::WriteError("unplug the camera " + (offload.serial.empty() ? std::string("-") : offload.serial) + "\n");
        if (!WaitForUnplug(options.intervalMs, pacer)) {
            break;
        }
    }
    session.output.Result({{"offloaded", offloaded}, {"failed", failed}},
                          std::to_string(offloaded) + " offloaded, " + std::to_string(failed) + " failed");
    return exitCode;
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

}  // namespace

int CheckOffloadInput(const OffloadOptions& options, const Output& output)
{
    if (options.from.empty() && !platform::HasDriveLetters()) {
        output.Error("offload: this system has no drive letters; name the card's folder with --from");
        return kExitUsage;
    }
    const std::string problem = ArchiveProblem(custody::LocalFileSystem(), options.archive, platform::MonotonicMs(),
                                               platform::RemoveEmptyFolder);
    if (!problem.empty()) {
        output.Error(problem);
        return kExitUsage;
    }
    return kExitOk;
}

int RunOffload(Session& session, const OffloadOptions& given)
{
    OffloadOptions options = given;
    options.archive = platform::FullPath(given.archive);
    platform::CatchInterrupt();
    SystemPacer pacer;
    if (options.watch) {
        return RunDock(session, options, pacer);
    }
    const int connected = ConnectCamera(session);
    if (connected != kExitOk) {
        return connected;
    }
    return OffloadConnected(session, options, pacer).exitCode;
}

int CheckOffloadedTo(const std::string& archive, const Output& output)
{
    const std::string problem = ArchiveFolderProblem(custody::LocalFileSystem(), archive);
    if (!problem.empty()) {
        output.Error(problem);
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
    const std::string refused = "no verified offload of " + serial + " in " + archive;
    const std::string bag = custody::NewestBag(custody::LocalFileSystem(), archive, serial);
    if (bag.empty()) {
        session.output.Error(refused + " (no bag of it); the card was not formatted");
        return kExitFailed;
    }
    const std::string unfinished = UnfinishedOffload(archive, serial);
    if (!unfinished.empty()) {
        session.output.Error(refused + " (the newer offload " + unfinished
                             + " is unfinished: offload again to finish it); the card was not formatted");
        return kExitFailed;
    }
    const custody::BagVerdict verdict = custody::VerifyBag(custody::LocalFileSystem(), bag, HashThreads());
    if (!verdict.valid) {
        session.output.Error(refused + " (" + bag + ": invalid: " + verdict.why + "); the card was not formatted");
        return kExitFailed;
    }
    const nlohmann::ordered_json details = {{"offloaded_to", bag}};
    if (!session.audit.Record(serial, "format", "started", details)) {
        session.output.Error(session.audit.Problem() + "; nothing was changed");
        return kExitAuditFailed;
    }
    const bool formatted = camera::Format();
    const bool recorded = session.audit.Record(serial, "format", formatted ? "ok" : "failed", details);
    if (!formatted) {
        session.output.Error("the camera refused: format");
    } else {
        session.output.Result({{"serial", serial}, {"action", "format"}, {"outcome", "ok"}, {"offloaded_to", bag}},
                              "card formatted; its recordings are in " + bag);
    }
    if (!recorded) {
        session.output.Error(session.audit.Problem() + ": the format was "
                             + (formatted ? "done" : "tried") + " but is not recorded");
        return kExitAuditFailed;
    }
    return formatted ? kExitOk : kExitFailed;
}
