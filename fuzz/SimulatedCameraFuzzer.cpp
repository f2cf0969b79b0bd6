// The simulated camera against arbitrary state files and transfers: the
// state-file reader must give defaults plus problems for anything it cannot
// read, and no transfer may touch bytes outside its buffer.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "SimulatedCamera.h"
#include "StateFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const uint8_t* split = static_cast<const uint8_t*>(std::memchr(data, 0, size));
    size_t textSize = split ? static_cast<size_t>(split - data) : size;
    std::string text(reinterpret_cast<const char*>(data), textSize);

    nvusb_sim::StateFileContents contents = nvusb_sim::parseStateText(text, "fuzz");
    // What is written must read back without problems.
    std::string written = nvusb_sim::formatStateText(contents.state);
    if (!nvusb_sim::parseStateText(written, "again").problems.empty()) __builtin_trap();

    nvusb_sim::SimulatedCamera camera(contents.state);
    const uint8_t* p = split ? split + 1 : data + size;
    const uint8_t* end = data + size;
    while (end - p >= 3) {
        int command = p[0] % 16;
        bool isSend = p[1] & 1;
        int length = p[2] % 128;
        p += 3;
        std::vector<uint8_t> buffer(static_cast<size_t>(length));
        size_t available = std::min<size_t>(static_cast<size_t>(end - p), buffer.size());
        if (available) std::memcpy(buffer.data(), p, available);
        p += available;
        if (isSend) {
            camera.send(nvusb_sim::kDeviceHandle, command, buffer.data(), length);
        } else {
            camera.receive(nvusb_sim::kDeviceHandle, command, buffer.data(), length);
        }
    }
    return 0;
}
