// SHA-256 of a whole file, streamed through a caller's buffer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "custody/FileSystem.h"

namespace custody {

struct FileDigest {
    std::uint64_t size = 0;
    std::string sha256;  // lowercase hex
};

enum class HashOutcome { Hashed, CannotOpen, ReadError, Stopped, HashFailed };

// Reads `path` to its end through `buffer` (its size is the block size).
// `block`, when set, sees each block's byte count and stops the read by
// returning false.
HashOutcome HashFile(const FileSystem& fs, const std::string& path, std::vector<unsigned char>& buffer,
                     const std::function<bool(std::size_t)>& block, FileDigest& digest);

}  // namespace custody
