#include "custody/Offload.h"

#include <algorithm>
#include <atomic>
#include <future>
#include <map>
#include <optional>

#include "custody/ArchiveFolders.h"
#include "custody/CopyPipeline.h"
#include "custody/FileDigest.h"
#include "custody/NameKey.h"
#include "custody/UtcTime.h"

namespace custody {

namespace {

// bag-info.txt's fields in the order they are written; see Offload.h.
constexpr const char* kBagInfoOrder[] = {
    "Source-Organization", "External-Identifier", "Bagging-Date",    "Payload-Oxum",
    "Bag-Software-Agent",  "Camera-ID",           "User-ID",         "User-Name",
    "Department-ID",       "Department-Name",     "Offload-Station", "Offload-Operator",
    "Offload-Started",     "Offload-Finished",
};
constexpr const char* kEngineFields[] = {"Bagging-Date", "Payload-Oxum", "Offload-Started", "Offload-Finished"};

// The tag files an earlier attempt may have written before it failed.
constexpr const char* kTagFiles[] = {"bagit.txt", "bag-info.txt", "manifest-sha256.txt", "tagmanifest-sha256.txt"};

constexpr std::size_t kCheckBlockSize = std::size_t{1} << 20;

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
    destination.partial = fs.Join(destination.serialFolder, destination.name.Text());
    if (!fs.CreateFolders(fs.Join(destination.partial, "data"))) {
        why = destination.partial + " cannot be created" + FailureCause(fs, "is the archive writable?");
        return false;
    }
    return true;
}

// Hashes a file on the card and its copy in the archive side by side.
class SideBySide {
public:
    SideBySide(const FileSystem& fs, const OffloadRequest& request) : fs_(fs), request_(request) {}

