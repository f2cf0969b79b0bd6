// Tag files whole on the disk: small, read and written in one piece.
#pragma once

#include <cstdint>
#include <string>

#include "platform/FileSystem.h"

namespace custody {

// Tag files larger than this are refused rather than read into memory
// (a manifest of about half a million files).
constexpr std::uint64_t kLargestTagFile = 64u << 20;

// False, with `why`, when the file cannot be read or is too large.
bool ReadTagFile(const FileSystem& fs, const std::string& path, std::string& bytes, std::string& why);

// Creates the file new, writes it, flushes it to the disk and reads it
// back: false, with `why`, unless the disk holds exactly `bytes`.
bool WriteTagFile(FileSystem& fs, const std::string& path, const std::string& bytes, std::string& why);

}  // namespace custody
