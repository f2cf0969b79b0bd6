#include "cli/AuditVerify.h"

#include "audit/AuditFile.h"
#include "cli/ExitCodes.h"
#include "cli/Output.h"

int RunAuditVerify(platform::Host& host, const platform::StopSignal& stop, const Output& output,
                   const std::string& path)
{
    const std::string file = path.empty() ? host.DefaultAuditPath() : path;
    if (file.empty()) {
        output.Error("no default audit file is known here: give FILE");
        return kExitUsage;
    }
    ChainReport report;
    std::string problem;
    if (!CheckAuditFile(host, stop, file, report, problem)) {
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
