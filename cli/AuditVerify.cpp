#include "cli/AuditVerify.h"

#include <vector>

#include <nlohmann/json.hpp>

#include "audit/AuditFile.h"
#include "cli/ExitCodes.h"
#include "cli/Output.h"

namespace {

// The computer that wrote the file's last line, whose anchors stand for it;
// this one when no line names one.
std::string ComputerOf(platform::Host& host, const std::vector<std::string>& lines)
{
    if (!lines.empty()) {
        const auto last = nlohmann::json::parse(lines.back(), nullptr, false);
        if (last.is_object() && last.contains("computer") && last["computer"].is_string()) {
            return last["computer"].get<std::string>();
        }
    }
    return host.ComputerName();
}

}  // namespace

int RunAuditVerify(platform::Host& host, const platform::StopSignal& stop, const Output& output,
                   const std::string& path, const station::Archive* anchors)
{
    const std::string file = path.empty() ? host.DefaultAuditPath() : path;
    if (file.empty()) {
        output.Error("no default audit file is known here: give FILE");
        return kExitUsage;
    }
    ChainReport report;
    std::string problem;
    std::vector<std::string> lines;
    ChainChecker::LineReader reader;
    if (anchors) {
        reader = [&lines](std::uint64_t, std::string_view line) { lines.emplace_back(line); };
    }
    if (!CheckAuditFile(host, stop, file, report, problem, reader)) {
        output.Error("cannot read the audit file " + file + (problem.empty() ? "" : ": " + problem));
        return kExitUsage;
    }
    if (!report.whole) {
        platform::WriteError(file + ":" + std::to_string(report.brokenAt) + ": " + report.why + "\n");
        return kExitFailed;
    }
    const std::string lineCount = std::to_string(report.lines) + (report.lines == 1 ? " line" : " lines");
    const std::string before = report.unchained == 0 ? ""
                                                     : " (the first " + std::to_string(report.unchained)
                                                           + " from before the chain, which counts them)";
    nlohmann::ordered_json result = {{"file", file},
                                     {"lines", report.lines},
                                     {"unchained", report.unchained},
                                     {"chain", "whole"},
                                     {"last_hash", report.lastHash}};
    std::string text = file + ": " + lineCount + before + ", chain whole, last hash " + report.lastHash;
    if (anchors) {
        const station::AnchorVerdict verdict = anchors->CheckAnchors(ComputerOf(host, lines), lines);
        if (!verdict.ok) {
            platform::WriteError(file + ":" + std::to_string(verdict.firstBroken) + ": " + verdict.why + "\n");
            return kExitFailed;
        }
        result["anchors"] = verdict.anchors;
        text += "; " + std::to_string(verdict.anchors) + " anchored in " + anchors->Name() + " unchanged";
    }
    output.Result(result, text);
    return kExitOk;
}
