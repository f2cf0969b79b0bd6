#include "TransferLog.h"

#include "Hex.h"

#include <fstream>

namespace nvusb_sim {

std::string formatTransferLine(Direction direction, int command, int length, const uint8_t* payload, bool ok) {
    const bool readable = payload != nullptr && length > 0 && isValidTransfer(command, direction, length);
    const std::string bytes = readable ? toHex(payload, static_cast<size_t>(length)) : "-";
    return std::string(direction == Direction::Send ? "send " : "receive ") + std::to_string(command) + " " +
           std::to_string(length) + " " + bytes + (ok ? " ok" : " failed");
}

bool appendLine(const std::filesystem::path& file, const std::string& line) {
    std::ofstream out(file, std::ios::binary | std::ios::app);
    out << line << '\n';
    return static_cast<bool>(out);
}

}  // namespace nvusb_sim
