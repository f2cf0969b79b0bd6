#include "station/FormatCheck.h"

#include <algorithm>
#include <map>

#include "custody/ArchiveFolders.h"
#include "custody/Bag.h"
#include "custody/CardContents.h"
#include "platform/NameKey.h"

namespace {

// Empty when `bag`, which holds the card's files, may stand for them;
// otherwise why not.
std::string BagProblem(const station::Archive& archive, const std::string& bag, const std::string& serial,
                       const OffloadRecords& records, unsigned threads)
{
    const custody::FileSystem& fs = archive.Files();
    custody::BagCheckRequest request;
    request.threads = threads;
    const custody::BagVerdict verdict = archive.VerifyBag(bag, request);
    if (!verdict.valid) {
        return "is invalid: " + verdict.why;
    }
    std::vector<custody::BagInfoElement> info;
    std::string why;
    if (!ReadBagInfo(fs, bag, info, why)) {
        return "has no bag-info.txt that can be read (" + why + ")";
    }
    const std::string identifier = BagInfoValue(info, "External-Identifier");
    if (identifier != serial) {
        return "is of another camera: its External-Identifier is \"" + identifier + "\"";
    }
    const BagTie tie = TieToAuditTrail(fs, bag, records);
    if (!tie.problem.empty()) {
        return "is not vouched for by the audit trail: " + tie.problem;
    }
    if (tie.record && tie.record->outcome != "ok") {
        return "is an incomplete offload (" + tie.record->outcome + ")";
    }
    return "";
}

// What a look through the bags found when none would do.
struct BagSearch {
    std::vector<std::vector<custody::FileEntry>> listed;  // the bags that are not the card's
    std::string problem;     // the newest that cannot be listed, or is the card's but may not stand for it
    std::string difference;  // how the newest bag differs from the card
};

// `kept` becomes "BAG WHAT" unless it says something already.
void KeepFirst(std::string& kept, const std::string& bag, const std::string& what)
{
    if (kept.empty()) {
        kept = bag;
        kept += what;
    }
}

// Why no bag will do, for the operator.
std::string Refusal(const std::vector<custody::FileEntry>& cardFiles, const BagSearch& search, std::size_t bags,
                    const std::string& bagsOf)
{
    if (bags == 0) {
        return "no " + bagsOf + ": offload the card first";
    }
    if (!search.problem.empty()) {
        return search.problem;
    }
    std::size_t count = 0;
    const std::string names = FilesNoBagHolds(cardFiles, search.listed, count);
    if (count == 0) {
        return "no " + bagsOf + " holds exactly the card's files (" + search.difference + ")";
    }
    std::string why = "the card holds " + std::to_string(count);
    why += count == 1 ? " file" : " files";
    why += " that no " + bagsOf + " holds: ";
    return why + names + "; offload the card again";
}

}  // namespace

std::string FilesNoBagHolds(const std::vector<custody::FileEntry>& card,
                            const std::vector<std::vector<custody::FileEntry>>& bags, std::size_t& count,
                            std::size_t shown)
{
    std::multimap<std::string, std::uint64_t> held;  // sizes by name key
    for (const auto& bag : bags) {
        for (const custody::FileEntry& file : bag) {
            held.emplace(custody::NameKey(file.relativePath), file.size);
        }
    }
    std::vector<custody::FileEntry> sorted = card;
    std::sort(sorted.begin(), sorted.end(), [](const auto& a, const auto& b) { return a.relativePath < b.relativePath; });
    std::string names;
    count = 0;
    for (const custody::FileEntry& file : sorted) {
        const auto sizes = held.equal_range(custody::NameKey(file.relativePath));
        const bool sameSize = std::any_of(sizes.first, sizes.second, [&](const auto& s) { return s.second == file.size; });
        if (sameSize) {
            continue;
        }
        if (++count > shown) {
            continue;
        }
        names += (names.empty() ? "" : ", ") + file.relativePath;
        if (sizes.first != sizes.second) {
            names += " (" + std::to_string(file.size) + " bytes on the card, " + std::to_string(sizes.first->second)
                     + " in a bag)";
        }
    }
    return count > shown ? names + " and " + std::to_string(count - shown) + " more" : names;
}

FormatVerdict CheckCardHeld(const custody::FileSystem& cardFs, const std::string& card, const station::Archive& archive,
                            const std::string& serial, const OffloadRecords& records, unsigned threads)
{
    FormatVerdict verdict;
    std::vector<custody::FileEntry> cardFiles;
    if (!custody::ListCard(cardFs, card, cardFiles, verdict.why)) {
        return verdict;
    }
    if (cardFiles.empty()) {
        verdict.why = "the card is empty: nothing to format";
        return verdict;
    }
    const std::string bagsOf = "bag of " + serial + " in " + archive.Name();
    if (!custody::SerialNamesAFolder(serial)) {
        verdict.why = "no " + bagsOf + " (the serial number cannot name a folder)";
        return verdict;
    }
    const custody::FileSystem& fs = archive.Files();
    const std::vector<std::string> bags = archive.BagsOf(serial);
    BagSearch search;
    for (const std::string& bag : bags) {
        const std::string shown = archive.Shown(bag);
        std::vector<custody::FileEntry> bagFiles;
        std::string why;
        if (!fs.ListFiles(fs.Join(bag, "data"), bagFiles, why)) {
            KeepFirst(search.problem, shown, ": data cannot be listed: " + why);
        } else if (!custody::HoldsExactly(cardFiles, bagFiles, why)) {
            KeepFirst(search.difference, shown, ": " + why);
            search.listed.push_back(std::move(bagFiles));
        } else if (const std::string problem = BagProblem(archive, bag, serial, records, threads); !problem.empty()) {
            KeepFirst(search.problem, shown, " holds the card's files but " + problem);
        } else {
            verdict.ok = true;
            verdict.bag = shown;
            return verdict;
        }
    }
    verdict.why = Refusal(cardFiles, search, bags.size(), bagsOf);
    return verdict;
}
