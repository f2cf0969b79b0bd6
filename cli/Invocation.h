// What every command works with: the global options, the output, the
// password sources, and the station's run context (audit trail, account,
// password); and the steps every command takes with them, printed and as
// exit codes.
#pragma once

#include <string>

#include <nlohmann/json.hpp>

#include "cli/Output.h"
#include "cli/PasswordSources.h"
#include "station/RunContext.h"

struct GlobalOptions {
    bool json = false;
    bool verbose = false;
    bool user = false;
    bool noAudit = false;
    std::string passwordFile;
    std::string auditPath;
};

struct Invocation {
    Invocation(platform::Host& host, const GlobalOptions& options, PasswordVariables& variables);

    platform::Host& host;
    const GlobalOptions& options;
    Output output;
    PasswordVariables& variables;
    platform::StopSignal stop;  // Ctrl+C, once CatchInterrupt is called
    station::RunContext run;
};

// Connects; reports when there is no camera or it refused. Returns an
// ExitCode.
int ConnectCamera(const Invocation& invocation);
// Connects and signs in; reports what went wrong. Returns an ExitCode.
int OpenCamera(Invocation& invocation);

// The audit lines around a change of the camera (station/AuditedChange.h).
// BeginChange returns kExitOk, or kExitAuditFailed when the line could not
// be written (then nothing was changed, and the caller must stop).
// EndChange returns `exitCode`, or kExitAuditFailed when the line could not
// be written. Either says what failed.
int BeginChange(const Invocation& invocation, const std::string& serial, const std::string& action,
                const nlohmann::ordered_json& details = nlohmann::ordered_json::object());
int EndChange(const Invocation& invocation, const std::string& serial, const std::string& action,
              const std::string& outcome, const nlohmann::ordered_json& details, int exitCode);
