#include "VendorCommands.h"

namespace nvusb_sim {

namespace {

struct CommandShape {
    bool sends;
    bool receives;
    int length;  // -1: any length from 0 to kMaxPasswordLength
};

constexpr int kTextLength = -1;

constexpr CommandShape kShapes[kCommandCount] = {
    {true, false, kTextLength},         // 0 password of a sign-in
    {false, true, 4},                   // 1 sign-in verdict
    {true, false, 4},                   // 2 account type
    {true, true, kIdentitySize},        // 3 identity record
    {true, false, 4 * kClockFieldCount},// 4 clock
    {true, false, 4},                   // 5 storage mode
    {false, true, 8},                   // 6 resolution
    {false, true, 4},                   // 7 battery
    {true, false, kTextLength},         // 8 user password
    {true, false, kTextLength},         // 9 administrator password
    {true, true, 4},                    // 10 format, then its verdict
    {true, false, kSerialNumberSize},   // 11 set serial number
    {false, true, kSerialNumberSize},   // 12 read serial number
};

}  // namespace

bool isValidTransfer(int command, Direction direction, int length) {
    if (command < 0 || command >= kCommandCount || length < 0) return false;
    const CommandShape& shape = kShapes[command];
    const bool directionAllowed = direction == Direction::Send ? shape.sends : shape.receives;
    if (!directionAllowed) return false;
    if (shape.length == kTextLength) return length <= kMaxPasswordLength;
    return length == shape.length;
}

}  // namespace nvusb_sim
