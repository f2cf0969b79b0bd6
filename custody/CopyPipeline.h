// The verified copy of a list of card files into a bag's data/ folder. Each
// file is hashed as read from the card, written under a temporary name,
// flushed, opened again and read back from the archive, compared, only then
// given its name, and then entered in the journal of verified copies.
//
// Threads overlap the work on two cores: the calling thread reads the card
// and writes the copy; a second hashes the card's bytes it hands over in
// bounded blocks; a few more each flush a written copy, read it back, hash
// and compare it and rename it, while the next files are copied. Memory is
// a few blocks, whatever the size of a file.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "custody/Bag.h"
#include "platform/FileSystem.h"

namespace custody {

struct CopyFailure {
    std::string step;  // "card", "copy" or "verify"
    std::string why;
    bool noSpace = false;  // the archive's disk is full
};

// How far a copy has come; the counts only grow.
struct CopyCounts {
    std::uint64_t filesVerified = 0;
    std::uint64_t bytesCopied = 0;    // read from the card and written to the archive
    std::uint64_t bytesReadBack = 0;  // read back from the archive
    bool cardRead = false;            // every file copied: only read-backs remain
};

struct CopyHooks {
    // Both are called on the calling thread only: before each block is
    // copied, and while the last copies are read back.
    std::function<bool()> interrupted;
    std::function<void(const CopyCounts&)> progress;
};

// The temporary names of copies not yet verified: ".orvane-copy-N" in the
// copy's own folder, never the path of one of the card's files.
class TempNames {
public:
    explicit TempNames(const std::vector<FileEntry>& cardFiles);
    std::string For(const std::string& relative, std::size_t index) const;
    static bool IsTemp(std::string_view relative);

private:
    std::unordered_set<std::string> cardPaths_;  // NameKey: as Windows compares them
    std::size_t count_;
};

// " (what the file system says of its last failure on this thread)", or
// " (likely)" when it says nothing: the end of a why-text.
std::string FailureCause(const FileSystem& fs, const char* likely);

// Copies `files` (relative to `card`) into `data` in the order given, appends
// a line for each verified one to `journal` (VerifiedJournal.h), flushed,
// and adds it to `copied`. A journal that cannot be written fails the copy
// at step "copy". On failure, copies not yet verified are removed where the
// archive still allows it.
bool CopyVerified(FileSystem& fs, const std::string& card, const std::string& data, const std::string& journal,
                  const std::vector<FileEntry>& files, const TempNames& temps, const CopyHooks& hooks,
                  std::vector<PayloadFile>& copied, CopyFailure& failure);

}  // namespace custody
