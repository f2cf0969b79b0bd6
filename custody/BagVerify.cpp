// The full check of a bag, any bag: its declaration, every manifest and tag
// manifest against the files present, fetch.txt, Payload-Oxum, and every
// hash. Names are matched as Windows matches them.
#include <algorithm>
#include <map>
#include <set>

#include "core/Hash.h"
#include "custody/Bag.h"
#include "custody/BagPaths.h"
#include "custody/FileHashing.h"
#include "platform/NameKey.h"
#include "custody/TagFileIo.h"
#include "custody/TagFiles.h"

namespace custody {
namespace {

struct Manifest {
    std::string file;       // "manifest-sha256.txt"
    std::string algorithm;  // "sha256"
    bool known = false;       // its checksums' length is known
    bool computable = false;  // and this platform computes it
    HashAlgorithm hash = HashAlgorithm::Sha256;
    bool payload = true;
    std::vector<ManifestEntry> entries;
};

// Hex digits of an algorithm not computed here, so that its lines are
// checked all the same.
std::size_t OtherHexDigits(const std::string& algorithm)
{
    return algorithm == "sha384" ? 96 : 0;
}

std::string Shown(const std::string& path)
{
    return EncodeBagPath(path);
}

class BagCheck {
public:
    BagCheck(const FileSystem& fs, std::string bag, const BagCheckRequest& request)
        : fs_(fs), bag_(std::move(bag)), request_(request)
    {
    }

    BagVerdict Run()
    {
        const bool checked = !StopAsked() && ReadDeclaration() && ListFiles() && ReadManifests() && TakeWrittenPaths() && CheckDuplicates()
                             && CheckFetch() && CheckCoverage() && CheckPayloadOxum() && CheckComputable()
                             && CheckHashes();
        verdict_.valid = checked && problems_.empty() && !verdict_.stopped;
        if (!problems_.empty()) {
            verdict_.why = problems_.front();
            if (problems_.size() > 1) {
                verdict_.why += " (and " + std::to_string(problems_.size() - 1) + " more)";
            }
        }
        if (verdict_.stopped) {
            verdict_.why += (verdict_.why.empty() ? "" : "; ") + StopText();
        }
        return verdict_;
    }

private:
    std::string StopText() const
    {
        if (hashed_.filesTotal == 0) {
            return "stopped before any file was hashed";
        }
        return "stopped after " + std::to_string(hashed_.filesDone) + " of " + std::to_string(hashed_.filesTotal)
               + " files were hashed";
    }

    bool StopAsked()
    {
        verdict_.stopped = request_.stop && request_.stop();
        return verdict_.stopped;
    }

    // Records a problem; a step stops the check after its own problems.
    bool Problem(const std::string& file, const std::string& rule)
    {
        problems_.push_back(file + ": " + rule);
        return false;
    }

    void Warn(const std::string& file, const std::string& rule) { verdict_.warnings.push_back(file + ": " + rule); }

    // `name` as the bag's listing spells it.
    bool ReadTag(const std::string& name, std::string& text)
    {
        std::string bytes;
        std::string why;
        if (!ReadTagFile(fs_, fs_.Join(bag_, name), bytes, why)) {
            return Problem(name, "cannot be read (" + why + ")");
        }
        if (!DecodeTagText(bytes, declaration_.encoding, text, why)) {
            return Problem(name, why);
        }
        return true;
    }

    bool ReadDeclaration()
    {
        std::string bytes;
        std::string why;
        if (!fs_.Exists(fs_.Join(bag_, "bagit.txt"))) {
            return Problem("bagit.txt", "missing (not a bag)");
        }
        if (!ReadTagFile(fs_, fs_.Join(bag_, "bagit.txt"), bytes, why)) {
            return Problem("bagit.txt", "cannot be read (" + why + ")");
        }
        if (!ParseBagDeclaration(bytes, declaration_, why)) {
            return Problem("bagit.txt", why);
        }
        version1_ = declaration_.version == "1.0";
        return true;
    }

