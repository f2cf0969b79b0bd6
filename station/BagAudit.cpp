#include "station/BagAudit.h"

#include <algorithm>
#include <cctype>

#include <nlohmann/json.hpp>

#include "audit/AuditFile.h"
#include "core/Hash.h"
#include "platform/NameKey.h"
#include "custody/TagFileIo.h"
#include "station/AgentNames.h"

namespace {

// The tag files a tag manifest of this tool's bags must cover.
constexpr const char* kCoveredTagFiles[] = {"bagit.txt", "bag-info.txt", "manifest-sha256.txt"};
constexpr const char* kTagManifest = "tagmanifest-sha256.txt";
constexpr std::size_t kSha256HexDigits = 64;

// "<serial>/<bag name>" of a bag's path, in either separator, as keys.
std::string BagKey(const std::string& bag)
{
    std::vector<std::string> parts;
    std::string part;
    for (const char c : bag + "/") {
        if (c != '/' && c != '\\') {
            part += c;
        } else if (!part.empty()) {
            parts.push_back(part);
            part.clear();
        }
    }
    if (parts.size() < 2) {
        return parts.empty() ? "" : custody::NameKey(parts.back());
    }
    return custody::NameKey(parts[parts.size() - 2]) + "/" + custody::NameKey(parts.back());
}

bool SameLabel(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

std::string StringAt(const nlohmann::json& object, const char* key)
{
    const auto found = object.find(key);
    return found != object.end() && found->is_string() ? found->get<std::string>() : "";
}

bool ReadDeclaration(const custody::FileSystem& fs, const std::string& bag, custody::BagDeclaration& declaration,
                     std::string& why)
{
    std::string bytes;
    return custody::ReadTagFile(fs, fs.Join(bag, "bagit.txt"), bytes, why)
           && custody::ParseBagDeclaration(bytes, declaration, why);
}

// The tag manifest's bytes, and why it does not cover the tag files of a
// bag this tool made; empty when it does.
std::string TagManifestProblem(const custody::FileSystem& fs, const std::string& bag, const std::string& madeBy,
                               std::string& bytes)
{
    custody::BagDeclaration declaration;
    std::string why;
    if (!fs.Exists(fs.Join(bag, kTagManifest))) {
        return madeBy + kTagManifest + " is missing";
    }
    std::string text;
    std::vector<custody::ManifestEntry> entries;
    if (!ReadDeclaration(fs, bag, declaration, why)
        || !custody::ReadTagFile(fs, fs.Join(bag, kTagManifest), bytes, why)
        || !custody::DecodeTagText(bytes, declaration.encoding, text, why)
        || !custody::ParseManifest(text, kSha256HexDigits, declaration.version == "1.0", entries, why)) {
        return std::string(kTagManifest) + ": " + why;
    }
    for (const char* tag : kCoveredTagFiles) {
        const bool covered = std::any_of(entries.begin(), entries.end(), [tag](const custody::ManifestEntry& entry) {
            return custody::NameKey(entry.path) == custody::NameKey(tag);
        });
        if (!covered) {
            return madeBy + kTagManifest + " does not cover " + tag;
        }
    }
    return "";
}

}  // namespace

void OffloadRecords::Take(std::uint64_t number, std::string_view line)
{
    // Only an offload's outcome names a tag manifest: the rest need no parse.
    if (line.find("\"tagmanifest_sha256\"") == std::string_view::npos) {
        return;
    }
    const nlohmann::json object = nlohmann::json::parse(line.begin(), line.end(), nullptr, false);
    if (!object.is_object() || StringAt(object, "action") != "offload") {
        return;
    }
    OffloadRecord record;
    record.line = number;
    record.outcome = StringAt(object, "outcome");
    record.payloadOxum = StringAt(object, "payload_oxum");
    record.tagManifestSha256 = StringAt(object, "tagmanifest_sha256");
    const std::string bag = StringAt(object, "bag");
    if (!bag.empty()) {
        byBag_[BagKey(bag)] = record;
    }
}

const OffloadRecord* OffloadRecords::Find(const std::string& bag) const
{
    const auto found = byBag_.find(BagKey(bag));
    return found == byBag_.end() ? nullptr : &found->second;
}

bool ReadBagInfo(const custody::FileSystem& fs, const std::string& bag, std::vector<custody::BagInfoElement>& info,
                 std::string& why)
{
    custody::BagDeclaration declaration;
    std::string bytes;
    std::string text;
    return ReadDeclaration(fs, bag, declaration, why)
           && custody::ReadTagFile(fs, fs.Join(bag, "bag-info.txt"), bytes, why)
           && custody::DecodeTagText(bytes, declaration.encoding, text, why)
           && custody::ParseBagInfo(text, info, why);
}

std::string BagInfoValue(const std::vector<custody::BagInfoElement>& info, std::string_view label)
{
    const auto found = std::find_if(info.begin(), info.end(), [label](const custody::BagInfoElement& element) {
        return SameLabel(element.label, label);
    });
    return found == info.end() ? "" : found->value;
}

BagTie TieToAuditTrail(const custody::FileSystem& fs, const std::string& bag, const OffloadRecords& records)
{
    BagTie tie;
    const OffloadRecord* record = records.Find(bag);
    std::vector<custody::BagInfoElement> info;
    std::string why;
    const bool hasInfo = fs.Exists(fs.Join(bag, "bag-info.txt"));
    if (hasInfo && !ReadBagInfo(fs, bag, info, why)) {
        tie.ours = true;  // cannot tell whose it is: the trail cannot vouch for it
        tie.problem = "bag-info.txt: " + why;
        return tie;
    }
    const std::string agent = BagInfoValue(info, "Bag-Software-Agent");
    // A bag the trail names is this tool's even when its bag-info.txt no
    // longer says so.
    const std::string program = station::OurProgramIn(agent);
    tie.ours = record || !program.empty();
    if (!tie.ours) {
        return tie;
    }
    const std::string madeBy = "made by " + (program.empty() ? std::string(station::kCliProgram) : program) + ", but ";
    std::string tagManifest;
    tie.problem = TagManifestProblem(fs, bag, madeBy, tagManifest);
    if (!tie.problem.empty()) {
        return tie;
    }
    const std::string where = records.File() + (record ? " line " + std::to_string(record->line) : "");
    if (!record) {
        tie.problem = madeBy + "no offload line of the audit trail " + where + " names it";
    } else if (record->tagManifestSha256 != HashHex(HashAlgorithm::Sha256, tagManifest)) {
        tie.problem = std::string(kTagManifest) + ": differs from the one recorded at its offload (" + where
                      + "): the bag was changed and sealed again";
    } else if (record->payloadOxum != BagInfoValue(info, "Payload-Oxum")) {
        tie.problem = "Payload-Oxum \"" + BagInfoValue(info, "Payload-Oxum") + "\" differs from the \""
                      + record->payloadOxum + "\" recorded at its offload (" + where + ")";
    } else {
        tie.record = record;
    }
    return tie;
}

TrailRead ReadOffloadRecords(platform::Host& host, const platform::StopSignal& stop, const std::string& path, OffloadRecords& records, std::string& why)
{
    records = OffloadRecords(path);
    ChainReport report;
    std::string problem;
    const auto take = [&records](std::uint64_t number, std::string_view line) { records.Take(number, line); };
    if (!CheckAuditFile(host, stop, path, report, problem, take)) {
        why = "cannot read the audit file " + path + (problem.empty() ? "" : ": " + problem);
        return TrailRead::Unreadable;
    }
    if (!report.whole) {
        why = path + ":" + std::to_string(report.brokenAt) + ": " + report.why;
        return TrailRead::Broken;
    }
    return TrailRead::Ok;
}
