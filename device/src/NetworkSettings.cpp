// WiFi and 4G settings. The camera takes none of them over this link yet:
// every call is accepted without a transfer and leaves its argument alone,
// so a null value or buffer is accepted too: nothing reads it. Nothing here
// can throw.
#include "DeviceLink.h"
#include "telvix/Telvix.h"

namespace {
int Accept(int* status) {
    telvix::SetStatus(status, true);
    return 1;
}
}  // namespace

extern "C" {

int TELVIX_CALL ReadWifiMode(int*, const char*, int* status) { return Accept(status); }
int TELVIX_CALL ReadWifiSSID(char*, const char*, int* status) { return Accept(status); }
int TELVIX_CALL ReadWifiPSW(char*, const char*, int* status) { return Accept(status); }
int TELVIX_CALL ReadServerIP(char*, const char*, int* status) { return Accept(status); }
int TELVIX_CALL Read4GAPN(char*, const char*, int* status) { return Accept(status); }
int TELVIX_CALL Read4GPIN(char*, const char*, int* status) { return Accept(status); }
int TELVIX_CALL ReadServerPort(char*, const char*, int* status) { return Accept(status); }
int TELVIX_CALL ReadSDCapacity(char*, const char*, int* status) { return Accept(status); }
int TELVIX_CALL SetWifiMode(int, const char*, int* status) { return Accept(status); }
int TELVIX_CALL SetWifiSSID(const char*, const char*, int* status) { return Accept(status); }
int TELVIX_CALL SetWifiPSW(const char*, const char*, int* status) { return Accept(status); }
int TELVIX_CALL SetServerIP(const char*, const char*, int* status) { return Accept(status); }
int TELVIX_CALL Set4GAPN(const char*, const char*, int* status) { return Accept(status); }
int TELVIX_CALL Set4GPIN(const char*, const char*, int* status) { return Accept(status); }
int TELVIX_CALL SetServerPort(const char*, const char*, int* status) { return Accept(status); }

}  // extern "C"
