#include "custody/Offload.h"

#include <algorithm>
#include <atomic>
#include <future>
#include <map>
#include <optional>

#include "custody/ArchiveFolders.h"
#include "custody/BagPaths.h"
#include "custody/CopyPipeline.h"
#include "custody/FileDigest.h"
#include "platform/NameKey.h"
#include "platform/UtcTime.h"
#include "custody/VerifiedJournal.h"

namespace custody {

namespace {

// bag-info.txt's fields in the order they are written; see Offload.h.
constexpr const char* kBagInfoOrder[] = {
    "Source-Organization", "External-Identifier", "Bagging-Date",    "Payload-Oxum",
    "Bag-Software-Agent",  "Camera-ID",           "User-ID",         "User-Name",
    "Department-ID",       "Department-Name",     "Offload-Station", "Offload-Operator",
    "Offload-Started",     "Offload-Finished",    "Offload-Incomplete",
};
constexpr const char* kEngineFields[] = {"Bagging-Date", "Payload-Oxum", "Offload-Started", "Offload-Finished",
                                         "Offload-Incomplete"};

// The tag files an earlier attempt may have written before it failed.
constexpr const char* kTagFiles[] = {"bagit.txt", "bag-info.txt", "manifest-sha256.txt", "tagmanifest-sha256.txt"};

constexpr std::size_t kCheckBlockSize = std::size_t{1} << 20;

// Beside a .partial: what its data/ held that its journal does not vouch for.
constexpr const char* kSetAsideSuffix = ".set-aside";

std::size_t BagInfoRank(const std::string& name)
{
    const auto* found = std::find_if(std::begin(kBagInfoOrder), std::end(kBagInfoOrder),
                                     [&name](const char* field) { return name == field; });
    return static_cast<std::size_t>(found - std::begin(kBagInfoOrder));
}

BagInfo OrderedBagInfo(const BagInfo& given, const BagInfo& engine)
{
    BagInfo info;
    for (const auto& field : given) {
        const bool engines = std::any_of(std::begin(kEngineFields), std::end(kEngineFields),
                                         [&field](const char* own) { return field.first == own; });
        if (!engines) {
            info.push_back(field);
        }
    }
    info.insert(info.end(), engine.begin(), engine.end());
    std::stable_sort(info.begin(), info.end(), [](const auto& a, const auto& b) {
        return BagInfoRank(a.first) < BagInfoRank(b.first);
    });
    return info;
}

// The folder this offload fills: the newest .partial of the serial when no
// bag is newer (an interrupted offload), otherwise a new one.
struct Destination {
    OffloadFolderName name;
    std::string serialFolder;
    std::string partial;
    bool resumed = false;
};

bool CreatePartial(FileSystem& fs, Destination& destination, std::string& why)
{
    destination.partial = fs.Join(destination.serialFolder, destination.name.Text());
    if (!fs.CreateFolders(fs.Join(destination.partial, "data"))) {
        why = destination.partial + " cannot be created" + FailureCause(fs, "is the archive writable?");
        return false;
    }
    return true;
}

bool ChooseDestination(FileSystem& fs, const OffloadRequest& request, std::int64_t now, Destination& destination,
                       std::string& why)
{
    if (!SerialNamesAFolder(request.serial)) {
        why = "the serial number \"" + request.serial + "\" cannot name a folder";
        return false;
    }
    if (!fs.IsFolder(request.archive)) {
        why = request.archive + " is not a folder";
        return false;
    }
    destination.serialFolder = fs.Join(request.archive, request.serial);
    std::vector<std::string> names;
    if (!fs.CreateFolders(destination.serialFolder) || !fs.ListFolders(destination.serialFolder, names)) {
        why = destination.serialFolder + " cannot be created or listed" + FailureCause(fs, "is the archive writable?");
        return false;
    }
    const std::optional<OffloadFolderName> partial = NewestOffloadFolder(names, true);
    const std::optional<OffloadFolderName> bag = NewestOffloadFolder(names, false);
    destination.resumed = partial && (!bag || partial->NewerThan(*bag));
    destination.name = destination.resumed ? *partial : NewPartialFolder(names, now);
    return CreatePartial(fs, destination, why);
}

// A new attempt beside a sealed earlier one.
bool StartAnew(FileSystem& fs, std::int64_t now, Destination& destination, std::string& why)
{
    std::vector<std::string> names;
    if (!fs.ListFolders(destination.serialFolder, names)) {
        why = destination.serialFolder + " cannot be listed" + FailureCause(fs, "was the archive removed?");
        return false;
    }
    destination.resumed = false;
    destination.name = NewPartialFolder(names, now);
    return CreatePartial(fs, destination, why);
}

// The request's progress, fed by each step of the offload (see
// OffloadProgress), on the calling thread.
class ProgressReport {
public:
    ProgressReport(const OffloadRequest& request, const std::vector<FileEntry>& cardFiles) : hook_(request.progress)
    {
        progress_.filesTotal = cardFiles.size();
        progress_.cardBytes = BytesOf(cardFiles);
        progress_.workTotal = 2 * progress_.cardBytes;
    }

