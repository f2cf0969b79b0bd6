// The link exports: connect to the first camera.
#include "DeviceLink.h"
#include "telvix/Telvix.h"

extern "C" {

int TELVIX_CALL Init_Device(void*, int* status) {
    return telvix::Guarded(nullptr, status, 0, [status] { return telvix::InitDevice(status); });
}

// The vendor library stays loaded and the handle valid, so a later
// Init_Device simply reconnects.
void TELVIX_CALL UnInit_Device(void*) {}

int TELVIX_CALL GetIDCode(void) { return 1; }

}  // extern "C"
