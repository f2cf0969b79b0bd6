// Public interface of the device access library Telvix.
//
// Every function is a flat C export with the C calling convention. Results
// are 32-bit integers: 1 success, 0 failure (client_login: 1 accepted,
// 4 otherwise). Where a function takes `int* status`, a ResultStatus is
// written through it. The caller owns every buffer.
#pragma once

#include <stdint.h>

#ifdef _WIN32
#define TELVIX_CALL __cdecl
#else
#define TELVIX_CALL
#endif

#if defined(TELVIX_BUILDING) && !defined(_WIN32)
#define TELVIX_API __attribute__((visibility("default")))
#else
#define TELVIX_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

// Written through the status argument of a call.
enum ResultStatus { kStatusSuccess = 1, kStatusFailure = 2 };

// client_login's result for anything but an accepted sign-in.
enum { kLoginResultRefused = 4 };
// The camera serial number of SetCameraSerialNo and ReadCameraSerialNo.
enum { kSerialNoLength = 21 };

// The 94-byte identity record: five zero-terminated text fields end to end,
// no header, no padding. Shared with the application.
enum IdentityRecordLayout {
    kIdentityRecordSize = 94,
    kCameraIdOffset = 0,        kCameraIdLength = 8,         // single-byte
    kUserIdOffset = 8,          kUserIdLength = 7,           // single-byte
    kUserNameOffset = 15,       kUserNameLength = 33,        // UTF-8
    kDepartmentIdOffset = 48,   kDepartmentIdLength = 13,    // single-byte
    kDepartmentNameOffset = 61, kDepartmentNameLength = 33   // UTF-8
};

typedef struct IdentityRecord {
    unsigned char bytes[kIdentityRecordSize];
} IdentityRecord;

#ifdef __cplusplus
static_assert(sizeof(IdentityRecord) == kIdentityRecordSize, "the record crosses the boundary as raw bytes");
static_assert(kUserIdOffset == kCameraIdOffset + kCameraIdLength && kUserNameOffset == kUserIdOffset + kUserIdLength &&
                  kDepartmentIdOffset == kUserNameOffset + kUserNameLength &&
                  kDepartmentNameOffset == kDepartmentIdOffset + kDepartmentIdLength &&
                  kIdentityRecordSize == kDepartmentNameOffset + kDepartmentNameLength,
              "the five fields lie end to end and fill the record");
static_assert(sizeof(int) == 4, "every argument and result of the exports is 32 bits");
#endif

// Link to the camera.
TELVIX_API int TELVIX_CALL Init_Device(void* ignored, int* status);
TELVIX_API void TELVIX_CALL UnInit_Device(void* ignored);
TELVIX_API int TELVIX_CALL GetIDCode(void);

// Back to a camera met before. A dock signs in one camera after another
// while earlier ones copy their cards in storage mode, where Init_Device no
// longer finds them; to format such a card it goes back to that camera's
// link. A handle stays valid for the life of the process.
// The handle of the current link, once a connect made it; 0 otherwise.
TELVIX_API int TELVIX_CALL GetDeviceLink(void);
// Makes `link`, a handle an earlier Init_Device of this process connected,
// the current link again (no new Init_Device): 1 then, else 0 and the link
// unchanged.
TELVIX_API int TELVIX_CALL UseDeviceLink(int link);

// Camera operations. `credential` is the signed-in password; it is not used.
TELVIX_API int TELVIX_CALL client_login(int accountType, const char* password);
TELVIX_API int TELVIX_CALL GetVUZInfo(void* record, const char* credential, int* status);
TELVIX_API int TELVIX_CALL WriteVUZInfo(const void* record, const char* credential, int* status);
TELVIX_API int TELVIX_CALL SyncDevTime(const char* credential, int* status);
TELVIX_API int TELVIX_CALL SetMSDC(const char* credential, int* status);
TELVIX_API int TELVIX_CALL ReadDeviceResolution(int* width, int* height, const char* credential, int* status);
TELVIX_API int TELVIX_CALL ReadDeviceBatteryDumpEnergy(int* level, const char* credential, int* status);
TELVIX_API int TELVIX_CALL SetUserPassWord(const char* password, const char* credential, int* status);
TELVIX_API int TELVIX_CALL SetAdminPassWord(const char* password, const char* credential, int* status);
TELVIX_API int TELVIX_CALL FormatDecTF(const char* credential, int* status);
TELVIX_API int TELVIX_CALL SetCameraSerialNo(const void* serial, const char* ignored, int* status);
TELVIX_API int TELVIX_CALL ReadCameraSerialNo(void* serial, const char* ignored, int* status);

// WiFi / 4G settings: accepted without contacting the camera.
TELVIX_API int TELVIX_CALL ReadWifiMode(int* mode, const char* credential, int* status);
TELVIX_API int TELVIX_CALL ReadWifiSSID(char* buffer, const char* credential, int* status);
TELVIX_API int TELVIX_CALL ReadWifiPSW(char* buffer, const char* credential, int* status);
TELVIX_API int TELVIX_CALL ReadServerIP(char* buffer, const char* credential, int* status);
TELVIX_API int TELVIX_CALL Read4GAPN(char* buffer, const char* credential, int* status);
TELVIX_API int TELVIX_CALL Read4GPIN(char* buffer, const char* credential, int* status);
TELVIX_API int TELVIX_CALL ReadServerPort(char* buffer, const char* credential, int* status);
TELVIX_API int TELVIX_CALL ReadSDCapacity(char* buffer, const char* credential, int* status);
TELVIX_API int TELVIX_CALL SetWifiMode(int mode, const char* credential, int* status);
TELVIX_API int TELVIX_CALL SetWifiSSID(const char* value, const char* credential, int* status);
TELVIX_API int TELVIX_CALL SetWifiPSW(const char* value, const char* credential, int* status);
TELVIX_API int TELVIX_CALL SetServerIP(const char* value, const char* credential, int* status);
TELVIX_API int TELVIX_CALL Set4GAPN(const char* value, const char* credential, int* status);
TELVIX_API int TELVIX_CALL Set4GPIN(const char* value, const char* credential, int* status);
TELVIX_API int TELVIX_CALL SetServerPort(const char* value, const char* credential, int* status);

#ifdef __cplusplus
}
#endif
