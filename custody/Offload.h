// The copy of a camera's card into a bag: every file hashed as read from
// the card, written under a temporary name, flushed, read back from the
// archive and compared, then given its name; the tag files last, and the
// folder renamed without ".partial" only when every file was verified.
// The card is only ever read.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "custody/Bag.h"
#include "custody/FileSystem.h"

namespace custody {

// Seconds since 1970 UTC; the tests set it.
using UtcClock = std::function<std::int64_t()>;

struct OffloadProgress {
    std::uint64_t filesDone = 0;
    std::uint64_t filesTotal = 0;
    std::uint64_t bytesDone = 0;
    std::uint64_t bytesTotal = 0;
};

struct OffloadRequest {
    std::string card;     // the card's root folder (a drive's root or --from)
    std::string archive;  // ARCHIVE
    std::string serial;   // the camera's serial number: ARCHIVE/<serial>/
    // bag-info.txt's fields but the ones the copy knows (Bagging-Date,
    // Payload-Oxum, Offload-Started, Offload-Finished), in order.
    BagInfo info;
    UtcClock clock;
    std::function<bool()> interrupted;                        // checked between blocks
    std::function<void(const OffloadProgress&)> progress;     // may be empty
};

struct OffloadResult {
    bool ok = false;
    std::string step;  // where it failed: "archive", "card", "copy", "verify", "tags", "rename"
    std::string why;   // which file and what, for the operator
    std::string bag;   // full path: the bag, or the .partial folder left behind
    bool resumed = false;
    std::uint64_t files = 0;
    std::uint64_t bytes = 0;
    std::string payloadOxum;
    std::string tagManifestSha256;
    std::vector<PayloadFile> payload;
};

// Copies the card into a new ARCHIVE/<serial>/<YYYYMMDDTHHMMSSZ>.partial
// (or resumes the newest .partial of that serial), then makes it a bag.
OffloadResult OffloadCard(FileSystem& fs, const OffloadRequest& request);

// The newest bag of `serial` in `archive` by its folder name's time; empty
// when there is none.
std::string NewestBag(const FileSystem& fs, const std::string& archive, const std::string& serial);

// True when the card holds exactly the payload's files (names and sizes);
// otherwise `why` names the first difference.
bool CardHoldsExactly(const FileSystem& fs, const std::string& card, const std::vector<PayloadFile>& payload,
                      std::string& why);

}  // namespace custody
