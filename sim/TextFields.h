// Small text helpers shared by the state file and fault list readers.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace nvusb_sim {

std::string trimText(const std::string& text);
std::vector<std::string> splitText(const std::string& text, char separator);
// A whole decimal 32-bit integer, optionally signed, with surrounding blanks allowed.
std::optional<int> parseInt(const std::string& text);
// A whole unsigned decimal 64-bit number, with surrounding blanks allowed.
std::optional<std::uint64_t> parseUint64(const std::string& text);

}  // namespace nvusb_sim