    // A resume's check of `bytes` of earlier copies begins.
    void CheckBegins(std::uint64_t bytes)
    {
        progress_.phase = OffloadPhase::Checking;
        progress_.workTotal += bytes;
        Report();
    }

    // `read` bytes of the copy being checked, of its `size`.
    void Checking(std::uint64_t read, std::uint64_t size)
    {
        progress_.workDone = checked_ + std::min(read, size);
        Report();
    }

    void Checked(std::uint64_t size)
    {
        checked_ += size;
        progress_.workDone = checked_;
        Report();
    }

    // The card's files not in `toCopy` were kept by the check: copied and
    // read back already.
    void CopyBegins(const std::vector<FileEntry>& toCopy)
    {
        keptFiles_ = progress_.filesTotal - toCopy.size();
        copyBase_ = checked_ + 2 * (progress_.cardBytes - BytesOf(toCopy));
        Copied(CopyCounts());
    }

    void Copied(const CopyCounts& counts)
    {
        progress_.phase = counts.cardRead ? OffloadPhase::Verifying : OffloadPhase::Copying;
        progress_.filesDone = keptFiles_ + counts.filesVerified;
        progress_.workDone = copyBase_ + counts.bytesCopied + counts.bytesReadBack;
        Report();
    }

    void Sealing()
    {
        progress_.phase = OffloadPhase::Sealing;
        Report();
    }

private:
    static std::uint64_t BytesOf(const std::vector<FileEntry>& files)
    {
        std::uint64_t bytes = 0;
        for (const FileEntry& file : files) {
            bytes += file.size;
        }
        return bytes;
    }

    void Report() const
    {
        if (hook_) {
            hook_(progress_);
        }
    }

    const std::function<void(const OffloadProgress&)>& hook_;
    OffloadProgress progress_;
    std::uint64_t checked_ = 0;   // bytes of earlier copies checked in full
    std::uint64_t keptFiles_ = 0;
    std::uint64_t copyBase_ = 0;  // the work done before the copy began
};

CopyFailure Interrupted(const std::string& relative)
{
    return {"copy", "interrupted while checking " + relative};
}

// Hashes a file on the card and its copy in the archive side by side.
class SideBySide {
public:
    SideBySide(const FileSystem& fs, const OffloadRequest& request, ProgressReport& report)
        : fs_(fs), request_(request), report_(report)
    {
    }

    // False with `failure` set when either cannot be read or the offload
    // was interrupted.
    bool Hash(const std::string& relative, const std::string& cardPath, const std::string& archivePath,
              std::uint64_t size, FileDigest& card, FileDigest& archive, CopyFailure& failure)
    {
        stop_ = false;
        auto archiveSide = std::async(std::launch::async, [&] {
            return DigestFile(fs_, archivePath, archiveBuffer_, [this](std::size_t) { return !stop_; }, archive);
        });
        std::uint64_t read = 0;
        const DigestOutcome cardOutcome = DigestFile(fs_, cardPath, cardBuffer_, [&](std::size_t count) {
            read += count;
            stop_ = stop_ || !Continue(read, size);
            return !stop_;
        }, card);
        if (cardOutcome != DigestOutcome::Done) {
            stop_ = true;
        }
        const DigestOutcome archiveOutcome = archiveSide.get();
        if (cardOutcome == DigestOutcome::Stopped) {
            failure = Interrupted(relative);
        } else if (cardOutcome != DigestOutcome::Done) {
            failure = {"card", relative + ": cannot be read on the card (was the card removed?)"};
        } else if (archiveOutcome != DigestOutcome::Done) {
            failure = {"verify", relative + ": the earlier attempt's copy cannot be read back from the archive"};
        }
        return cardOutcome == DigestOutcome::Done && archiveOutcome == DigestOutcome::Done;
    }

