#include "CameraState.h"

#include <cstdio>
#include <cstring>

namespace nvusb_sim {

namespace {

// Copies the text with its terminating zero; every field is longer than its default.
void putText(uint8_t* field, const char* text) { std::memcpy(field, text, std::strlen(text) + 1); }

}  // namespace

IdentityBytes CameraState::defaultIdentity() {
    IdentityBytes identity{};
    putText(identity.data() + 0, "CAM0001");   // camera ID, 8 bytes
    putText(identity.data() + 8, "000001");    // user ID, 7 bytes
    putText(identity.data() + 48, "D01");      // department ID, 13 bytes
    return identity;
}

SerialNumberBytes CameraState::defaultSerialNumber() {
    SerialNumberBytes serial{};
    putText(serial.data(), "SIM00000000000000001");
    return serial;
}

std::string formatClock(const ClockFields& clock) {
    char text[96];
    (void)std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", clock[5] + 1900, clock[4] + 1, clock[3],
                  clock[2], clock[1], clock[0]);
    return text;
}

}  // namespace nvusb_sim
