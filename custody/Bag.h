// BagIt bags (RFC 8493, and reading its 0.97 predecessor): the tag files an
// offload writes around a verified payload, and the full check of any bag.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "custody/FileSystem.h"

namespace custody {

// One payload file, as copied and verified.
struct PayloadFile {
    std::string path;  // below data/, '/' between folders
    std::uint64_t size = 0;
    std::string sha256;  // lowercase hex
};

// bag-info.txt's fields in the order written. Payload-Oxum is added.
using BagInfo = std::vector<std::pair<std::string, std::string>>;

// "octets.streamcount", as Payload-Oxum states it.
std::string PayloadOxum(const std::vector<PayloadFile>& files);

// Writes bagit.txt, bag-info.txt, manifest-sha256.txt and
// tagmanifest-sha256.txt into `bag` (the folder holding data/), each one
// flushed. `tagManifestSha256` receives the SHA-256 of the tag manifest.
bool WriteBagTags(FileSystem& fs, const std::string& bag, const std::vector<PayloadFile>& files,
                  const BagInfo& info, std::string& tagManifestSha256, std::string& error);

struct BagVerdict {
    bool valid = false;
    std::string why;                    // "which file: which rule" when not valid
    std::vector<std::string> warnings;  // valid all the same
};

// The whole bag checked: bagit.txt, every manifest and tag manifest, every
// hash, no file missing or unlisted, no path outside the bag, Payload-Oxum,
// fetch.txt. Hashes files on `threads` threads.
BagVerdict VerifyBag(const FileSystem& fs, const std::string& bag, unsigned threads);

// A folder holding bagit.txt is a bag (its data/ is not searched further);
// any other folder is searched for bags at any depth. `path` itself comes
// first when it is a bag.
std::vector<std::string> FindBags(const FileSystem& fs, const std::string& path);

}  // namespace custody
