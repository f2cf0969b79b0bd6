// Hashes many files on several threads: each file read once, in chunks,
// through every algorithm asked of it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/Hash.h"
#include "custody/FileSystem.h"

namespace custody {

struct HashRequest {
    std::string path;  // as the file system takes it
    std::uint64_t size = 0;  // larger files start first, so the threads end together
    std::vector<HashAlgorithm> algorithms;
};

struct HashOutcome {
    std::vector<std::string> hex;  // one per algorithm of the request, lowercase
    std::string error;             // why the file could not be hashed; then `hex` is empty
};

// One outcome per request, in the order of the requests.
std::vector<HashOutcome> HashFiles(const FileSystem& fs, const std::vector<HashRequest>& requests, unsigned threads);

}  // namespace custody
