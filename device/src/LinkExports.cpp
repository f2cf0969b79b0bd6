// The link exports: connect to the first camera, and back to one met before.
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

int TELVIX_CALL GetDeviceLink(void) { return telvix::CurrentLink(); }

int TELVIX_CALL UseDeviceLink(int link) {
    return telvix::Guarded("UseDeviceLink", nullptr, 0, [link] {
        const bool ok = telvix::UseLink(link);
        telvix::TraceOutcome("UseDeviceLink", ok);
        return ok ? 1 : 0;
    });
}

}  // extern "C"
