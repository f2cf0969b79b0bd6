// The vendor commands Telvix sends through NvUSB and the camera answers: each
// command's number, the directions it travels and its payload length. The
// library, the simulated camera and the tests all take them from here.
#pragma once

#include <cstdint>

#include "telvix/Telvix.h"

enum VendorCommand : std::int32_t {
    kCmdPassword = 0,        // send: password bytes, no terminator
    kCmdLoginVerdict = 1,    // receive: int32 verdict, kLoginAccepted = accepted
    kCmdAccountType = 2,     // send: int32 account type (0 admin, 1 user)
    kCmdIdentity = 3,        // receive / send: the 94-byte IdentityRecord
    kCmdClock = 4,           // send: kClockFieldCount x int32 broken-down local time
    kCmdStorageMode = 5,     // send: int32 1
    kCmdResolution = 6,      // receive: int32 width, int32 height
    kCmdBattery = 7,         // receive: int32 percent
    kCmdUserPassword = 8,    // send: new user password bytes
    kCmdAdminPassword = 9,   // send: new administrator password bytes
    kCmdFormat = 10,         // send int32 1, then receive int32 verdict
    kCmdSetSerial = 11,      // send: kSerialNoLength bytes
    kCmdReadSerial = 12      // receive: kSerialNoLength bytes
};
constexpr int kVendorCommandCount = 13;

constexpr std::int32_t kLoginAccepted = 3;
constexpr std::int32_t kFormatDone = 0;

// seconds, minutes, hours, day of month, month, years since 1900, day of
// week, day of year, daylight-saving flag
constexpr int kClockFieldCount = 9;
constexpr int kClockPayloadLength = kClockFieldCount * 4;

// The payload length of a text command: the text's bytes, without terminator.
constexpr int kTextPayload = -1;

struct CommandShape {
    bool sends;
    bool receives;
    int length;  // bytes each way, or kTextPayload
};

constexpr CommandShape kCommandShapes[kVendorCommandCount] = {
    {true, false, kTextPayload},         // kCmdPassword
    {false, true, 4},                    // kCmdLoginVerdict
    {true, false, 4},                    // kCmdAccountType
    {true, true, kIdentityRecordSize},   // kCmdIdentity
    {true, false, kClockPayloadLength},  // kCmdClock
    {true, false, 4},                    // kCmdStorageMode
    {false, true, 8},                    // kCmdResolution
    {false, true, 4},                    // kCmdBattery
    {true, false, kTextPayload},         // kCmdUserPassword
    {true, false, kTextPayload},         // kCmdAdminPassword
    {true, true, 4},                     // kCmdFormat
    {true, false, kSerialNoLength},      // kCmdSetSerial
    {false, true, kSerialNoLength},      // kCmdReadSerial
};

constexpr int PayloadLength(VendorCommand command) { return kCommandShapes[command].length; }
