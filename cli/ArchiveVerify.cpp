#include "cli/ArchiveVerify.h"

#include "station/BagAudit.h"
#include "cli/ExitCodes.h"
#include "cli/Console.h"
#include "custody/VerifiedJournal.h"
#include "station/FolderArchive.h"
#include "station/HashThreads.h"

namespace {

using custody::FoundFolder;

const char* State(const custody::BagVerdict& verdict)
{
    return verdict.stopped ? "stopped" : verdict.valid ? "valid" : "invalid";
}

using Archives = std::vector<std::shared_ptr<station::Archive>>;
// A further check of each bag, told its archive.
using ArchiveBagCheck = std::function<void(const station::Archive&, const std::string& bag, custody::BagVerdict&)>;

void ReportBag(const Output& output, const std::string& path, const custody::BagVerdict& verdict)
{
    nlohmann::ordered_json object = {{"path", path}, {"state", State(verdict)}, {"valid", verdict.valid}};
    std::string line = path + (verdict.valid ? ": valid"
                               : verdict.stopped ? ": not checked in full: " + verdict.why
                                                 : ": invalid: " + verdict.why);
    if (!verdict.valid) {
        object["error"] = verdict.why;
    }
    if (!verdict.warnings.empty()) {
        object["warnings"] = verdict.warnings;
        for (const std::string& warning : verdict.warnings) {
            line += "; warning: " + warning;
        }
    }
    output.Result(object, line);
}

// An offload that stopped before its folder became a bag: what it verified
// is kept, but the card's recordings are not all in a bag yet.
void ReportUnfinished(const station::Archive& archive, const Output& output, const std::string& found)
{
    const std::string path = archive.Shown(found);
    nlohmann::ordered_json object = {{"path", path}, {"state", "unfinished"}, {"valid", false}};
    std::vector<custody::PayloadFile> verified;
    std::string why;
    std::string line = path + ": unfinished: ";
    if (custody::ReadVerifiedJournal(archive.Files(), found, verified, why)) {
        object["verified_files"] = verified.size();
        line += std::to_string(verified.size()) + " verified files";
    } else {
        object["error"] = why;
        line += "its journal cannot be read (" + why + ")";
    }
    output.Result(object, line + "; offload the camera again to finish it");
}

void ReportUnlisted(const station::Archive& archive, const Output& output, const FoundFolder& folder)
{
    const std::string path = archive.Shown(folder.path);
    output.Result({{"path", path}, {"state", "unlisted"}, {"valid", false}, {"error", folder.why}},
                  path + ": not searched: " + folder.why + "; bags in it were not checked");
}

enum class Checked { Valid, NotValid, Stopped };

// Anything but a valid bag is not valid. Ctrl+C stops the bag's hashing
// within a block on each thread.
Checked CheckFound(const station::Archive& archive, const Output& output, const FoundFolder& folder,
                   const platform::StopSignal& stop, const BagVerdictCheck& check)
{
    switch (folder.kind) {
    case FoundFolder::Kind::Bag: break;
    case FoundFolder::Kind::Unfinished: ReportUnfinished(archive, output, folder.path); return Checked::NotValid;
    case FoundFolder::Kind::Unlisted: ReportUnlisted(archive, output, folder); return Checked::NotValid;
    }
    custody::BagCheckRequest request;
    request.threads = HashThreads();
    request.stop = [&stop] { return stop.Requested(); };
    custody::BagVerdict verdict = archive.VerifyBag(folder.path, request);
    if (check && !verdict.stopped) {
        check(folder.path, verdict);
    }
    ReportBag(output, archive.Shown(folder.path), verdict);
    return verdict.stopped ? Checked::Stopped : verdict.valid ? Checked::Valid : Checked::NotValid;
}

// Every archive, in the order given; `check` (may be empty) sees each bag
// with its archive.
int VerifyArchives(const Archives& archives, const Output& output, const platform::StopSignal& stop,
                   const ArchiveBagCheck& check)
{
    int exitCode = kExitOk;
    for (const auto& archive : archives) {
        const std::vector<FoundFolder> found = archive->FindBags();
        if (found.empty()) {
            custody::BagVerdict none;
            none.why = "no bag (no bagit.txt)";
            ReportBag(output, archive->Name(), none);
            exitCode = kExitFailed;
        }
        BagVerdictCheck bagCheck;
        if (check) {
            bagCheck = [&](const std::string& bag, custody::BagVerdict& verdict) { check(*archive, bag, verdict); };
        }
        for (const FoundFolder& folder : found) {
            const Checked checked = CheckFound(*archive, output, folder, stop, bagCheck);
            if (checked == Checked::Stopped) {
                output.Error("stopped (Ctrl+C) before every bag was checked");
                return kExitFailed;
            }
            if (checked == Checked::NotValid) {
                exitCode = kExitFailed;
            }
        }
    }
    return exitCode;
}

}  // namespace

int RunArchiveVerify(platform::Host& host, platform::StopSignal& stop, const Archives& archives,
                     const std::string& auditTrail, const Output& output)
{
    platform::CatchInterrupt(stop);
    if (auditTrail.empty()) {
        return VerifyArchives(archives, output, stop, nullptr);
    }
    OffloadRecords records;
    std::string why;
    const TrailRead trail = ReadOffloadRecords(host, stop, auditTrail, records, why);
    if (trail != TrailRead::Ok) {
        output.Error(why + (trail == TrailRead::Broken ? ": the audit trail is broken; no bag was checked" : ""));
        return trail == TrailRead::Broken ? kExitFailed : kExitUsage;
    }
    return VerifyArchives(archives, output, stop,
                          [&](const station::Archive& archive, const std::string& bag, custody::BagVerdict& verdict) {
                              if (verdict.valid) {
                                  verdict.why = TieToAuditTrail(archive.Files(), bag, records).problem;
                                  verdict.valid = verdict.why.empty();
                              }
                          });
}

int RunArchiveVerify(custody::FileSystem& fs, const std::vector<std::string>& paths, const Output& output,
                     const platform::StopSignal& stop, const BagVerdictCheck& check)
{
    int exitCode = kExitOk;
    Archives archives;
    for (const std::string& path : paths) {
        if (!fs.Exists(path)) {
            output.Error(path + " does not exist");
            exitCode = kExitUsage;
        }
        archives.push_back(std::make_shared<station::FolderArchive>(fs, path));
    }
    if (exitCode != kExitOk) {
        return exitCode;
    }
    ArchiveBagCheck anyArchive;
    if (check) {
        anyArchive = [&check](const station::Archive&, const std::string& bag, custody::BagVerdict& verdict) {
            check(bag, verdict);
        };
    }
    return VerifyArchives(archives, output, stop, anyArchive);
}
