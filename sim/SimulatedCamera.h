// The camera's answer to each vendor command. It holds the persistent state
// (replaced by the caller before each call when the state lives in a file)
// and what lasts only for the process: the sign-in in progress and the
// number of transfers so far.
#pragma once

#include "CameraState.h"

#include <cstdint>

namespace nvusb_sim {

// The one camera's device handle; any other handle addresses no camera.
constexpr int kDeviceHandle = 0x5A17;
// The verdict of a sign-in the camera refuses (kLoginAccepted otherwise).
constexpr int32_t kSignInRefused = 0;

// What a transfer asks of the card: to be there (storage mode), or to be
// emptied (a format the camera answers with verdict 0).
enum class CardRequest { None, Present, Erase };

class SimulatedCamera {
public:
    explicit SimulatedCamera(CameraState state = {});

    void setState(const CameraState& state) { state_ = state; }
    const CameraState& state() const { return state_; }
    // Faults in force: those of the state merged with these, which win.
    void setExtraFaults(const Faults& faults) { extraFaults_ = faults; }
    Faults faults() const;
    // A camera of a dock records storage mode and is then a drive, no longer
    // found or connected as a vendor device; its open connection still
    // answers. A lone camera keeps no such record.
    void setDocked(bool docked) { docked_ = docked; }

    int firstAvailableDevice() const;
    bool connect(int device) const;
    // Fills exactly `length` bytes on success; leaves the buffer alone otherwise.
    bool receive(int device, int command, uint8_t* buffer, int length);
    bool send(int device, int command, const uint8_t* buffer, int length);

    // True once after a transfer changed the persistent state.
    bool takeStateChanged();
    // The card request of the last transfer, once.
    CardRequest takeCardRequest();
    int transferCount() const { return transferCount_; }

private:
    bool transferAllowed(int device, int command) const;
    bool isPresent() const;
    bool isVendorDevice() const;
    int32_t signInVerdict() const;
    int32_t formatVerdict() const;
    bool applySend(int command, const uint8_t* buffer, int length);
    void answerReceive(int command, uint8_t* buffer);

    CameraState state_;
    Faults extraFaults_;
    bool docked_ = false;
    bool stateChanged_ = false;
    CardRequest cardRequest_ = CardRequest::None;
    int transferCount_ = 0;
    int32_t signInAccount_ = -1;
    std::string signInPassword_;
};

}  // namespace nvusb_sim
