#include "cli/ArchiveVerify.h"

#include "station/BagAudit.h"
#include "cli/ExitCodes.h"
#include "cli/Console.h"
#include "custody/VerifiedJournal.h"
#include "station/HashThreads.h"

namespace {

using custody::FoundFolder;

const char* State(const custody::BagVerdict& verdict)
{
    return verdict.stopped ? "stopped" : verdict.valid ? "valid" : "invalid";
}

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
void ReportUnfinished(const custody::FileSystem& fs, const Output& output, const std::string& path)
{
    nlohmann::ordered_json object = {{"path", path}, {"state", "unfinished"}, {"valid", false}};
    std::vector<custody::PayloadFile> verified;
    std::string why;
    std::string line = path + ": unfinished: ";
    if (custody::ReadVerifiedJournal(fs, path, verified, why)) {
        object["verified_files"] = verified.size();
        line += std::to_string(verified.size()) + " verified files";
    } else {
        object["error"] = why;
        line += "its journal cannot be read (" + why + ")";
    }
    output.Result(object, line + "; offload the camera again to finish it");
}

void ReportUnlisted(const Output& output, const FoundFolder& folder)
{
    output.Result({{"path", folder.path}, {"state", "unlisted"}, {"valid", false}, {"error", folder.why}},
                  folder.path + ": not searched: " + folder.why + "; bags in it were not checked");
}

enum class Checked { Valid, NotValid, Stopped };

// Anything but a valid bag is not valid. Ctrl+C stops the bag's hashing
// within a block on each thread.
Checked CheckFound(const custody::FileSystem& fs, const Output& output, const FoundFolder& folder,
                   const platform::StopSignal& stop, const BagVerdictCheck& check)
{
    switch (folder.kind) {
    case FoundFolder::Kind::Bag: break;
    case FoundFolder::Kind::Unfinished: ReportUnfinished(fs, output, folder.path); return Checked::NotValid;
    case FoundFolder::Kind::Unlisted: ReportUnlisted(output, folder); return Checked::NotValid;
    }
    custody::BagCheckRequest request;
    request.threads = HashThreads();
    request.stop = [&stop] { return stop.Requested(); };
    custody::BagVerdict verdict = custody::VerifyBag(fs, folder.path, request);
    if (check && !verdict.stopped) {
        check(folder.path, verdict);
    }
    ReportBag(output, folder.path, verdict);
    return verdict.stopped ? Checked::Stopped : verdict.valid ? Checked::Valid : Checked::NotValid;
}

}  // namespace

int RunArchiveVerify(platform::Host& host, platform::StopSignal& stop, const std::vector<std::string>& paths,
                     const std::string& auditTrail, const Output& output)
{
    platform::CatchInterrupt(stop);
    const custody::FileSystem& fs = host.Files();
    if (auditTrail.empty()) {
        return RunArchiveVerify(fs, paths, output, stop);
    }
    OffloadRecords records;
    std::string why;
    const TrailRead trail = ReadOffloadRecords(host, stop, auditTrail, records, why);
    if (trail != TrailRead::Ok) {
        output.Error(why + (trail == TrailRead::Broken ? ": the audit trail is broken; no bag was checked" : ""));
        return trail == TrailRead::Broken ? kExitFailed : kExitUsage;
    }
    return RunArchiveVerify(fs, paths, output, stop, [&](const std::string& bag, custody::BagVerdict& verdict) {
        if (verdict.valid) {
            verdict.why = TieToAuditTrail(fs, bag, records).problem;
            verdict.valid = verdict.why.empty();
        }
    });
}

int RunArchiveVerify(const custody::FileSystem& fs, const std::vector<std::string>& paths, const Output& output,
                     const platform::StopSignal& stop, const BagVerdictCheck& check)
{
    int exitCode = kExitOk;
    for (const std::string& path : paths) {
        if (!fs.Exists(path)) {
            output.Error(path + " does not exist");
            exitCode = kExitUsage;
        }
    }
    if (exitCode != kExitOk) {
        return exitCode;
    }
    for (const std::string& path : paths) {
        const std::vector<FoundFolder> found = custody::FindBags(fs, path);
        if (found.empty()) {
            custody::BagVerdict none;
            none.why = "no bag (no bagit.txt)";
            ReportBag(output, path, none);
            exitCode = kExitFailed;
        }
        for (const FoundFolder& folder : found) {
            const Checked checked = CheckFound(fs, output, folder, stop, check);
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
