// What every command works with: the global options, the output, the audit
// trail and the sign-in password.
#pragma once

#include <string>

#include "cli/AuditTrail.h"
#include "cli/Camera.h"
#include "cli/Output.h"

struct GlobalOptions {
    bool json = false;
    bool verbose = false;
    bool user = false;
    bool noAudit = false;
    std::string passwordFile;
    std::string auditPath;
};

struct Session {
    explicit Session(const GlobalOptions& options) : options(options), output(options.json) {}

    Account account() const { return options.user ? Account::User : Account::Administrator; }

    const GlobalOptions& options;
    Output output;
    AuditTrail audit;
    std::string password;
};

// Connects; reports when there is no camera. Returns an ExitCode.
int ConnectCamera(const Session& session);
// Connects and signs in; reports what went wrong. Returns an ExitCode.
int OpenCamera(Session& session);
