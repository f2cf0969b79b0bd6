#include "cli/Invocation.h"

#include "cli/ExitCodes.h"
#include "station/AgentNames.h"
#include "station/AuditedChange.h"
#include "station/SignIn.h"

Invocation::Invocation(platform::Host& host, const GlobalOptions& options, PasswordVariables& variables)
    : host(host), options(options), output(options.json), variables(variables), run(host, stop)
{
    run.account = options.user ? Account::User : Account::Administrator;
    run.agent = station::AgentOf(station::kCliProgram);
}

int ConnectCamera(const Invocation& invocation)
{
    std::string why;
    const station::Outcome connected = station::Connect(why);
    if (connected != station::Outcome::Ok) {
        invocation.output.Error(why);
    }
    return ExitCodeOf(connected);
}

int OpenCamera(Invocation& invocation)
{
    std::string why;
    const station::Outcome opened = station::OpenCamera(invocation.run, why);
    if (opened != station::Outcome::Ok) {
        invocation.output.Error(why);
    }
    return ExitCodeOf(opened);
}

int BeginChange(const Invocation& invocation, const std::string& serial, const std::string& action,
                const nlohmann::ordered_json& details)
{
    std::string error;
    if (station::BeginChange(invocation.run, serial, action, details, error)) {
        return kExitOk;
    }
    invocation.output.Error(error);
    return kExitAuditFailed;
}

int EndChange(const Invocation& invocation, const std::string& serial, const std::string& action,
              const std::string& outcome, const nlohmann::ordered_json& details, int exitCode)
{
    std::string error;
    if (station::EndChange(invocation.run, serial, action, outcome, details, exitCode == kExitOk, error)) {
        return exitCode;
    }
    invocation.output.Error(error);
    return kExitAuditFailed;
}
