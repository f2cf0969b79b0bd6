// BagIt bags (RFC 8493, and reading its 0.97 predecessor): the tag files an
// offload writes around a verified payload, and the full check of any bag.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/FileSystem.h"

namespace custody {

// One payload file, as copied and verified.
struct PayloadFile {
    std::string path;  // below data/, '/' between folders
    std::uint64_t size = 0;
    std::string sha256;  // lowercase hex
};

// bag-info.txt's fields in the order written. A Payload-Oxum field given
// with an empty value receives the computed one in its place; without it,
// Payload-Oxum is added at the end. Values are never folded over lines: a
// value with a line break, or a label that is empty, holds ':' or a line
// break or begins or ends with a space, is refused.
using BagInfo = std::vector<std::pair<std::string, std::string>>;

// "octets.streamcount", as Payload-Oxum states it.
std::string PayloadOxum(const std::vector<PayloadFile>& files);

// Writes bagit.txt, bag-info.txt, manifest-sha256.txt and
// tagmanifest-sha256.txt into `bag` (the folder holding data/), each one
// created new (an existing one is never replaced), flushed and read back.
// `tagManifestSha256` receives the SHA-256 of the tag manifest. On failure
// `error` says which file and why; files written before stay.
bool WriteBagTags(FileSystem& fs, const std::string& bag, const std::vector<PayloadFile>& files,
                  const BagInfo& info, std::string& tagManifestSha256, std::string& error);

struct BagVerdict {
    bool valid = false;
    // When not valid, the first problem as "which file: which rule" (paths
    // percent-encoded as in the manifests), with "(and N more)" when there
    // are others; "cannot be checked (sha224)" when no payload manifest is
    // in an algorithm this platform computes.
    std::string why;
    // Valid all the same: a 0.97 bag's file listed twice with one checksum
    // or missing from one of its manifests, a manifest not checked.
    std::vector<std::string> warnings;
    // Stopped before every file was hashed: never valid; `why` ends with
    // "stopped after N of M files were hashed" (or "before any file").
    bool stopped = false;
};

// Of the files a check hashes (payload and tag files a manifest lists):
// how many are done and how many bytes hashed.
struct BagCheckProgress {
    std::uint64_t filesDone = 0;
    std::uint64_t filesTotal = 0;
    std::uint64_t bytesDone = 0;
    std::uint64_t bytesTotal = 0;
};

struct BagCheckRequest {
    unsigned threads = 1;  // files hashed at once
    // Both are called on the hashing threads (the caller's among them), one
    // call at a time. Either may be empty.
    // Asked before the check and before each block of 1 MiB is read: true
    // stops every hashing thread after the block it is reading.
    std::function<bool()> stop;
    // After each block hashed and each file done; the counts only grow.
    std::function<void(const BagCheckProgress&)> progress;
};

// The whole bag checked: bagit.txt, every manifest and tag manifest, every
// hash, no file missing or unlisted, no path outside the bag, Payload-Oxum,
// fetch.txt. Names are matched as Windows matches them (NameKey.h).
// Hashes files on the request's threads, each streamed in blocks.
BagVerdict VerifyBag(const FileSystem& fs, const std::string& bag, const BagCheckRequest& request);
BagVerdict VerifyBag(const FileSystem& fs, const std::string& bag, unsigned threads);

// What a search for bags came upon.
struct FoundFolder {
    enum class Kind {
        Bag,         // holds bagit.txt
        Unfinished,  // an offload's .partial folder: not a bag yet
        Unlisted,    // could not be listed: bags below it went unseen
    };
    Kind kind = Kind::Bag;
    std::string path;
    std::string why;  // Unlisted: the file system's reason
};

// A folder holding bagit.txt is a bag (its data/ is not searched further),
// a .partial offload folder is unfinished (and not searched); any other
// folder is searched at any depth, in name order. `path` itself is the
// only result when it is a bag or a .partial.
std::vector<FoundFolder> FindBags(const FileSystem& fs, const std::string& path);

}  // namespace custody
