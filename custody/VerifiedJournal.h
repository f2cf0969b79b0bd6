// The journal of an unfinished offload: one line per copy that was read back
// from the archive, found equal to the card's file and given its name,
// appended and flushed right after that rename. A resume trusts a file in
// the .partial's data/ only when this journal lists it with the same size
// and SHA-256; the journal is removed when the folder becomes a bag.
//
// The file is "orvane-verified.txt" in the .partial folder (beside data/),
// one line a copy: "<sha256 hex> <size> <path below data/, EncodeBagPath>\n".
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "custody/Bag.h"
#include "platform/FileSystem.h"

namespace custody {

extern const char* const kVerifiedJournalName;

// One journal line, with its line ending.
std::string VerifiedJournalLine(const PayloadFile& file);

// The copies a .partial's journal lists, in the order written; a path
// listed again counts once, with its last line. A missing journal lists
// none. A last line without its line ending (a write cut off) is left out.
// False, with `why`, when the journal cannot be read or a whole line is
// not of the form above.
bool ReadVerifiedJournal(const FileSystem& fs, const std::string& partial, std::vector<PayloadFile>& files,
                         std::string& why);

}  // namespace custody
