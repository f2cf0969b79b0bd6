// The library with no usable vendor library on the search path: the run
// folder holds none, or one that lacks an entry.
#include <gtest/gtest.h>

#include "telvix/Telvix.h"

TEST(VendorLibraryUnusable, InitFailsAndOperationsCallNothing) {
    int status = 77;
    EXPECT_EQ(0, Init_Device(nullptr, &status));
    EXPECT_EQ(77, status);
    EXPECT_EQ(kLoginResultRefused, client_login(0, "888888"));
    int level = 5;
    status = 0;
    EXPECT_EQ(0, ReadDeviceBatteryDumpEnergy(&level, "888888", &status));
    EXPECT_EQ(kStatusFailure, status);
    EXPECT_EQ(5, level);
    EXPECT_EQ(1, GetIDCode());
}
