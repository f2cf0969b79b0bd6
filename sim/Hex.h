// Bytes as lowercase hex text and back, for the state file and the transfer log.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace nvusb_sim {

std::string toHex(const uint8_t* bytes, size_t size);
// Accepts upper- or lowercase digits; nullopt for an odd count or a non-digit.
std::optional<std::vector<uint8_t>> fromHex(const std::string& text);

}  // namespace nvusb_sim
