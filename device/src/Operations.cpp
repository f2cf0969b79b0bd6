// The camera operations: each is one or two vendor transfers over the link.
#include <cstdint>
#include <cstring>
#include <ctime>
#include <string>

#include "DeviceLink.h"
#include "telvix/Telvix.h"

using namespace telvix;

namespace {

// Traces "<name> Successful" or "<name> Failed!", writes the status and
// gives the operation's result.
int Report(const char* name, bool ok, int* status) {
    std::string line = std::string(name) + (ok ? " Successful\r\n" : " Failed!\r\n");
    DebugPrint(line.c_str());
    SetStatus(status, ok);
    return ok ? 1 : 0;
}

int TextLength(const char* text) { return text ? static_cast<int>(std::strlen(text)) : 0; }

bool SendText(int command, const char* text) { return Send(command, text ? text : "", TextLength(text)); }

bool SendInteger(int command, std::int32_t value) { return Send(command, &value, sizeof value); }

// Broken-down local time as the camera takes it; all zero when the
// conversion fails.
void LocalTimePayload(std::int32_t payload[9]) {
    std::memset(payload, 0, kClockPayloadLength);
    std::time_t now = CurrentEnvironment().now();
    std::tm local{};
#ifdef _WIN32
    if (localtime_s(&local, &now) != 0) return;
#else
    if (!localtime_r(&now, &local)) return;
#endif
    const int fields[9] = {local.tm_sec,  local.tm_min,  local.tm_hour,
                           local.tm_mday, local.tm_mon,  local.tm_year,
                           local.tm_wday, local.tm_yday, local.tm_isdst};
    for (int i = 0; i < 9; ++i) payload[i] = fields[i];
}

}  // namespace

extern "C" {

int TELVIX_CALL client_login(int accountType, const char* password) {
    if (!SendInteger(kCmdAccountType, accountType)) {
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
    if (!Receive(kCmdLoginVerdict, &g_receiveBuffers.loginVerdict, 4)) {
        DebugPrint("PSW_Check1 Failed!\r\n");
        return kLoginResultRefused;
    }
    DebugPrint("PSW_Check1 Successful\r\n");
    return g_receiveBuffers.loginVerdict == kLoginAccepted ? 1 : kLoginResultRefused;
}

int TELVIX_CALL GetVUZInfo(void* record, const char*, int* status) {
    return Report("GetVUZInfo", record && Receive(kCmdIdentity, record, kIdentityRecordSize), status);
}

int TELVIX_CALL WriteVUZInfo(const void* record, const char*, int* status) {
    return Report("WriteVUZInfo", record && Send(kCmdIdentity, record, kIdentityRecordSize), status);
}

int TELVIX_CALL SyncDevTime(const char*, int* status) {
    std::int32_t payload[9];
    LocalTimePayload(payload);
    return Report("SyncDevTime", Send(kCmdClock, payload, kClockPayloadLength), status);
}

int TELVIX_CALL SetMSDC(const char*, int* status) {
    return Report("SetMSDC", SendInteger(kCmdStorageMode, 1), status);
}

int TELVIX_CALL ReadDeviceResolution(int* width, int* height, const char*, int* status) {
    bool ok = Receive(kCmdResolution, g_receiveBuffers.resolution, 8);
    if (ok) {
        if (width) *width = g_receiveBuffers.resolution[0];
        if (height) *height = g_receiveBuffers.resolution[1];
    }
    return Report("ReadDeviceResolution", ok, status);
}

int TELVIX_CALL ReadDeviceBatteryDumpEnergy(int* level, const char*, int* status) {
    bool ok = Receive(kCmdBattery, &g_receiveBuffers.batteryLevel, 4);
    if (ok && level) *level = g_receiveBuffers.batteryLevel;
    return Report("ReadDeviceBatteryDumpEnergy", ok, status);
}

int TELVIX_CALL SetUserPassWord(const char* password, const char*, int* status) {
    return Report("SetUserPassWord", SendText(kCmdUserPassword, password), status);
}

int TELVIX_CALL SetAdminPassWord(const char* password, const char*, int* status) {
    return Report("SetAdminPassWord", SendText(kCmdAdminPassword, password), status);
}

// Status 1 means the camera answered; the result says whether it formatted.
int TELVIX_CALL FormatDecTF(const char*, int* status) {
    if (!SendInteger(kCmdFormat, 1)) {
        DebugPrint("FormatDecTF Failed!\r\n");
        SetStatus(status, false);
        return 0;
    }
    DebugPrint("FormatDecTF Successful\r\n");
    Pause(200);  // the camera formats before it is asked for the verdict
    if (!Receive(kCmdFormat, &g_receiveBuffers.formatVerdict, 4)) {
        DebugPrint("FormatDecTF 1 Failed!\r\n");
        SetStatus(status, false);
        return 0;
    }
    DebugPrint("FormatDecTF 1 Successful\r\n");
    SetStatus(status, true);
    return g_receiveBuffers.formatVerdict == kFormatDone ? 1 : 0;
}

int TELVIX_CALL SetCameraSerialNo(const void* serial, const char*, int* status) {
    return Report("SetCameraSerialNo", serial && Send(kCmdSetSerial, serial, kSerialNoLength), status);
}

int TELVIX_CALL ReadCameraSerialNo(void* serial, const char*, int* status) {
    return Report("ReadCameraSerialNo", serial && Receive(kCmdReadSerial, serial, kSerialNoLength), status);
}

}  // extern "C"
