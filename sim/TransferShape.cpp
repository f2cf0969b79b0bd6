#include "TransferShape.h"

namespace nvusb_sim {

bool isValidTransfer(int command, Direction direction, int length) {
    if (command < 0 || command >= kVendorCommandCount || length < 0) return false;
    const CommandShape& shape = kCommandShapes[command];
    const bool directionAllowed = direction == Direction::Send ? shape.sends : shape.receives;
    if (!directionAllowed) return false;
    if (shape.length == kTextPayload) return length <= kMaxPasswordLength;
    return length == shape.length;
}

}  // namespace nvusb_sim
