// Hashes many files on several threads: each file read once, in chunks,
// through every algorithm asked of it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/Hash.h"
#include "platform/FileSystem.h"

namespace custody {

struct HashRequest {
    std::string path;  // as the file system takes it
    std::uint64_t size = 0;  // larger files start first, so the threads end together
    std::vector<HashAlgorithm> algorithms;
};

struct HashOutcome {
    std::vector<std::string> hex;  // one per algorithm of the request, lowercase
    std::string error;             // why the file could not be hashed; then `hex` is empty
    bool stopped = false;          // not hashed to its end: `stop` said so; then `hex` is empty
};

// Bytes hashed so far, and files done: hashed to their end, or found
// unreadable.
struct HashCounts {
    std::uint64_t files = 0;
    std::uint64_t bytes = 0;
};

// Both are called on the hashing threads (the caller's among them), one
// call at a time, so neither need be safe to call at once from several.
struct HashControl {
    // Asked before each chunk is read: true stops every thread, each after
    // the chunk it is reading.
    std::function<bool()> stop;
    // After each chunk hashed and each file ended, with the counts of all
    // threads: they only grow.
    std::function<void(const HashCounts&)> hashed;
};

// One outcome per request, in the order of the requests.
std::vector<HashOutcome> HashFiles(const FileSystem& fs, const std::vector<HashRequest>& requests, unsigned threads,
                                   const HashControl& control = {});

}  // namespace custody
