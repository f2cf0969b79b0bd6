// Counted expectations: each one adds to the number of checks that the run
// reports at its end ("e2e: N checks"), whatever its outcome.
#pragma once

#include <gtest/gtest.h>

namespace e2e {
void CountCheck();
} // namespace e2e

// Like their EXPECT_ counterparts, and like them they take a streamed message.
#define CHECK_EQ(expected, actual) \
    if ((::e2e::CountCheck(), false)) { \
    } else \
        EXPECT_EQ(expected, actual)
#define CHECK_NE(a, b) \
    if ((::e2e::CountCheck(), false)) { \
    } else \
        EXPECT_NE(a, b)
#define CHECK_TRUE(condition) \
    if ((::e2e::CountCheck(), false)) { \
    } else \
        EXPECT_TRUE(condition)
#define CHECK_FALSE(condition) \
    if ((::e2e::CountCheck(), false)) { \
    } else \
        EXPECT_FALSE(condition)
