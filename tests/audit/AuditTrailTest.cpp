// The audit trail on the local host, as the dock writes it: the copies of
// several cameras end on threads of their own, each recording its outcome
// line into the one trail.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "audit/AuditFile.h"
#include "audit/AuditTrail.h"
#include "platform/LocalHost.h"
#include "tests/custody/TempFolder.h"

namespace {

TEST(AuditTrail, KeepsItsChainWholeWhenThreadsRecordAtOnce)
{
    constexpr int kThreads = 4;
    constexpr int kLinesEach = 50;
    TempFolder folder;
    const std::string path = folder.Path() + "/audit.jsonl";
    platform::LocalHost host;
    platform::StopSignal stop;
    AuditTrail trail;
    ASSERT_TRUE(trail.Open(host, stop, path, "audit-test")) << trail.Problem();

    std::vector<std::thread> threads;
    std::vector<int> failures(kThreads, 0);
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&trail, &failures, t] {
            for (int line = 0; line < kLinesEach; ++line) {
                failures[t] += trail.Record("SN-" + std::to_string(t), "offload", "ok") ? 0 : 1;
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }

    EXPECT_EQ(failures, std::vector<int>(kThreads, 0));
    ChainReport report;
    std::string problem;
    ASSERT_TRUE(CheckAuditFile(host, stop, path, report, problem)) << problem;
    EXPECT_TRUE(report.whole) << "line " << report.brokenAt << ": " << report.why;
    EXPECT_EQ(report.lines, std::uint64_t{kThreads * kLinesEach});
}

}  // namespace
