// The simulated camera behind the library's entries: reads its state file
// before every call, writes it after every change and logs every transfer.
// When the state file cannot be written, the camera goes on from memory
// (and stops rereading the file) until a write succeeds again. Storage mode
// brings the card folder into being; a successful format empties it.
#pragma once

#include "ProblemReport.h"
#include "SimulatedCamera.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <ostream>
#include <string>

namespace nvusb_sim {

struct SimFiles {
    std::filesystem::path state;
    std::filesystem::path log;
    std::string defaultCard = kDefaultCardFolder;  // the card when the state names none
    // One camera of a dock: it records storage mode (see SimulatedCamera) and
    // replaces its state file whole, as the dock's plug helpers do.
    bool docked = false;
    bool operator==(const SimFiles& other) const {
        return state == other.state && log == other.log && defaultCard == other.defaultCard && docked == other.docked;
    }
};

class PersistentCamera {
public:
    using Sleeper = std::function<void(int milliseconds)>;

    // Problems go to `diagnostics` as one line each, every distinct one once.
    PersistentCamera(std::ostream& diagnostics, Sleeper sleeper);

    // Call before each entry: where the files are now and the fault list of
    // the environment, if it sets one.
    void refresh(const SimFiles& files, const std::optional<std::string>& environmentFaults);

    int firstAvailableDevice() const { return camera_.firstAvailableDevice(); }
    int connect(int device) const { return camera_.connect(device) ? 1 : 0; }
    int receive(int device, int command, void* buffer, int length);
    int send(int device, int command, const void* buffer, int length);

private:
    void delayTransfer();
    void persistIfChanged();
    void serveCard();
    void log(Direction direction, int command, int length, const uint8_t* payload, bool ok);
    void report(const std::string& problem) { problems_.report(problem); }

    ProblemReport problems_;
    Sleeper sleeper_;
    SimulatedCamera camera_;
    SimFiles files_;
    bool memoryOnly_ = false;
};

}  // namespace nvusb_sim
