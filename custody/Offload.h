// The copy of a camera's card into a bag: every file hashed as read from
// the card, written under a temporary name, flushed, read back from the
// archive and compared, then given its name and entered in the journal of
// verified copies; the tag files last, and the folder renamed without
// ".partial" only when every file was verified. The card is only ever read,
// and no verified copy is ever removed or replaced.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "custody/Bag.h"
#include "custody/CardContents.h"
#include "platform/FileSystem.h"

namespace custody {

// Seconds since 1970 UTC; the tests set it. Empty: the system's clock.
using UtcClock = std::function<std::int64_t()>;

enum class OffloadPhase {
    Checking,   // a resume hashes the earlier attempt's verified copies, and the card's files of their names
    Copying,    // the card's files are copied, and their copies read back
    Verifying,  // the card is read: the last copies are read back
    Sealing,    // every copy is verified: the tag files are written and the folder named
};

// How far an offload has come. Its work is counted in bytes, once for each
// time a byte is read: a resume's check of an earlier attempt's copy (the
// copy's size, hashed beside the card's file of its name), then each of the
// card's bytes copied, and read back once more. The total is fixed from the
// first report on; the work done only grows, is the total once every copy
// is verified (from Sealing on), and moves with each block of 1 MiB copied
// or read back, so done / total is a percentage that never goes back. A
// copy the check keeps counts as copied and read back from then on.
struct OffloadProgress {
    OffloadPhase phase = OffloadPhase::Copying;
    std::uint64_t filesDone = 0;   // the card's files verified in the archive: read back, or kept
    std::uint64_t filesTotal = 0;  // the card's files
    std::uint64_t cardBytes = 0;   // the card's bytes
    std::uint64_t workDone = 0;
    std::uint64_t workTotal = 0;
};

struct OffloadRequest {
    std::string card;     // the card's root folder (a drive's root or --from)
    std::string archive;  // ARCHIVE
    std::string serial;   // the camera's serial number: ARCHIVE/<serial>/
    // bag-info.txt's fields but the ones the copy knows. The copy adds
    // Bagging-Date (YYYY-MM-DD), Payload-Oxum, Offload-Started (the time in
    // the folder's name: the first attempt's start when resumed) and
    // Offload-Finished (UTC, ISO 8601), and Offload-Incomplete to a sealed
    // earlier attempt (see SealedBag), replacing any given, and writes all
    // in this order: Source-Organization, External-Identifier, Bagging-Date,
    // Payload-Oxum, Bag-Software-Agent, Camera-ID, User-ID, User-Name,
    // Department-ID, Department-Name, Offload-Station, Offload-Operator,
    // Offload-Started, Offload-Finished, Offload-Incomplete; fields of other
    // names follow in the order given.
    BagInfo info;
    UtcClock clock;
    // Both are called on the calling thread only, between blocks of 1 MiB,
    // and while the last copies are read back at least every 50 ms. Either
    // may be empty.
    std::function<bool()> interrupted;
    std::function<void(const OffloadProgress&)> progress;
};

// An earlier attempt sealed as a bag of what it had verified, because the
// card now holds another file under the name of one of its verified copies
// (a card the camera formatted restarts its numbering): its verified copies
// are kept as they are, its bag-info.txt says "Offload-Incomplete: <why>",
// and the card is offloaded into a new folder.
struct SealedBag {
    std::string bag;  // full path of the bag
    std::string why;  // which name differs, for the operator, the audit line and bag-info.txt
    std::uint64_t files = 0;
    std::uint64_t bytes = 0;
    std::string payloadOxum;
    std::string tagManifestSha256;
};

struct OffloadResult {
    bool ok = false;
    // Where it failed:
    //   "archive"  ARCHIVE, ARCHIVE/<serial> or the offload's folder
    //   "card"     the card cannot be listed, a file cannot be opened or read,
    //              or it held other than the listed number of bytes
    //   "copy"     a copy cannot be written, flushed or named in the archive
    //              (full, removed), or the offload was interrupted
    //   "verify"   a copy read back from the archive differs or cannot be read
    //   "tags"     the tag files cannot be written
    //   "rename"   the folder cannot lose its ".partial"
    std::string step;
    std::string why;   // which file and what, for the operator
    bool noSpace = false;  // "copy" or "tags": the archive's disk is full
    std::string bag;   // full path: the bag, or the .partial folder left behind
    bool resumed = false;         // an earlier attempt finished (false when it was sealed instead)
    std::uint64_t filesKept = 0;  // resumed: files of the earlier attempt found good again
    std::uint64_t files = 0;
    std::uint64_t bytes = 0;
    std::string payloadOxum;
    std::string tagManifestSha256;
    std::vector<PayloadFile> payload;
    // The earlier attempt, when it had to be sealed (see SealedBag); set
    // even when the new attempt then fails, as the bag is made.
    std::optional<SealedBag> sealedEarlier;
    // Files found in an earlier attempt's data/ that its journal does not
    // list with the size and SHA-256 they have, moved (never deleted) into
    // this folder beside it ("<.partial's name>.set-aside", "-2", "-3" for
    // later resumes) under the same paths; empty when none. Set even when
    // the offload then fails.
    std::string setAside;
    std::vector<std::string> setAsideFiles;  // their paths below data/
};

// Copies the card (but "System Volume Information" and "$RECYCLE.BIN" at its
// root) into a new ARCHIVE/<serial>/<YYYYMMDDTHHMMSSZ>.partial/data ("-2",
// "-3" for another in the same second), then makes it a bag.
//
// When the serial's newest .partial is newer than its newest bag (an
// interrupted offload), that folder is finished instead. A file in its data/
// is trusted only when the folder's journal of verified copies lists it with
// the size and SHA-256 it has now; anything else is set aside. A trusted copy
// is kept when it is the card's file again, or when the card no longer holds
// that name (it stays in the bag); the rest of the card is copied anew, and
// unfinished copies are removed. When the card's file of a trusted copy's
// name differs, the folder is sealed as an incomplete bag of its trusted
// copies (SealedBag) and the whole card is copied into a new folder.
//
// Unfinished copies carry the temporary name ".orvane-copy-N" in their
// folder and are removed on failure where the archive allows it; only a
// verified copy ever has its file's name.
OffloadResult OffloadCard(FileSystem& fs, const OffloadRequest& request);

// bag-info.txt of an offload: the given fields with the copy's own
// (Bagging-Date, Payload-Oxum to be computed, Offload-Started,
// Offload-Finished, Offload-Incomplete when not empty) in the order
// OffloadRequest::info describes.
BagInfo OffloadBagInfo(const BagInfo& given, std::int64_t started, std::int64_t finished,
                       const std::string& incomplete);

// The newest bag of `serial` in `archive` by its folder name's time; empty
// when there is none.
std::string NewestBag(const FileSystem& fs, const std::string& archive, const std::string& serial);

}  // namespace custody
