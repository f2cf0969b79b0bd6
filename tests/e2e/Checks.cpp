#include "Checks.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>

namespace e2e {

namespace {

std::atomic<int> g_checks{0};

// Reports the count once every test of the run has ended.
class CheckCount : public ::testing::Environment {
public:
    void TearDown() override
    {
        std::printf("e2e: %d checks\n", g_checks.load());
        std::fflush(stdout);
        // CTest runs each test as a process of its own: the counts of a
        // whole run are added up from this file (scripts/test).
        if (const char* tally = std::getenv("ORVANE_E2E_TALLY")) {
            if (FILE* file = std::fopen(tally, "a")) {
                std::fprintf(file, "%d\n", g_checks.load());
                std::fclose(file);
            }
        }
    }
};

[[maybe_unused]] ::testing::Environment* const g_checkCount = ::testing::AddGlobalTestEnvironment(new CheckCount);

} // namespace

void CountCheck()
{
    ++g_checks;
}

} // namespace e2e
