#include "Checks.h"

#include <atomic>
#include <cstdio>

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
    }
};

[[maybe_unused]] ::testing::Environment* const g_checkCount = ::testing::AddGlobalTestEnvironment(new CheckCount);

} // namespace

void CountCheck()
{
    ++g_checks;
}

} // namespace e2e
