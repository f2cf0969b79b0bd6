// Whether a camera's card may be formatted: only when one bag of the
// camera in the archive holds exactly the card's files, checks valid in
// full, names the camera's serial number as its External-Identifier and,
// when this tool made it, is tied to the audit trail by a complete offload.
// Portable: the card comes through the file system seam, the archive
// through its own (Archive.h).
#pragma once

#include <string>
#include <vector>

#include "station/Archive.h"
#include "station/BagAudit.h"
#include "platform/FileSystem.h"

struct FormatVerdict {
    bool ok = false;
    std::string bag;  // ok: the bag that holds the card's files
    std::string why;  // not ok: for the operator ("the card is empty: nothing to format", ...)
};

// Lists `card` (through `cardFs`) now and looks for its bag among the bags
// of `serial` in `archive`, newest first by their names (which only sets the
// order: a station whose clock ran ahead names a bag in the future). Bags
// are checked on `threads` threads. The verdict's bag is as the operator
// reads it.
FormatVerdict CheckCardHeld(const custody::FileSystem& cardFs, const std::string& card, const station::Archive& archive,
                            const std::string& serial, const OffloadRecords& records, unsigned threads);

// The files of `card` that no bag of `bags` holds with their size, at most
// `shown` of them named: "A, B (12 bytes on the card, 9 in a bag) and 3
// more"; `count` receives how many. Empty when every file is in a bag.
std::string FilesNoBagHolds(const std::vector<custody::FileEntry>& card,
                            const std::vector<std::vector<custody::FileEntry>>& bags, std::size_t& count,
                            std::size_t shown = 3);
