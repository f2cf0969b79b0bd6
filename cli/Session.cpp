#include "cli/Session.h"

#include "cli/ExitCodes.h"

int ConnectCamera(const Session& session)
{
    switch (camera::Connect()) {
    case Connection::NoVendorLibrary:
        session.output.Error("the camera's USB library (NvUSB) was not found");
        return kExitNoCamera;
    case Connection::NoCamera:
        session.output.Error("no camera found");
        return kExitNoCamera;
    case Connection::Refused:
        session.output.Error("the camera did not accept the connection");
        return kExitNoCamera;
    case Connection::Connected:
        break;
    }
    return kExitOk;
}

int OpenCamera(Session& session)
{
    const int connected = ConnectCamera(session);
    if (connected != kExitOk) {
        return connected;
    }
    if (!camera::SignIn(session.account(), session.password.text())) {
        session.output.Error("the camera refused the sign-in");
        return kExitSignInRefused;
    }
    return kExitOk;
}

namespace {

// What went wrong with the audit file, as the audit trail says it.
std::string AuditProblem(const Session& session)
{
    const std::string& why = session.audit.Problem();
    return "cannot write the audit file " + session.auditPath + (why.empty() ? "" : ": " + why);
}

}  // namespace

int BeginChange(const Session& session, const std::string& serial, const std::string& action,
                const nlohmann::ordered_json& details)
{
    if (session.audit.Record(serial, action, "started", details)) {
        return kExitOk;
    }
    session.output.Error(AuditProblem(session) + "; nothing was changed");
    return kExitAuditFailed;
}

int EndChange(const Session& session, const std::string& serial, const std::string& action,
              const std::string& outcome, const nlohmann::ordered_json& details, int exitCode)
{
    if (session.audit.Record(serial, action, outcome, details)) {
        return exitCode;
    }
    session.output.Error(std::string(exitCode == kExitOk ? "the change was made but not recorded"
                                                         : "the outcome was not recorded")
                         + ": " + AuditProblem(session));
    return kExitAuditFailed;
}