    // The copy alone, when the card has no file of its name and size.
    bool HashArchived(const std::string& relative, const std::string& archivePath, std::uint64_t size,
                      FileDigest& archive, CopyFailure& failure)
    {
        std::uint64_t read = 0;
        const DigestOutcome outcome = DigestFile(fs_, archivePath, archiveBuffer_, [&](std::size_t count) {
            read += count;
            return Continue(read, size);
        }, archive);
        if (outcome == DigestOutcome::Done) {
            return true;
        }
        failure = outcome == DigestOutcome::Stopped
                      ? Interrupted(relative)
                      : CopyFailure{"verify", relative + ": the earlier attempt's copy cannot be read back from the archive"};
        return false;
    }

private:
    // Between blocks on the calling thread: false when interrupted.
    bool Continue(std::uint64_t read, std::uint64_t size)
    {
        report_.Checking(read, size);
        return !(request_.interrupted && request_.interrupted());
    }

    const FileSystem& fs_;
    const OffloadRequest& request_;
    ProgressReport& report_;
    std::atomic<bool> stop_{false};
    std::vector<unsigned char> cardBuffer_ = std::vector<unsigned char>(kCheckBlockSize);
    std::vector<unsigned char> archiveBuffer_ = std::vector<unsigned char>(kCheckBlockSize);
};

// What an earlier attempt left in data/, sorted out before anything changes.
struct Plan {
    std::vector<PayloadFile> kept;     // listed in the journal, unchanged, and the card's file or off the card
    std::vector<PayloadFile> differs;  // listed in the journal, unchanged, but the card's file differs now
    std::vector<FileEntry> toCopy;
    std::vector<std::string> temps;    // unfinished copies: removed
    std::vector<std::string> setAside; // not vouched for by the journal: moved out, never deleted
};

// What a copy the journal lists is now.
enum class Found { SameOnCard, OffTheCard, OtherOnCard, ChangedSince, Failed };

// Hashes a copy the journal lists, side by side with the card's file of its
// name when that has the same size.
Found CheckListed(const FileSystem& fs, SideBySide& sideBySide, const std::string& card, const std::string& data,
                  const PayloadFile& verified, std::optional<std::uint64_t> cardSize, CopyFailure& failure)
{
    const std::string archivePath = fs.Join(data, verified.path);
    FileDigest onCard, archived;
    const bool sameSize = cardSize == verified.size;
    if (sameSize && !sideBySide.Hash(verified.path, fs.Join(card, verified.path), archivePath, verified.size, onCard,
                                     archived, failure)) {
        return Found::Failed;
    }
    if (!sameSize && !sideBySide.HashArchived(verified.path, archivePath, verified.size, archived, failure)) {
        return Found::Failed;
    }
    if (archived.size != verified.size || archived.sha256 != verified.sha256) {
        return Found::ChangedSince;
    }
    if (!cardSize) {
        return Found::OffTheCard;
    }
    return sameSize && onCard.sha256 == verified.sha256 ? Found::SameOnCard : Found::OtherOnCard;
}

// A file in data/ is trusted only when the journal lists it with the size
// and SHA-256 it has now. A trusted copy is kept when the card's file of its
// name is the same or gone; when that file differs, the copy is kept too, but
// the earlier attempt must be sealed (see SealedBag). Temporary copies of
// files no longer on the card are removed; anything else is set aside.
using Listed = std::map<std::string, const PayloadFile*>;

// The journal's entry for a file of data/, when it lists it with its size.
const PayloadFile* Vouched(const Listed& listed, const FileEntry& file)
{
    const auto entry = listed.find(file.relativePath);
    return entry == listed.end() || entry->second->size != file.size ? nullptr : entry->second;
}

bool PlanResume(const FileSystem& fs, const OffloadRequest& request, ProgressReport& report,
                const std::string& partial, const std::vector<FileEntry>& cardFiles, Plan& plan, CopyFailure& failure)
{
    std::vector<PayloadFile> journal;
    std::string why;
    if (!ReadVerifiedJournal(fs, partial, journal, why)) {
        failure = {"archive", "the journal of verified copies cannot be read: " + why};
        return false;
    }
    const std::string data = fs.Join(partial, "data");
    std::vector<FileEntry> archived;
    if (!fs.ListFiles(data, archived, why)) {
        failure = {"archive", data + " cannot be listed: " + why};
        return false;
    }
    Listed listed;
    for (const PayloadFile& file : journal) {
        listed[file.path] = &file;
    }
    std::uint64_t toCheck = 0;
    for (const FileEntry& file : archived) {
        toCheck += Vouched(listed, file) ? file.size : 0;
    }
    report.CheckBegins(toCheck);
    std::map<std::string, std::uint64_t> onCard;
    for (const FileEntry& file : cardFiles) {
        onCard[file.relativePath] = file.size;
    }
    SideBySide sideBySide(fs, request, report);
    for (const FileEntry& file : archived) {
        const PayloadFile* verified = Vouched(listed, file);
        const auto card = onCard.find(file.relativePath);
        if (!verified) {
            const bool unfinished =
                listed.count(file.relativePath) == 0 && card == onCard.end() && TempNames::IsTemp(file.relativePath);
            (unfinished ? plan.temps : plan.setAside).push_back(file.relativePath);
            continue;
        }
        const std::optional<std::uint64_t> cardSize =
            card == onCard.end() ? std::nullopt : std::optional<std::uint64_t>(card->second);
        switch (CheckListed(fs, sideBySide, request.card, data, *verified, cardSize, failure)) {
        case Found::Failed:
            return false;
        case Found::ChangedSince:
            plan.setAside.push_back(file.relativePath);
            break;
        case Found::OtherOnCard:
            plan.differs.push_back(*verified);
            break;
        case Found::SameOnCard:
            onCard.erase(card);
            plan.kept.push_back(*verified);
            break;
        case Found::OffTheCard:
            plan.kept.push_back(*verified);
            break;
        }
        report.Checked(verified->size);
    }
    for (const FileEntry& file : cardFiles) {
        if (onCard.count(file.relativePath) != 0) {
            plan.toCopy.push_back(file);
        }
    }
    return true;
}

bool RemoveTemps(FileSystem& fs, const std::string& data, const std::vector<std::string>& temps, CopyFailure& failure)
{
    for (const std::string& relative : temps) {
        if (!fs.RemoveFile(fs.Join(data, relative))) {
            failure = {"archive", relative + ": an unfinished copy of an earlier attempt cannot be removed" +
                                      FailureCause(fs, "is the archive writable?")};
            return false;
        }
    }
    return true;
}

// A folder of its own for each resume that sets files aside, so that no file
// already set aside is ever replaced.
std::string FreeSetAsideFolder(const FileSystem& fs, const std::string& partial)
{
    const std::string base = partial + kSetAsideSuffix;
    std::string folder = base;
    for (int number = 2; fs.Exists(folder); ++number) {
        folder = base + "-" + std::to_string(number);
    }
    return folder;
}

// The file keeps its path below `folder`; a rename never replaces a file.
bool MoveInto(FileSystem& fs, const std::string& data, const std::string& folder, const std::string& relative,
              CopyFailure& failure)
{
    const std::size_t slash = relative.rfind('/');
    const std::string to = fs.Join(folder, relative);
    if (fs.CreateFolders(slash == std::string::npos ? folder : fs.Join(folder, relative.substr(0, slash)))
        && fs.Rename(fs.Join(data, relative), to)) {
        return true;
    }
    std::string why = relative;
    why += ": not among the earlier attempt's verified copies, and cannot be moved out of its folder to ";
    why += to;
    why += FailureCause(fs, "is the archive writable?");
    failure = {"archive", why};
    return false;
}

// Moves the files out of data/ into a set-aside folder beside it.
bool SetAside(FileSystem& fs, const Destination& destination, const std::vector<std::string>& files,
              OffloadResult& result, CopyFailure& failure)
{
    if (files.empty()) {
        return true;
    }
    result.setAside = FreeSetAsideFolder(fs, destination.partial);
    const std::string data = fs.Join(destination.partial, "data");
    for (const std::string& relative : files) {
        if (!MoveInto(fs, data, result.setAside, relative, failure)) {
            return false;
        }
        result.setAsideFiles.push_back(relative);
    }
    return true;
}

// The first differing name, for the operator, the audit line and bag-info.txt
// (encoded as in a manifest: a line break in a name cannot break the field).
std::string WhyDiffers(const std::vector<PayloadFile>& differs)
{
    const auto first = std::min_element(differs.begin(), differs.end(),
                                        [](const PayloadFile& a, const PayloadFile& b) { return a.path < b.path; });
    std::string why = "the card's " + EncodeBagPath(first->path);
    why += differs.size() == 1 ? " differs from its copy verified here"
                               : " and " + std::to_string(differs.size() - 1) + " more differ from the copies verified here";
    return why + " (was the card formatted since?); the card is offloaded anew";
}

// The tag files of an attempt that failed after writing some of them.
bool RemoveOldTags(FileSystem& fs, const std::string& partial, std::string& why)
{
    for (const char* tag : kTagFiles) {
        const std::string path = fs.Join(partial, tag);
        if (fs.Exists(path) && !fs.RemoveFile(path)) {
            why = path + " of an earlier attempt cannot be removed" + FailureCause(fs, "is the archive writable?");
            return false;
        }
    }
    return true;
}

BagInfo InfoFor(const OffloadRequest& request, const Destination& destination, std::int64_t finished,
               const std::string& incomplete)
{
    return OffloadBagInfo(request.info, destination.name.started, finished, incomplete);
}

// After a failed rename the folder stays unfinished: its journal is written
// again, or the next attempt trusts none of its copies (it sets them aside
// and copies the card anew, which loses nothing but time).
void RestoreJournal(FileSystem& fs, const std::string& journal, const std::vector<PayloadFile>& payload)
{
    std::string lines;
    for (const PayloadFile& file : payload) {
        lines += VerifiedJournalLine(file);
    }
    const std::unique_ptr<WriteStream> stream = fs.OpenAppend(journal);
    if (stream && stream->Write(lines.data(), lines.size())) {
        stream->Flush();
    }
}

struct MadeBag {
    std::string bag;
    std::string tagManifestSha256;
};

// Tag files written, the journal removed (a bag holds data/ and its tag
// files only) and the folder renamed without ".partial".
bool MakeBag(FileSystem& fs, const Destination& destination, std::vector<PayloadFile>& payload, const BagInfo& info,
             MadeBag& made, CopyFailure& failure)
{
    std::sort(payload.begin(), payload.end(),
              [](const PayloadFile& a, const PayloadFile& b) { return a.path < b.path; });
    std::string why;
    if (destination.resumed && !RemoveOldTags(fs, destination.partial, why)) {
        failure = {"tags", why};
        return false;
    }
    if (!WriteBagTags(fs, destination.partial, payload, info, made.tagManifestSha256, why)) {
        failure = {"tags", why, fs.LastErrorWasNoSpace()};
        return false;
    }
    const std::string journal = fs.Join(destination.partial, kVerifiedJournalName);
    if (fs.Exists(journal) && !fs.RemoveFile(journal)) {
        failure = {"tags", journal + " cannot be removed" + FailureCause(fs, "is it open elsewhere?")};
        return false;
    }
    made.bag = fs.Join(destination.serialFolder, destination.name.BagName());
    if (!fs.Rename(destination.partial, made.bag)) {
        failure = {"rename", destination.partial + " cannot be renamed to " + made.bag +
                                 FailureCause(fs, "is it open elsewhere?")};
        RestoreJournal(fs, journal, payload);
        return false;
    }
    return true;
}

std::uint64_t Bytes(const std::vector<PayloadFile>& payload)
{
    std::uint64_t bytes = 0;
    for (const PayloadFile& file : payload) {
        bytes += file.size;
    }
    return bytes;
}

// The earlier attempt becomes a bag of the copies it verified, marked
// incomplete; its verified copies stay as they are.
bool SealEarlier(FileSystem& fs, const OffloadRequest& request, const Destination& earlier, Plan& plan,
                 std::int64_t now, OffloadResult& result, CopyFailure& failure)
{
    std::vector<PayloadFile> payload = plan.kept;
    payload.insert(payload.end(), plan.differs.begin(), plan.differs.end());
    const std::string why = WhyDiffers(plan.differs);
    MadeBag made;
    if (!MakeBag(fs, earlier, payload, InfoFor(request, earlier, now, why), made, failure)) {
        return false;
    }
    result.sealedEarlier =
        SealedBag{made.bag, why, payload.size(), Bytes(payload), PayloadOxum(payload), made.tagManifestSha256};
    return true;
}

OffloadResult Failed(OffloadResult result, const std::string& step, const std::string& why)
{
    result.ok = false;
    result.step = step;
    result.why = why;
    return result;
}

OffloadResult Failed(OffloadResult result, const CopyFailure& failure)
{
    result.noSpace = failure.noSpace;
    return Failed(std::move(result), failure.step, failure.why);
}

}  // namespace

OffloadResult OffloadCard(FileSystem& fs, const OffloadRequest& request)
{
    OffloadResult result;
    const auto now = [&request] { return request.clock ? request.clock() : UtcNow(); };
    Destination destination;
    std::string why;
    if (!ChooseDestination(fs, request, now(), destination, why)) {
        return Failed(result, "archive", why);
    }
    result.bag = destination.partial;
    result.resumed = destination.resumed;
    std::string data = fs.Join(destination.partial, "data");

    std::vector<FileEntry> cardFiles;
    if (!ListCard(fs, request.card, cardFiles, why)) {
        return Failed(result, "card", why);
    }
    ProgressReport report(request, cardFiles);
    Plan plan;
    CopyFailure failure;
    if (!destination.resumed) {
        plan.toCopy = cardFiles;
    } else if (!PlanResume(fs, request, report, destination.partial, cardFiles, plan, failure)
               || !RemoveTemps(fs, data, plan.temps, failure) || !SetAside(fs, destination, plan.setAside, result, failure)) {
        return Failed(result, failure);
    }
    if (!plan.differs.empty()) {
        if (!SealEarlier(fs, request, destination, plan, now(), result, failure)) {
            return Failed(result, failure);
        }
        if (!StartAnew(fs, now(), destination, why)) {
            return Failed(result, "archive", why);
        }
        result.bag = destination.partial;
        result.resumed = false;
        plan = Plan();
        plan.toCopy = cardFiles;
        data = fs.Join(destination.partial, "data");
    }
    result.filesKept = plan.kept.size();
    // Largest first: the last read-back, which nothing overlaps, is short.
    std::sort(plan.toCopy.begin(), plan.toCopy.end(), [](const FileEntry& a, const FileEntry& b) {
        return a.size != b.size ? a.size > b.size : a.relativePath < b.relativePath;
    });

    report.CopyBegins(plan.toCopy);
    CopyHooks hooks;
    hooks.interrupted = request.interrupted;
    hooks.progress = [&report](const CopyCounts& counts) { report.Copied(counts); };
    std::vector<PayloadFile> payload = plan.kept;
    const std::string journal = fs.Join(destination.partial, kVerifiedJournalName);
    if (!CopyVerified(fs, request.card, data, journal, plan.toCopy, TempNames(cardFiles), hooks, payload, failure)) {
        return Failed(result, failure);
    }
    report.Sealing();
    MadeBag made;
    if (!MakeBag(fs, destination, payload, InfoFor(request, destination, now(), ""), made, failure)) {
        return Failed(result, failure);
    }
    result.ok = true;
    result.bag = made.bag;
    result.tagManifestSha256 = made.tagManifestSha256;
    result.files = payload.size();
    result.bytes = Bytes(payload);
    result.payloadOxum = PayloadOxum(payload);
    result.payload = std::move(payload);
    return result;
}

BagInfo OffloadBagInfo(const BagInfo& given, std::int64_t started, std::int64_t finished,
                       const std::string& incomplete)
{
    BagInfo engine = {{"Bagging-Date", UtcDate(finished)},
                      {"Payload-Oxum", ""},  // WriteBagTags fills it in
                      {"Offload-Started", UtcIso(started)},
                      {"Offload-Finished", UtcIso(finished)}};
    if (!incomplete.empty()) {
        engine.emplace_back("Offload-Incomplete", incomplete);
    }
    return OrderedBagInfo(given, engine);
}

std::string NewestBag(const FileSystem& fs, const std::string& archive, const std::string& serial)
{
    if (!SerialNamesAFolder(serial)) {
        return "";
    }
    const std::string serialFolder = fs.Join(archive, serial);
    std::vector<std::string> names;
    if (!fs.ListFolders(serialFolder, names)) {
        return "";
    }
    const std::optional<OffloadFolderName> newest = NewestOffloadFolder(names, false);
    return newest ? fs.Join(serialFolder, newest->BagName()) : "";
}

}  // namespace custody