    bool ListFiles()
    {
        std::string error;
        if (!HasPayloadFolder()) {
            return Problem("data", "missing (the payload folder)");
        }
        if (!fs_.ListFiles(bag_, files_, error)) {
            problems_.push_back(error);
            return false;
        }
        std::sort(files_.begin(), files_.end(),
                  [](const FileEntry& a, const FileEntry& b) { return a.relativePath < b.relativePath; });
        for (const FileEntry& file : files_) {
            const auto placed = byKey_.emplace(NameKey(file.relativePath), &file);
            if (!placed.second) {
                Problem(Shown(placed.first->second->relativePath) + " and " + Shown(file.relativePath),
                        "one name on Windows");
            }
            if (IsPayloadPath(file.relativePath)) {
                payload_.push_back(&file);
            }
        }
        return problems_.empty();
    }

    bool HasPayloadFolder() const
    {
        std::vector<std::string> folders;
        fs_.ListFolders(bag_, folders);
        return std::any_of(folders.begin(), folders.end(),
                           [](const std::string& name) { return IsPayloadPath(name + "/"); });
    }

    bool ReadManifests()
    {
        for (const FileEntry& file : files_) {
            const std::string& name = file.relativePath;
            Manifest manifest;
            const bool isPayload = name.compare(0, 9, "manifest-") == 0;
            const bool isTag = name.compare(0, 12, "tagmanifest-") == 0;
            if ((!isPayload && !isTag) || name.size() < 4 || name.compare(name.size() - 4, 4, ".txt") != 0
                || name.find('/') != std::string::npos) {
                continue;
            }
            const std::size_t start = isPayload ? 9 : 12;
            manifest.file = name;
            manifest.payload = isPayload;
            manifest.algorithm = name.substr(start, name.size() - 4 - start);
            manifest.known = ParseHashName(manifest.algorithm, manifest.hash);
            manifest.computable = manifest.known && HashComputable(manifest.hash);
            if (!ReadManifest(manifest)) {
                continue;
            }
            manifests_.push_back(std::move(manifest));
        }
        if (problems_.empty()
            && std::none_of(manifests_.begin(), manifests_.end(), [](const Manifest& m) { return m.payload; })) {
            return Problem("manifest-ALGORITHM.txt", "missing (no payload manifest)");
        }
        return problems_.empty();
    }

    bool ReadManifest(Manifest& manifest)
    {
        std::string text;
        std::string why;
        if (!ReadTag(manifest.file, text)) {
            return false;
        }
        const std::size_t digits = manifest.known ? 2 * DigestSize(manifest.hash) : OtherHexDigits(manifest.algorithm);
        if (!ParseManifest(text, digits, version1_, manifest.entries, why)) {
            return Problem(manifest.file, why);
        }
        for (const ManifestEntry& entry : manifest.entries) {
            if (manifest.payload && !IsPayloadPath(entry.path)) {
                return Problem(manifest.file, "line " + std::to_string(entry.line) + ": " + Shown(entry.path)
                                                  + " is not in data/");
            }
        }
        return true;
    }

    // Other tools encode only CR and LF in a manifest's paths, so a '%' of
    // theirs may be the name's own: where the decoded path names no file
    // and the path as written does, that file is meant.
    bool TakeWrittenPaths()
    {
        for (Manifest& manifest : manifests_) {
            for (ManifestEntry& entry : manifest.entries) {
                if (entry.written.empty() || Present(entry.path) || !Present(entry.written)
                    || !PathProblem(entry.written).empty() || (manifest.payload && !IsPayloadPath(entry.written))) {
                    continue;
                }
                Warn(manifest.file, "line " + std::to_string(entry.line) + ": " + entry.written
                                        + " taken as written: no file has the name it decodes to (the tool that "
                                          "wrote it left '%' unencoded)");
                entry.path = entry.written;
            }
        }
        return true;
    }

