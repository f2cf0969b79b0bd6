// Bags tied to the audit trail: the outcome line of each offload names its
// bag, payload_oxum and tagmanifest_sha256, so that a bag changed and
// sealed again after its offload is found out even though it checks valid
// as a bag. Portable: the audit file comes in as bytes.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/Host.h"
#include "custody/TagFiles.h"

// One offload outcome line that names a bag.
struct OffloadRecord {
    std::uint64_t line = 0;
    std::string outcome;  // "ok", or why the bag is incomplete
    std::string payloadOxum;
    std::string tagManifestSha256;
};

// The offload outcome lines of an audit file, given its lines one by one
// (as the chain check reads them).
class OffloadRecords {
public:
    explicit OffloadRecords(std::string file = "") : file_(std::move(file)) {}

    // Line `number` of the file, without its line ending.
    void Take(std::uint64_t number, std::string_view line);
    // The last line naming `bag`, compared by its last two components (the
    // serial number's folder and the bag's name) as Windows compares names,
    // so that an archive reached by another path still matches. Null when
    // none does.
    const OffloadRecord* Find(const std::string& bag) const;
    const std::string& File() const { return file_; }

private:
    std::string file_;
    std::map<std::string, OffloadRecord> byBag_;
};

// bag-info.txt, read as its bagit.txt declares. False, with `why`, when it
// cannot be read.
bool ReadBagInfo(const custody::FileSystem& fs, const std::string& bag, std::vector<custody::BagInfoElement>& info,
                 std::string& why);
// The first value of `label` (compared without regard to case); empty when
// there is none.
std::string BagInfoValue(const std::vector<custody::BagInfoElement>& info, std::string_view label);

struct BagTie {
    bool ours = false;    // Bag-Software-Agent names this tool
    std::string problem;  // ours: why it is not tied to the trail; empty when it is
    const OffloadRecord* record = nullptr;  // ours and tied: its outcome line
};

// For a bag that checks valid: a bag this tool made is tied when its tag
// manifest covers bagit.txt, bag-info.txt and manifest-sha256.txt and an
// offload line of `records` names it with its Payload-Oxum and the SHA-256
// of its tagmanifest-sha256.txt. Others' bags are not looked at.
BagTie TieToAuditTrail(const custody::FileSystem& fs, const std::string& bag, const OffloadRecords& records);

enum class TrailRead { Ok, Unreadable, Broken };
// The offload lines of the audit file at `path`, read whole with its chain
// checked; otherwise `why` says what is wrong ("FILE:LINE: why" for a
// broken chain).
TrailRead ReadOffloadRecords(platform::Host& host, const platform::StopSignal& stop, const std::string& path, OffloadRecords& records, std::string& why);
