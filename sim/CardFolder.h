// The simulated camera's card as a folder of the host: created with its
// recordings when first needed, emptied by a successful format.
#pragma once

#include "CardRecordings.h"

#include <filesystem>
#include <string>

namespace nvusb_sim {

// The folder named by the state file's `card` key (UTF-8): a relative name
// is taken from the state file's folder.
std::filesystem::path resolveCardFolder(const std::string& key, const std::filesystem::path& stateFile);

// Empty when `card` may serve as the card; otherwise why not. A folder that
// holds the state file is never the card: a format would erase the camera.
std::string cardFolderProblem(const std::filesystem::path& card, const std::filesystem::path& stateFile);

// When `card` does not exist: builds it with the layout's recordings under a
// temporary name beside it, then renames it, so that a reader never lists a
// half-written card. An existing card is left as it is. False, with
// `error`, when the card could not be made.
bool createCardIfMissing(const std::filesystem::path& card, const CardLayout& layout, std::string& error);

// Removes everything inside `card` (read-only entries too) and keeps the
// folder; a missing card becomes an empty folder.
bool emptyCard(const std::filesystem::path& card, std::string& error);

}  // namespace nvusb_sim
