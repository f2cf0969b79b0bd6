#include "custody/CardContents.h"

#include <algorithm>
#include <iterator>
#include <map>

#include "platform/NameKey.h"

namespace custody {

namespace {

// Folders at a card's root that the system keeps for itself: never entered,
// so that whatever they hold neither fails the listing nor is copied.
constexpr const char* kSkippedRootFolders[] = {"System Volume Information", "$RECYCLE.BIN"};

// By name as Windows compares names; false, with `why`, when two files of
// `files` are one name there.
bool ByNameKey(const std::vector<FileEntry>& files, const char* where, std::map<std::string, const FileEntry*>& keyed,
               std::string& why)
{
    for (const FileEntry& file : files) {
        const auto placed = keyed.emplace(NameKey(file.relativePath), &file);
        if (!placed.second) {
            why = placed.first->second->relativePath + " and " + file.relativePath + " " + where
                  + " are one name on Windows";
            return false;
        }
    }
    return true;
}

}  // namespace

bool ListCard(const FileSystem& fs, const std::string& card, std::vector<FileEntry>& files, std::string& why)
{
    std::string error;
    files.clear();
    if (!fs.ListFiles(card, {std::begin(kSkippedRootFolders), std::end(kSkippedRootFolders)}, files, error)) {
        why = "the card cannot be listed: " + error;
        return false;
    }
    return true;
}

bool HoldsExactly(const std::vector<FileEntry>& card, const std::vector<FileEntry>& bag, std::string& why)
{
    std::map<std::string, const FileEntry*> onCard;
    std::map<std::string, const FileEntry*> inBag;
    if (!ByNameKey(card, "on the card", onCard, why) || !ByNameKey(bag, "in the bag", inBag, why)) {
        return false;
    }
    for (const auto& [key, file] : inBag) {
        const auto found = onCard.find(key);
        if (found == onCard.end()) {
            why = file->relativePath + " is in the bag but no longer on the card";
            return false;
        }
        if (found->second->size != file->size) {
            why = found->second->relativePath + " has " + std::to_string(found->second->size)
                  + " bytes on the card and " + std::to_string(file->size) + " in the bag";
            return false;
        }
    }
    for (const auto& [key, file] : onCard) {
        if (inBag.count(key) == 0) {
            why = file->relativePath + " is on the card but not in the bag";
            return false;
        }
    }
    return true;
}

bool CardHoldsExactly(const FileSystem& fs, const std::string& card, const std::vector<PayloadFile>& payload,
                      std::string& why)
{
    std::vector<FileEntry> cardFiles;
    if (!ListCard(fs, card, cardFiles, why)) {
        return false;
    }
    std::vector<FileEntry> bagFiles;
    bagFiles.reserve(payload.size());
    for (const PayloadFile& file : payload) {
        bagFiles.push_back({file.path, file.size});
    }
    return HoldsExactly(cardFiles, bagFiles, why);
}

}  // namespace custody
