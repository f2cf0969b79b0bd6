#include "cli/ArchiveVerify.h"

#include <algorithm>
#include <thread>

#include "cli/AuditVerify.h"
#include "cli/ExitCodes.h"
#include "custody/Bag.h"
#include "custody/FileSystem.h"

namespace {

void Report(const Output& output, const std::string& path, const custody::BagVerdict& verdict)
{
    nlohmann::ordered_json object = {{"path", path}, {"valid", verdict.valid}};
    std::string line = path + (verdict.valid ? ": valid" : ": invalid: " + verdict.why);
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

}  // namespace

unsigned HashThreads()
{
    return std::max(1u, std::thread::hardware_concurrency());
}

TrailRead ReadOffloadRecords(const std::string& path, OffloadRecords& records, std::string& why)
{
    records = OffloadRecords(path);
    ChainReport report;
    if (!CheckAuditFile(path, report, [&records](std::string_view piece) { records.Feed(piece); })) {
        why = "cannot read the audit file " + path;
        return TrailRead::Unreadable;
    }
    if (!report.whole) {
        why = path + ":" + std::to_string(report.brokenAt) + ": " + report.why;
        return TrailRead::Broken;
    }
    return TrailRead::Ok;
}

int RunArchiveVerify(const std::vector<std::string>& paths, const std::string& auditTrail, const Output& output)
{
    const custody::FileSystem& fs = custody::LocalFileSystem();
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
    OffloadRecords records;
    std::string why;
    const TrailRead trail = auditTrail.empty() ? TrailRead::Ok : ReadOffloadRecords(auditTrail, records, why);
    if (trail != TrailRead::Ok) {
        output.Error(why + (trail == TrailRead::Broken ? ": the audit trail is broken; no bag was checked" : ""));
        return trail == TrailRead::Broken ? kExitFailed : kExitUsage;
    }
    const unsigned threads = HashThreads();
    for (const std::string& path : paths) {
        const std::vector<std::string> bags = custody::FindBags(fs, path);
        if (bags.empty()) {
            custody::BagVerdict none;
            none.why = "no bag (no bagit.txt)";
            Report(output, path, none);
            exitCode = kExitFailed;
        }
        for (const std::string& bag : bags) {
            custody::BagVerdict verdict = custody::VerifyBag(fs, bag, threads);
            if (verdict.valid && !auditTrail.empty()) {
                verdict.why = TieToAuditTrail(fs, bag, records).problem;
                verdict.valid = verdict.why.empty();
            }
            Report(output, bag, verdict);
            if (!verdict.valid) {
                exitCode = kExitFailed;
            }
        }
    }
    return exitCode;
}
