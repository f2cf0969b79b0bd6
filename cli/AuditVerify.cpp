#include "cli/AuditVerify.h"

#include "cli/AuditTrail.h"
#include "cli/ExitCodes.h"

bool CheckChain(platform::SharedFile& file, ChainReport& report, const std::function<void(std::string_view)>& alongside)
{
    std::uint64_t size = 0;
    if (!file.Size(size)) {
        return false;
    }
    constexpr std::uint32_t kPiece = 64 * 1024;
    ChainChecker checker;
    std::string piece;
    for (std::uint64_t at = 0; at < size; at += piece.size()) {
        if (!file.ReadAt(at, kPiece, piece) || piece.empty()) {
            return false;
        }
        checker.Feed(piece);
        if (alongside) {
            alongside(piece);
        }
    }
    report = checker.Finish();
    return true;
}

bool CheckAuditFile(const std::string& path, ChainReport& report, std::string& problem,
                    const std::function<void(std::string_view)>& alongside)
{
    const std::unique_ptr<platform::SharedFile> file = platform::OpenSharedFile(path, platform::FileAccess::Read);
    if (!file) {
        return false;
    }
    const platform::FileLock lock(*file);
    if (!lock.Held()) {
        problem = LockProblem(lock.Result());
        return false;
    }
    return CheckChain(*file, report, alongside);
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
