// The vendor command numbering as the camera sees it: which direction each
// command may travel and how many payload bytes it carries.
#pragma once

#include <cstdint>

namespace nvusb_sim {

enum class Direction { Send, Receive };

enum VendorCommand : int32_t {
    kPassword = 0,
    kSignInVerdict = 1,
    kAccountType = 2,
    kIdentity = 3,
    kClock = 4,
    kStorageMode = 5,
    kResolution = 6,
    kBattery = 7,
    kUserPassword = 8,
    kAdminPassword = 9,
    kFormat = 10,
    kSetSerialNumber = 11,
    kGetSerialNumber = 12,
};

constexpr int kCommandCount = 13;
constexpr int kIdentitySize = 94;
constexpr int kSerialNumberSize = 21;
constexpr int kClockFieldCount = 9;
// Passwords are six characters; the camera takes anything up to this length.
constexpr int kMaxPasswordLength = 64;

// True when `command` may travel in `direction` with `length` payload bytes.
bool isValidTransfer(int command, Direction direction, int length);

}  // namespace nvusb_sim
