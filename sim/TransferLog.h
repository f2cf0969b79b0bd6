// One line per transfer, so that a test can see exactly what reached the
// camera: "<send|receive> <command> <length> <payload hex or -> <ok|failed>".
// A send logs the bytes offered; a receive the bytes delivered.
#pragma once

#include "TransferShape.h"

#include <cstdint>
#include <filesystem>
#include <string>

namespace nvusb_sim {

// `payload` may be null; it is read only when the command's shape admits `length`.
std::string formatTransferLine(Direction direction, int command, int length, const uint8_t* payload, bool ok);
bool appendLine(const std::filesystem::path& file, const std::string& line);

}  // namespace nvusb_sim
