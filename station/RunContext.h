// What one run of the station works with, whichever front end started it:
// the host, the stop signal, the audit trail it records every change to,
// the account and password it signs in with, and the program it names in
// audit lines and bags.
#pragma once

#include <string>

#include "audit/AuditTrail.h"
#include "platform/Host.h"
#include "station/Archive.h"
#include "station/Camera.h"
#include "station/Secret.h"
#include "station/StopSignal.h"

namespace station {

struct RunContext {
    // Both must outlive the run.
    RunContext(platform::Host& host, const StopSignal& stop) : host(host), stop(stop) {}
    RunContext(const RunContext&) = delete;
    RunContext& operator=(const RunContext&) = delete;

    platform::Host& host;
    const StopSignal& stop;  // between blocks and in every wait
    Account account = Account::Administrator;
    Secret password;    // as the camera takes it
    AuditTrail audit;   // not opened: nothing is recorded
    std::string agent;  // "orvanectl 1.0.0.1"
    // Where each outcome line is also anchored; null: nowhere. Must
    // outlive the run.
    const Archive* anchors = nullptr;
};

}  // namespace station
