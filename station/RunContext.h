// What one run of the station works with, whichever front end started it:
// the audit trail it records every change to, the account and password it
// signs in with, and the program it names in audit lines and bags.
#pragma once

#include <string>

#include "audit/AuditTrail.h"
#include "station/Camera.h"
#include "station/Secret.h"

namespace station {

struct RunContext {
    Account account = Account::Administrator;
    Secret password;    // as the camera takes it
    AuditTrail audit;   // not opened: nothing is recorded
    std::string agent;  // "orvanectl 1.0.0.1"
};

}  // namespace station
