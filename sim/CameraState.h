// Everything the simulated camera remembers from one run to the next.
#pragma once

#include "CardRecordings.h"
#include "Faults.h"
#include "TransferShape.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace nvusb_sim {

using IdentityBytes = std::array<uint8_t, kIdentityRecordSize>;
using SerialNumberBytes = std::array<uint8_t, kSerialNoLength>;
using ClockFields = std::array<int32_t, kClockFieldCount>;

// Factory passwords of the two account types (0 administrator, 1 user).
constexpr const char* kDefaultAdminPassword = "888888";
constexpr const char* kDefaultUserPassword = "000000";
// The card's folder, beside the state file.
constexpr const char* kDefaultCardFolder = "card";

struct CameraState {
    bool present = true;
    std::string adminPassword = kDefaultAdminPassword;
    std::string userPassword = kDefaultUserPassword;
    IdentityBytes identity = defaultIdentity();
    SerialNumberBytes serialNumber = defaultSerialNumber();
    int32_t videoWidth = 1920;
    int32_t videoHeight = 1080;
    int32_t battery = 85;
    int32_t formatVerdict = 0;
    int formatCount = 0;
    int storageModeCount = 0;
    bool storageMode = false;  // kept by a camera of a dock only: a drive until unplugged
    std::optional<ClockFields> clock;  // unset until the clock is first set
    std::string card = kDefaultCardFolder;  // as written; relative to the state file's folder
    CardLayout cardLayout;                  // what a fresh card holds
    Faults faults;

    // Camera ID "CAM0001", user ID "000001", department ID "D01", names empty.
    static IdentityBytes defaultIdentity();
    // "SIM00000000000000001" and a zero byte.
    static SerialNumberBytes defaultSerialNumber();
};

// The clock as "YYYY-MM-DD hh:mm:ss" (month and year decoded from their
// zero-based and since-1900 forms), for a reader of the state file.
std::string formatClock(const ClockFields& clock);

}  // namespace nvusb_sim
