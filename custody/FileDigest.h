// The size and SHA-256 of one file, streamed through a caller's buffer,
// stoppable between blocks: the read-back of a copy and the check of an
// earlier attempt's copies.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/FileSystem.h"

namespace custody {

struct FileDigest {
    std::uint64_t size = 0;
    std::string sha256;  // lowercase hex
};

enum class DigestOutcome { Done, CannotOpen, ReadError, Stopped, HashFailed };

// Disk: what the disk holds, past the system's cache (the read-back of a
// copy just flushed).
enum class ReadFrom { Cache, Disk };

// Reads `path` to its end through `buffer` (its size is the block size;
// from the disk, the part of it aligned to the disk's blocks, so give it at
// least two). `block`, when set, sees each block's byte count and stops the
// read by returning false.
DigestOutcome DigestFile(const FileSystem& fs, const std::string& path, std::vector<unsigned char>& buffer,
                         const std::function<bool(std::size_t)>& block, FileDigest& digest,
                         ReadFrom from = ReadFrom::Cache);

}  // namespace custody
