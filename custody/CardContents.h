// What a camera's card holds, and whether it holds exactly what a bag
// does: the listing the offload copies from and the comparison every
// format of a card relies on.
#pragma once

#include <string>
#include <vector>

#include "custody/Bag.h"
#include "platform/FileSystem.h"

namespace custody {

// Every file of the card, hidden and system files too, but those in the
// folders the system keeps at its root ("System Volume Information",
// "$RECYCLE.BIN"). False, with `why`, when the card cannot be listed.
bool ListCard(const FileSystem& fs, const std::string& card, std::vector<FileEntry>& files, std::string& why);

// True when `card` and `bag` (a bag's files below data/) hold the same
// names, as Windows compares them, with the same sizes; otherwise `why`
// names the first difference.
bool HoldsExactly(const std::vector<FileEntry>& card, const std::vector<FileEntry>& bag, std::string& why);

// The card listed, then compared with the payload of a bag.
bool CardHoldsExactly(const FileSystem& fs, const std::string& card, const std::vector<PayloadFile>& payload,
                      std::string& why);

}  // namespace custody
