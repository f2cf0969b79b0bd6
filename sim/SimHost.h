// What the simulated library asks of the platform: environment variables and
// the folder it was loaded from.
#pragma once

#include "PersistentCamera.h"

#include <filesystem>
#include <optional>
#include <string>

namespace nvusb_sim {

// The variable's value as UTF-8; nullopt when it is not set.
std::optional<std::string> environmentValue(const char* name);
// NVUSB_SIM_STATE or nvusb-sim-state.txt beside the library; NVUSB_SIM_LOG
// or nvusb-sim-log.txt beside the state file.
SimFiles locateSimFiles();
// NVUSB_SIM_DOCK, the folder of a dock's camera state files; nullopt when
// it is unset or empty, for the lone camera of locateSimFiles.
std::optional<std::filesystem::path> locateDockFolder();

}  // namespace nvusb_sim