    // False with `failure` set when either cannot be read or the offload
    // was interrupted.
    bool Hash(const std::string& relative, const std::string& cardPath, const std::string& archivePath,
              FileDigest& card, FileDigest& archive, CopyFailure& failure)
    {
        stop_ = false;
        auto archiveSide = std::async(std::launch::async, [&] {
            return DigestFile(fs_, archivePath, archiveBuffer_, [this](std::size_t) { return !stop_; }, archive);
        });
        const DigestOutcome cardOutcome = DigestFile(fs_, cardPath, cardBuffer_, [this](std::size_t) {
            stop_ = stop_ || (request_.interrupted && request_.interrupted());
            return !stop_;
        }, card);
        if (cardOutcome != DigestOutcome::Done) {
            stop_ = true;
        }
        const DigestOutcome archiveOutcome = archiveSide.get();
        if (cardOutcome == DigestOutcome::Stopped) {
            failure = {"copy", "interrupted while checking " + relative};
        } else if (cardOutcome != DigestOutcome::Done) {
            failure = {"card", relative + ": cannot be read on the card (was the card removed?)"};
        } else if (archiveOutcome != DigestOutcome::Done) {
            failure = {"verify", relative + ": the earlier attempt's copy cannot be read back from the archive"};
        }
        return cardOutcome == DigestOutcome::Done && archiveOutcome == DigestOutcome::Done;
    }

private:
    const FileSystem& fs_;
    const OffloadRequest& request_;
    std::atomic<bool> stop_{false};
    std::vector<unsigned char> cardBuffer_ = std::vector<unsigned char>(kCheckBlockSize);
    std::vector<unsigned char> archiveBuffer_ = std::vector<unsigned char>(kCheckBlockSize);
};

struct Plan {
    std::vector<PayloadFile> kept;  // verified by an earlier attempt and checked again now
    std::vector<FileEntry> toCopy;
};

bool Remove(FileSystem& fs, const std::string& path, const std::string& relative, CopyFailure& failure)
{
    if (fs.RemoveFile(path)) {
        return true;
    }
    failure = {"copy", relative + ": the earlier attempt's copy cannot be removed from the archive" +
                          FailureCause(fs, "is the archive writable?")};
    return false;
}

// What an earlier attempt left in data/: a copy is kept only when it matches
// the card's file again in size and SHA-256; temporary copies and copies
// that differ are removed; a verified copy of a file the card no longer
// holds is kept (never lose a recording), hashed as it is.
bool PlanResume(FileSystem& fs, const OffloadRequest& request, const std::string& data,
                const std::vector<FileEntry>& cardFiles, Plan& plan, CopyFailure& failure)
{
    std::vector<FileEntry> archived;
    std::string error;
    if (!fs.ListFiles(data, archived, error)) {
        failure = {"archive", data + " cannot be listed: " + error};
        return false;
    }
    std::map<std::string, std::uint64_t> onCard;
    for (const FileEntry& file : cardFiles) {
        onCard[file.relativePath] = file.size;
    }
    SideBySide sideBySide(fs, request);
    std::vector<unsigned char> buffer(kCheckBlockSize);
    for (const FileEntry& file : archived) {
        const std::string archivePath = fs.Join(data, file.relativePath);
        const auto card = onCard.find(file.relativePath);
        if (card == onCard.end() && TempNames::IsTemp(file.relativePath)) {
            if (!Remove(fs, archivePath, file.relativePath, failure)) {
                return false;
            }
            continue;
        }
        if (card == onCard.end()) {
            FileDigest digest;
            if (DigestFile(fs, archivePath, buffer, nullptr, digest) != DigestOutcome::Done) {
                failure = {"verify", file.relativePath + ": the earlier attempt's copy cannot be read back"};
                return false;
            }
            plan.kept.push_back({file.relativePath, digest.size, digest.sha256});
            continue;
        }
        FileDigest cardDigest, archiveDigest;
        if (card->second == file.size &&
            !sideBySide.Hash(file.relativePath, fs.Join(request.card, file.relativePath), archivePath, cardDigest,
                             archiveDigest, failure)) {
            return false;
        }
        if (card->second == file.size && cardDigest.size == archiveDigest.size &&
            cardDigest.sha256 == archiveDigest.sha256) {
            plan.kept.push_back({file.relativePath, cardDigest.size, cardDigest.sha256});
            onCard.erase(card);
            continue;
        }
        if (!Remove(fs, archivePath, file.relativePath, failure)) {
            return false;
        }
    }
    for (const FileEntry& file : cardFiles) {
        if (onCard.count(file.relativePath) != 0) {
            plan.toCopy.push_back(file);
        }
    }
    return true;
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

OffloadResult Failed(OffloadResult result, const std::string& step, const std::string& why)
{
    result.ok = false;
    result.step = step;
    result.why = why;
    return result;
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
    const std::string data = fs.Join(destination.partial, "data");

    std::vector<FileEntry> cardFiles;
    if (!ListCard(fs, request.card, cardFiles, why)) {
        return Failed(result, "card", why);
    }
    OffloadProgress progress;
    progress.filesTotal = cardFiles.size();
    for (const FileEntry& file : cardFiles) {
        progress.bytesTotal += file.size;
    }

    Plan plan;
    CopyFailure failure;
    if (destination.resumed && !PlanResume(fs, request, data, cardFiles, plan, failure)) {
        return Failed(result, failure.step, failure.why);
    }
    if (!destination.resumed) {
        plan.toCopy = cardFiles;
    }
    result.filesKept = plan.kept.size();
    std::uint64_t keptBytes = 0;
    for (const PayloadFile& file : plan.kept) {
        keptBytes += file.size;
    }
    // Largest first: the last read-back, which nothing overlaps, is short.
    std::sort(plan.toCopy.begin(), plan.toCopy.end(), [](const FileEntry& a, const FileEntry& b) {
        return a.size != b.size ? a.size > b.size : a.relativePath < b.relativePath;
    });

    CopyHooks hooks;
    hooks.interrupted = request.interrupted;
    if (request.progress) {
        hooks.verified = [&](std::uint64_t files, std::uint64_t bytes) {
            progress.filesDone = result.filesKept + files;
            progress.bytesDone = keptBytes + bytes;
            request.progress(progress);
        };
    }
    std::vector<PayloadFile> payload = plan.kept;
    if (!CopyVerified(fs, request.card, data, plan.toCopy, TempNames(cardFiles), hooks, payload, failure)) {
        return Failed(result, failure.step, failure.why);
    }
    std::sort(payload.begin(), payload.end(),
              [](const PayloadFile& a, const PayloadFile& b) { return a.path < b.path; });

    const std::int64_t finished = now();
    const BagInfo info = OrderedBagInfo(request.info, {{"Bagging-Date", UtcDate(finished)},
                                                       {"Payload-Oxum", ""},  // WriteBagTags fills it in
                                                       {"Offload-Started", UtcIso(destination.name.started)},
                                                       {"Offload-Finished", UtcIso(finished)}});
    if (destination.resumed && !RemoveOldTags(fs, destination.partial, why)) {
        return Failed(result, "tags", why);
    }
    if (!WriteBagTags(fs, destination.partial, payload, info, result.tagManifestSha256, why)) {
        return Failed(result, "tags", why);
    }
    const std::string bag = fs.Join(destination.serialFolder, destination.name.BagName());
    if (!fs.Rename(destination.partial, bag)) {
        return Failed(result, "rename",
                      destination.partial + " cannot be renamed to " + bag + FailureCause(fs, "is it open elsewhere?"));
    }
    result.ok = true;
    result.bag = bag;
    result.files = payload.size();
    for (const PayloadFile& file : payload) {
        result.bytes += file.size;
    }
    result.payloadOxum = PayloadOxum(payload);
    result.payload = std::move(payload);
    return result;
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
