// Whether a transfer has the shape of its vendor command: the direction it
// travels and the number of payload bytes.
#pragma once

#include "telvix/VendorCommands.h"

namespace nvusb_sim {

enum class Direction { Send, Receive };

// Passwords are six characters; the camera takes any text up to this length.
constexpr int kMaxPasswordLength = 64;

bool isValidTransfer(int command, Direction direction, int length);

}  // namespace nvusb_sim
