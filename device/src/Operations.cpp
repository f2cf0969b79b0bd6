// The camera operations: each is one or two vendor transfers over the link.
#include <cstdint>
#include <cstring>

#include "DeviceLink.h"
#include "LocalTime.h"
#include "telvix/Telvix.h"
#include "telvix/VendorCommands.h"

using namespace telvix;

namespace {

// Traces the outcome, writes the status and gives the operation's result.
int Report(const char* name, bool ok, int* status) {
    TraceOutcome(name, ok);
    SetStatus(status, ok);
    return ok ? 1 : 0;
}

// A null text fails without a transfer: sending nothing in its place could
// blank a password on the camera.
bool SendText(VendorCommand command, const char* text) {
    return text && Send(command, text, static_cast<int>(std::strlen(text)));
}

// A value of the exact size the command carries, in the direction it travels.
template <VendorCommand Command, typename Value>
bool SendValue(const Value& value) {
    static_assert(kCommandShapes[Command].sends && sizeof(Value) == PayloadLength(Command), "command shape");
    return Send(Command, &value, sizeof value);
}

template <VendorCommand Command, typename Value>
bool ReceiveValue(Value& value) {
    static_assert(kCommandShapes[Command].receives && sizeof(Value) == PayloadLength(Command), "command shape");
    return Receive(Command, &value, sizeof value);
}

const std::int32_t kOne = 1;

int Login(int accountType, const char* password) {
    if (!password || !SendValue<kCmdAccountType>(static_cast<std::int32_t>(accountType))) {
        DebugPrint("client_login type  Failed!\r\n");
        return kLoginResultRefused;
    }
    DebugPrint("client_login type Successful\r\n");
    if (!SendText(kCmdPassword, password)) {
        DebugPrint("PSW_Check  Failed!\r\n");
        return kLoginResultRefused;
    }
    DebugPrint("PSW_Check  Successful\r\n");
    Pause(200);  // the camera checks the password before it is asked
    if (!ReceiveValue<kCmdLoginVerdict>(g_receiveBuffers.loginVerdict)) {
        DebugPrint("PSW_Check1 Failed!\r\n");
        return kLoginResultRefused;
    }
    DebugPrint("PSW_Check1 Successful\r\n");
    return g_receiveBuffers.loginVerdict == kLoginAccepted ? 1 : kLoginResultRefused;
}

// Status 1 means the camera answered; the result says whether it formatted.
int Format(int* status) {
    if (!SendValue<kCmdFormat>(kOne)) return Report("FormatDecTF", false, status);
    DebugPrint("FormatDecTF Successful\r\n");
    Pause(200);  // the camera formats before it is asked for the verdict
    if (!ReceiveValue<kCmdFormat>(g_receiveBuffers.formatVerdict)) return Report("FormatDecTF 1", false, status);
    DebugPrint("FormatDecTF 1 Successful\r\n");
    SetStatus(status, true);
    return g_receiveBuffers.formatVerdict == kFormatDone ? 1 : 0;
}

bool SendClock() {
    std::int32_t payload[kClockFieldCount];
    LocalTimePayload(CurrentEnvironment().now(), payload);
    return SendValue<kCmdClock>(payload);
}

bool ReadResolution(int* width, int* height) {
    if (!ReceiveValue<kCmdResolution>(g_receiveBuffers.resolution)) return false;
    if (width) *width = g_receiveBuffers.resolution[0];
    if (height) *height = g_receiveBuffers.resolution[1];
    return true;
}

bool ReadBattery(int* level) {
    if (!ReceiveValue<kCmdBattery>(g_receiveBuffers.batteryLevel)) return false;
    if (level) *level = g_receiveBuffers.batteryLevel;
    return true;
}

// An operation of one transfer: `transfer` says whether it went through.
template <typename Transfer>
int SingleTransfer(const char* name, int* status, Transfer transfer) {
    return Guarded(name, status, 0, [&] { return Report(name, transfer(), status); });
}

}  // namespace

extern "C" {

int TELVIX_CALL client_login(int accountType, const char* password) {
    return Guarded("client_login type ", nullptr, kLoginResultRefused, [&] { return Login(accountType, password); });
}

int TELVIX_CALL GetVUZInfo(void* record, const char*, int* status) {
    return SingleTransfer("GetVUZInfo", status,
                          [&] { return record && Receive(kCmdIdentity, record, PayloadLength(kCmdIdentity)); });
}

int TELVIX_CALL WriteVUZInfo(const void* record, const char*, int* status) {
    return SingleTransfer("WriteVUZInfo", status,
                          [&] { return record && Send(kCmdIdentity, record, PayloadLength(kCmdIdentity)); });
}

int TELVIX_CALL SyncDevTime(const char*, int* status) { return SingleTransfer("SyncDevTime", status, SendClock); }

int TELVIX_CALL SetMSDC(const char*, int* status) {
    return SingleTransfer("SetMSDC", status, [] { return SendValue<kCmdStorageMode>(kOne); });
}

int TELVIX_CALL ReadDeviceResolution(int* width, int* height, const char*, int* status) {
    return SingleTransfer("ReadDeviceResolution", status, [&] { return ReadResolution(width, height); });
}

int TELVIX_CALL ReadDeviceBatteryDumpEnergy(int* level, const char*, int* status) {
    return SingleTransfer("ReadDeviceBatteryDumpEnergy", status, [&] { return ReadBattery(level); });
}

int TELVIX_CALL SetUserPassWord(const char* password, const char*, int* status) {
    return SingleTransfer("SetUserPassWord", status, [&] { return SendText(kCmdUserPassword, password); });
}

int TELVIX_CALL SetAdminPassWord(const char* password, const char*, int* status) {
    return SingleTransfer("SetAdminPassWord", status, [&] { return SendText(kCmdAdminPassword, password); });
}

int TELVIX_CALL FormatDecTF(const char*, int* status) {
    return Guarded("FormatDecTF", status, 0, [&] { return Format(status); });
}

int TELVIX_CALL SetCameraSerialNo(const void* serial, const char*, int* status) {
    return SingleTransfer("SetCameraSerialNo", status,
                          [&] { return serial && Send(kCmdSetSerial, serial, PayloadLength(kCmdSetSerial)); });
}

int TELVIX_CALL ReadCameraSerialNo(void* serial, const char*, int* status) {
    return SingleTransfer("ReadCameraSerialNo", status,
                          [&] { return serial && Receive(kCmdReadSerial, serial, PayloadLength(kCmdReadSerial)); });
}

}  // extern "C"
