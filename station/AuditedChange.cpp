#include "station/AuditedChange.h"

namespace station {
namespace {

// What went wrong with the audit file, as the audit trail says it.
std::string AuditProblem(const RunContext& run)
{
    const std::string why = run.audit.Problem();
    return "cannot write the audit file " + run.audit.Path() + (why.empty() ? "" : ": " + why);
}

}  // namespace

bool BeginChange(const RunContext& run, const std::string& serial, const std::string& action,
                 const nlohmann::ordered_json& details, std::string& error)
{
    if (run.audit.Record(serial, action, "started", details)) {
        return true;
    }
    error = AuditProblem(run) + "; nothing was changed";
    return false;
}

bool EndChange(const RunContext& run, const std::string& serial, const std::string& action,
               const std::string& outcome, const nlohmann::ordered_json& details, bool succeeded,
               std::string& error)
{
    const std::string lost = succeeded ? "the change was made but not recorded" : "the outcome was not recorded";
    WrittenLine written;
    if (!run.audit.Record(serial, action, outcome, details, &written)) {
        error = lost + ": " + AuditProblem(run);
        return false;
    }
    std::string why;
    if (run.anchors && written.seq != 0 && !run.anchors->Anchor(written.seq, written.text, why)) {
        error = lost + " where it cannot be rewritten: " + why;
        return false;
    }
    return true;
}

}  // namespace station
