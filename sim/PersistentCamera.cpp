#include "PersistentCamera.h"

#include "CardFolder.h"
#include "StateFile.h"
#include "TransferLog.h"

namespace nvusb_sim {

PersistentCamera::PersistentCamera(std::ostream& diagnostics, Sleeper sleeper)
    : problems_(diagnostics), sleeper_(std::move(sleeper)) {}

void PersistentCamera::refresh(const SimFiles& files, const std::optional<std::string>& environmentFaults) {
    if (!(files == files_)) {
        files_ = files;
        memoryOnly_ = false;
        camera_.setDocked(files_.docked);
    }
    if (!memoryOnly_) {
        CameraState defaults;
        defaults.card = files_.defaultCard;
        StateFileContents contents = readStateFile(files_.state, defaults);
        for (const std::string& problem : contents.problems) report(problem);
        camera_.setState(contents.state);
    }
    std::vector<std::string> problems;
    camera_.setExtraFaults(parseFaults(environmentFaults.value_or(std::string()), problems));
    for (const std::string& problem : problems) report("NVUSB_SIM_FAULTS: " + problem);
}

int PersistentCamera::receive(int device, int command, void* buffer, int length) {
    delayTransfer();
    auto* bytes = static_cast<uint8_t*>(buffer);
    const bool ok = camera_.receive(device, command, bytes, length);
    log(Direction::Receive, command, length, ok ? bytes : nullptr, ok);
    return ok ? 1 : 0;
}

int PersistentCamera::send(int device, int command, const void* buffer, int length) {
    delayTransfer();
    const auto* bytes = static_cast<const uint8_t*>(buffer);
    const bool ok = camera_.send(device, command, bytes, length);
    persistIfChanged();
    serveCard();
    log(Direction::Send, command, length, bytes, ok);
    return ok ? 1 : 0;
}

void PersistentCamera::delayTransfer() {
    const int delay = camera_.faults().delayMs;
    if (delay > 0 && sleeper_) sleeper_(delay);
}

void PersistentCamera::persistIfChanged() {
    if (!camera_.takeStateChanged()) return;
    std::string error;
    const StateWrite how = files_.docked ? StateWrite::Replace : StateWrite::InPlace;
    memoryOnly_ = !writeStateFile(files_.state, camera_.state(), error, how);
    if (memoryOnly_) report(error + "; keeping the camera's state in memory");
}

// Done before the transfer returns: whoever switched the camera to storage
// mode finds the whole card as soon as the call is back.
void PersistentCamera::serveCard() {
    const CardRequest request = camera_.takeCardRequest();
    if (request == CardRequest::None) return;
    const std::filesystem::path card = resolveCardFolder(camera_.state().card, files_.state);
    std::string error = cardFolderProblem(card, files_.state);
    if (error.empty() && request == CardRequest::Present) createCardIfMissing(card, camera_.state().cardLayout, error);
    if (error.empty() && request == CardRequest::Erase) emptyCard(card, error);
    if (!error.empty()) report(error);
}

void PersistentCamera::log(Direction direction, int command, int length, const uint8_t* payload, bool ok) {
    if (!appendLine(files_.log, formatTransferLine(direction, command, length, payload, ok)))
        report("cannot write transfer log " + files_.log.u8string());
}

}  // namespace nvusb_sim