    // From 1.0 each file is listed once; before, the same file listed
    // again with the same checksum was tolerated.
    bool CheckDuplicates()
    {
        for (Manifest& manifest : manifests_) {
            std::map<std::string, const ManifestEntry*> seen;
            for (const ManifestEntry& entry : manifest.entries) {
                const auto placed = seen.emplace(NameKey(entry.path), &entry);
                if (placed.second) {
                    continue;
                }
                const ManifestEntry& first = *placed.first->second;
                const std::string lines = " (lines " + std::to_string(first.line) + " and "
                                          + std::to_string(entry.line) + ")";
                if (version1_ || first.checksum != entry.checksum) {
                    Problem(manifest.file, Shown(entry.path) + " listed twice" + lines);
                } else {
                    Warn(manifest.file, Shown(entry.path) + " listed twice with the same checksum" + lines);
                }
            }
        }
        return problems_.empty();
    }

    const FileEntry* Present(const std::string& path) const
    {
        const auto found = byKey_.find(NameKey(path));
        return found == byKey_.end() ? nullptr : found->second;
    }

    bool CheckFetch()
    {
        const FileEntry* fetch = Present("fetch.txt");
        if (!fetch) {
            return true;
        }
        std::string text;
        std::string why;
        std::vector<FetchEntry> entries;
        if (!ReadTag(fetch->relativePath, text)) {
            return false;
        }
        if (!ParseFetch(text, version1_, entries, why)) {
            return Problem("fetch.txt", why);
        }
        for (const FetchEntry& entry : entries) {
            if (!IsPayloadPath(entry.path)) {
                Problem("fetch.txt", "line " + std::to_string(entry.line) + ": " + Shown(entry.path) + " is not in data/");
            } else if (!Present(entry.path)) {
                Problem(Shown(entry.path), "listed in fetch.txt but not present (the bag is incomplete)");
            }
        }
        return problems_.empty();
    }

    bool CheckCoverage()
    {
        std::map<std::string, std::vector<const Manifest*>> listedIn;
        for (const Manifest& manifest : manifests_) {
            for (const ManifestEntry& entry : manifest.entries) {
                const FileEntry* file = Present(entry.path);
                if (!file) {
                    Problem(Shown(entry.path), "listed in " + manifest.file + " but missing");
                } else if (manifest.payload) {
                    listedIn[file->relativePath].push_back(&manifest);
                }
            }
        }
        for (const FileEntry* file : payload_) {
            CheckListedEverywhere(*file, listedIn[file->relativePath]);
        }
        return problems_.empty();
    }

    // From 1.0 every payload manifest lists every payload file; before,
    // one of them had to.
    void CheckListedEverywhere(const FileEntry& file, const std::vector<const Manifest*>& listedIn)
    {
        if (listedIn.empty()) {
            Problem(Shown(file.relativePath), "in no payload manifest");
            return;
        }
        for (const Manifest& manifest : manifests_) {
            if (!manifest.payload || std::find(listedIn.begin(), listedIn.end(), &manifest) != listedIn.end()) {
                continue;
            }
            if (version1_) {
                Problem(Shown(file.relativePath), "not in " + manifest.file);
            } else {
                Warn(Shown(file.relativePath), "not in " + manifest.file);
            }
        }
    }

    bool CheckPayloadOxum()
    {
        const FileEntry* bagInfo = Present("bag-info.txt");
        if (!bagInfo) {
            return true;
        }
        std::string text;
        std::string why;
        std::vector<BagInfoElement> elements;
        if (!ReadTag(bagInfo->relativePath, text)) {
            return false;
        }
        if (!ParseBagInfo(text, elements, why)) {
            return Problem("bag-info.txt", why);
        }
        std::uint64_t octets = 0;
        for (const FileEntry* file : payload_) {
            octets += file->size;
        }
        const std::string actual = std::to_string(octets) + "." + std::to_string(payload_.size());
        for (const BagInfoElement& element : elements) {
            std::uint64_t statedOctets = 0;
            std::uint64_t statedStreams = 0;
            if (element.label != "Payload-Oxum") {
                continue;
            }
            if (!ParsePayloadOxum(element.value, statedOctets, statedStreams)) {
                return Problem("bag-info.txt", "Payload-Oxum '" + element.value + "' is not OCTETS.STREAMS");
            }
            if (statedOctets != octets || statedStreams != payload_.size()) {
                return Problem("bag-info.txt", "Payload-Oxum " + std::to_string(statedOctets) + "."
                                                   + std::to_string(statedStreams) + " but the payload holds "
                                                   + actual);
            }
        }
        return true;
    }

