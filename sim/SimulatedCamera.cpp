#include "SimulatedCamera.h"

#include <cstring>

namespace nvusb_sim {

namespace {

int32_t readInt(const uint8_t* bytes) {
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = (value << 8) | bytes[i];
    return static_cast<int32_t>(value);
}

void writeInt(uint8_t* bytes, int32_t value) {
    const auto bits = static_cast<uint32_t>(value);
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<uint8_t>(bits >> (8 * i));
}

std::string bytesAsText(const uint8_t* buffer, int length) {
    return std::string(reinterpret_cast<const char*>(buffer), static_cast<size_t>(length));
}

}  // namespace

SimulatedCamera::SimulatedCamera(CameraState state) : state_(std::move(state)) {}

Faults SimulatedCamera::faults() const { return mergeFaults(state_.faults, extraFaults_); }

bool SimulatedCamera::isPresent() const { return state_.present && !faults().noCamera; }

bool SimulatedCamera::isVendorDevice() const { return isPresent() && !(docked_ && state_.storageMode); }

int SimulatedCamera::firstAvailableDevice() const { return isVendorDevice() ? kDeviceHandle : 0; }

bool SimulatedCamera::connect(int device) const {
    return device == kDeviceHandle && isVendorDevice() && !faults().connectRefused;
}

bool SimulatedCamera::transferAllowed(int device, int command) const {
    if (device != kDeviceHandle || !isPresent()) return false;
    const Faults active = faults();
    if (active.failingCommands.count(command) != 0) return false;
    return !(active.failAfter && transferCount_ > *active.failAfter);
}

bool SimulatedCamera::receive(int device, int command, uint8_t* buffer, int length) {
    ++transferCount_;
    if (buffer == nullptr || !isValidTransfer(command, Direction::Receive, length)) return false;
    if (!transferAllowed(device, command)) return false;
    answerReceive(command, buffer);
    return true;
}

bool SimulatedCamera::send(int device, int command, const uint8_t* buffer, int length) {
    ++transferCount_;
    if (buffer == nullptr || !isValidTransfer(command, Direction::Send, length)) return false;
    if (!transferAllowed(device, command)) return false;
    return applySend(command, buffer, length);
}

bool SimulatedCamera::takeStateChanged() {
    const bool changed = stateChanged_;
    stateChanged_ = false;
    return changed;
}

CardRequest SimulatedCamera::takeCardRequest() {
    const CardRequest request = cardRequest_;
    cardRequest_ = CardRequest::None;
    return request;
}

int32_t SimulatedCamera::formatVerdict() const { return faults().formatVerdict.value_or(state_.formatVerdict); }

int32_t SimulatedCamera::signInVerdict() const {
    if (const auto forced = faults().signInVerdict) return *forced;
    const std::string* expected = nullptr;
    if (signInAccount_ == 0) expected = &state_.adminPassword;
    if (signInAccount_ == 1) expected = &state_.userPassword;
    return expected != nullptr && *expected == signInPassword_ ? kLoginAccepted : kSignInRefused;
}

bool SimulatedCamera::applySend(int command, const uint8_t* buffer, int length) {
    switch (command) {
    case kCmdAccountType:
        signInAccount_ = readInt(buffer);
        signInPassword_.clear();
        return true;
    case kCmdPassword:
        signInPassword_ = bytesAsText(buffer, length);
        return true;
    case kCmdIdentity:
        std::memcpy(state_.identity.data(), buffer, state_.identity.size());
        break;
    case kCmdClock: {
        ClockFields clock{};
        for (int i = 0; i < kClockFieldCount; ++i) clock[i] = readInt(buffer + 4 * i);
        state_.clock = clock;
        break;
    }
    case kCmdStorageMode:
        if (readInt(buffer) != 1) return false;
        ++state_.storageModeCount;
        if (docked_) state_.storageMode = true;
        cardRequest_ = CardRequest::Present;
        break;
    case kCmdUserPassword:
        state_.userPassword = bytesAsText(buffer, length);
        break;
    case kCmdAdminPassword:
        state_.adminPassword = bytesAsText(buffer, length);
        break;
    case kCmdFormat:
        if (readInt(buffer) != 1) return false;
        ++state_.formatCount;
        if (formatVerdict() == 0) cardRequest_ = CardRequest::Erase;
        break;
    case kCmdSetSerial:
        std::memcpy(state_.serialNumber.data(), buffer, state_.serialNumber.size());
        break;
    default:
        return false;
    }
    stateChanged_ = true;
    return true;
}

void SimulatedCamera::answerReceive(int command, uint8_t* buffer) {
    switch (command) {
    case kCmdLoginVerdict:
        writeInt(buffer, signInVerdict());
        break;
    case kCmdIdentity:
        std::memcpy(buffer, state_.identity.data(), state_.identity.size());
        break;
    case kCmdResolution:
        writeInt(buffer, state_.videoWidth);
        writeInt(buffer + 4, state_.videoHeight);
        break;
    case kCmdBattery:
        writeInt(buffer, state_.battery);
        break;
    case kCmdFormat:
        writeInt(buffer, formatVerdict());
        break;
    case kCmdReadSerial:
        std::memcpy(buffer, state_.serialNumber.data(), state_.serialNumber.size());
        break;
    default:
        break;  // isValidTransfer admits no other receive
    }
}

}  // namespace nvusb_sim
