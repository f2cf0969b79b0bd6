// A run of the station on the fake host (tests/cli/FakeHost.h): its stop
// signal, which the fake's Ctrl+C requests, and its context, signed in
// with the fake camera's password and recording to kAudit in memory.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "platform/StopSignal.h"
#include "station/RunContext.h"
#include "tests/cli/FakeHost.h"

const std::string kAudit = "audit.jsonl";

struct FakeRun {
    FakeRun() : run(host, stop)
    {
        ResetFakeSystem();
        g_system.stop = &stop;
        run.password.text() = "888888";
        EXPECT_TRUE(run.audit.Open(host, stop, kAudit, "station-test")) << run.audit.Problem();
    }

    FakeHost host;
    platform::StopSignal stop;
    station::RunContext run;
};
