// What every command works with: the global options, the output, the audit
// trail and the sign-in password; and the steps every command takes with
// them.
#pragma once

#include <string>

#include <nlohmann/json.hpp>

#include "audit/AuditTrail.h"
#include "cli/Camera.h"
#include "cli/Output.h"
#include "cli/Secrets.h"

struct GlobalOptions {
    bool json = false;
    bool verbose = false;
    bool user = false;
    bool noAudit = false;
    std::string passwordFile;
    std::string auditPath;
};

struct Session {
    Session(const GlobalOptions& options, PasswordVariables& variables)
        : options(options), output(options.json), variables(variables)
    {
    }

    Account account() const { return options.user ? Account::User : Account::Administrator; }

    const GlobalOptions& options;
    Output output;
    AuditTrail audit;
    std::string auditPath;  // the file the audit trail appends to; empty without one
    PasswordVariables& variables;
    Secret password;  // the sign-in password, as the camera takes it
};

// Connects; reports when there is no camera or it refused. Returns an
// ExitCode.
int ConnectCamera(const Session& session);
// Connects and signs in; reports what went wrong. Returns an ExitCode.
int OpenCamera(Session& session);

// The audit lines around a change of the camera. BeginChange writes the
// line that the change starts (with "before" where it is known) and must
// come before anything is sent that changes the camera: kExitOk, or
// kExitAuditFailed when the line could not be written (then nothing was
// changed, and the caller must stop). EndChange writes the outcome line
// and returns `exitCode`, or kExitAuditFailed when the line could not be
// written.
int BeginChange(const Session& session, const std::string& serial, const std::string& action,
                const nlohmann::ordered_json& details = nlohmann::ordered_json::object());
int EndChange(const Session& session, const std::string& serial, const std::string& action,
              const std::string& outcome, const nlohmann::ordered_json& details, int exitCode);