    bool CheckComputable()
    {
        std::vector<std::string> payloadAlgorithms;
        bool anyComputable = false;
        for (const Manifest& manifest : manifests_) {
            if (manifest.payload) {
                payloadAlgorithms.push_back(manifest.algorithm);
                anyComputable = anyComputable || manifest.computable;
            }
        }
        if (anyComputable) {
            for (const Manifest& manifest : manifests_) {
                if (!manifest.computable) {
                    Warn(manifest.file, "not checked (" + manifest.algorithm + " cannot be computed here)");
                }
            }
            return true;
        }
        std::string list;
        for (const std::string& algorithm : payloadAlgorithms) {
            list += (list.empty() ? "" : ", ") + algorithm;
        }
        problems_.push_back("cannot be checked (" + list + ")");
        return false;
    }

    bool CheckHashes()
    {
        // Which file is to be hashed how, and what each manifest says of it.
        struct Expectation {
            const Manifest* manifest;
            std::string checksum;
        };
        std::map<const FileEntry*, std::vector<Expectation>> expected;
        for (const Manifest& manifest : manifests_) {
            if (!manifest.computable) {
                continue;
            }
            for (const ManifestEntry& entry : manifest.entries) {
                expected[Present(entry.path)].push_back({&manifest, entry.checksum});
            }
        }
        std::vector<HashRequest> requests;
        std::vector<const FileEntry*> order;
        for (const auto& [file, expectations] : expected) {
            HashRequest request{fs_.Join(bag_, file->relativePath), file->size, {}};
            for (const Expectation& expectation : expectations) {
                request.algorithms.push_back(expectation.manifest->hash);
            }
            hashed_.bytesTotal += file->size;
            requests.push_back(std::move(request));
            order.push_back(file);
        }
        hashed_.filesTotal = requests.size();
        const std::vector<HashOutcome> outcomes = HashFiles(fs_, requests, request_.threads, HashHooks());
        for (std::size_t i = 0; i < order.size(); ++i) {
            const std::string shown = Shown(order[i]->relativePath);
            if (outcomes[i].stopped) {
                verdict_.stopped = true;
                continue;
            }
            if (!outcomes[i].error.empty()) {
                Problem(shown, "cannot be read (" + outcomes[i].error + ")");
                continue;
            }
            const std::vector<Expectation>& expectations = expected[order[i]];
            for (std::size_t j = 0; j < expectations.size(); ++j) {
                if (outcomes[i].hex[j] != expectations[j].checksum) {
                    Problem(shown, expectations[j].manifest->algorithm + " differs from "
                                       + expectations[j].manifest->file);
                }
            }
        }
        return problems_.empty();
    }

    // Called under HashFiles' lock: `hashed_` needs none of its own.
    HashControl HashHooks()
    {
        HashControl control;
        control.stop = request_.stop;
        control.hashed = [this](const HashCounts& counts) {
            hashed_.filesDone = counts.files;
            hashed_.bytesDone = counts.bytes;
            if (request_.progress) {
                request_.progress(hashed_);
            }
        };
        return control;
    }

    const FileSystem& fs_;
    const std::string bag_;
    const BagCheckRequest& request_;
    BagCheckProgress hashed_;
    BagDeclaration declaration_;
    bool version1_ = true;
    std::vector<FileEntry> files_;
    std::map<std::string, const FileEntry*> byKey_;
    std::vector<const FileEntry*> payload_;
    std::vector<Manifest> manifests_;
    std::vector<std::string> problems_;
    BagVerdict verdict_;
};

}  // namespace

BagVerdict VerifyBag(const FileSystem& fs, const std::string& bag, const BagCheckRequest& request)
{
    return BagCheck(fs, bag, request).Run();
}

BagVerdict VerifyBag(const FileSystem& fs, const std::string& bag, unsigned threads)
{
    BagCheckRequest request;
    request.threads = threads;
    return VerifyBag(fs, bag, request);
}

}  // namespace custody
