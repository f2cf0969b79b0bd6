#include "cli/AuditVerify.h"

#include "audit/AuditFile.h"
#include "cli/ExitCodes.h"

TrailRead ReadOffloadRecords(const std::string& path, OffloadRecords& records, std::string& why)
{
    records = OffloadRecords(path);
    ChainReport report;
    std::string problem;
    const auto take = [&records](std::uint64_t number, std::string_view line) { records.Take(number, line); };
    if (!CheckAuditFile(path, report, problem, take)) {
        why = "cannot read the audit file " + path + (problem.empty() ? "" : ": " + problem);
        return TrailRead::Unreadable;
    }
    if (!report.whole) {
        why = path + ":" + std::to_string(report.brokenAt) + ": " + report.why;
        return TrailRead::Broken;
    }
    return TrailRead::Ok;
}

int RunAuditVerify(const Output& output, const std::string& path)
{
    const std::string file = path.empty() ? platform::DefaultAuditPath() : path;
    if (file.empty()) {
        output.Error("no default audit file is known here: give FILE");
        return kExitUsage;
    }
    ChainReport report;
    std::string problem;
    if (!CheckAuditFile(file, report, problem)) {
        output.Error("cannot read the audit file " + file + (problem.empty() ? "" : ": " + problem));
        return kExitUsage;
    }
    if (!report.whole) {
        platform::WriteError(file + ":" + std::to_string(report.brokenAt) + ": " + report.why + "\n");
        return kExitFailed;
    }
    const std::string lines = std::to_string(report.lines) + (report.lines == 1 ? " line" : " lines");
    const std::string before = report.unchained == 0 ? ""
                                                     : " (the first " + std::to_string(report.unchained)
                                                           + " from before the chain, which counts them)";
    output.Result({{"file", file},
                   {"lines", report.lines},
                   {"unchained", report.unchained},
                   {"chain", "whole"},
                   {"last_hash", report.lastHash}},
                  file + ": " + lines + before + ", chain whole, last hash " + report.lastHash);
    return kExitOk;
}
