// The tag files an offload writes around its verified payload, the bags
// below a folder, and Payload-Oxum.
#include "custody/Bag.h"

#include <algorithm>
#include <optional>
#include <set>

#include "core/Hash.h"
#include "custody/ArchiveFolders.h"
#include "custody/BagPaths.h"
#include "platform/NameKey.h"
#include "custody/TagFileIo.h"

namespace custody {
namespace {

bool HasLineBreak(const std::string& text)
{
    return text.find_first_of("\r\n") != std::string::npos;
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool IsLowerHex(const std::string& text, std::size_t digits)
{
    return text.size() == digits && std::all_of(text.begin(), text.end(), [](char c) {
               return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
           });
}

// Values are never folded over lines: readers differ in what a fold
// means, and a value must read back as it was given.
bool InfoFieldProblem(const std::string& label, const std::string& value, std::string& error)
{
    if (label.empty() || label.find(':') != std::string::npos || HasLineBreak(label) || IsBlank(label.front())
        || IsBlank(label.back())) {
        error = "bag-info.txt: '" + label + "' cannot be a label (empty, ':', a line break or spaces around it)";
        return true;
    }
    if (HasLineBreak(value)) {
        error = "bag-info.txt: the value of " + label + " holds a line break";
        return true;
    }
    return false;
}

void AppendElement(std::string& text, const std::string& label, const std::string& value)
{
    text.append(label).append(": ").append(value).append("\n");
}

bool BuildBagInfo(const BagInfo& info, const std::string& oxum, std::string& text, std::string& error)
{
    bool oxumWritten = false;
    for (const auto& [label, value] : info) {
        if (InfoFieldProblem(label, value, error)) {
            return false;
        }
        if (label == "Payload-Oxum") {
            if (!value.empty() || oxumWritten) {
                error = "bag-info.txt: Payload-Oxum is computed, not given";
                return false;
            }
            AppendElement(text, label, oxum);
            oxumWritten = true;
            continue;
        }
        AppendElement(text, label, value);
    }
    if (!oxumWritten) {
        AppendElement(text, "Payload-Oxum", oxum);
    }
    return true;
}

bool BuildManifest(const std::vector<PayloadFile>& files, std::string& text, std::string& error)
{
    std::vector<const PayloadFile*> sorted;
    std::set<std::string> keys;
    for (const PayloadFile& file : files) {
        const std::string path = "data/" + file.path;
        const std::string problem = PathProblem(path);
        if (!problem.empty()) {
            error = EncodeBagPath(path) + ": " + problem;
            return false;
        }
        if (!IsLowerHex(file.sha256, 64)) {
            error = EncodeBagPath(path) + ": '" + file.sha256 + "' is not a SHA-256 in lowercase hex";
            return false;
        }
        if (!keys.insert(NameKey(path)).second) {
            error = EncodeBagPath(path) + ": listed twice (names compared as Windows compares them)";
            return false;
        }
        sorted.push_back(&file);
    }
    std::sort(sorted.begin(), sorted.end(), [](const PayloadFile* a, const PayloadFile* b) { return a->path < b->path; });
    for (const PayloadFile* file : sorted) {
        // Two spaces, as sha256sum writes them: `sha256sum -c` reads it too.
        text += file->sha256 + "  data/" + EncodeBagPath(file->path) + "\n";
    }
    return true;
}

bool IsUnfinishedOffload(const std::string& name)
{
    const std::optional<OffloadFolderName> parsed = ParseOffloadFolderName(name);
    return parsed && parsed->partial;
}

// The last name of a path as the user gave it, whichever separator.
std::string LastName(std::string path)
{
    while (path.size() > 1 && (path.back() == '/' || path.back() == '\\')) {
        path.pop_back();
    }
    const std::size_t separator = path.find_last_of("/\\");
    return separator == std::string::npos ? path : path.substr(separator + 1);
}

// A folder found by name: a bag, an unfinished offload, or one to search.
bool Classify(const FileSystem& fs, const std::string& folder, const std::string& name,
              std::vector<FoundFolder>& found)
{
    if (IsUnfinishedOffload(name)) {
        found.push_back({FoundFolder::Kind::Unfinished, folder, {}});
        return true;
    }
    if (fs.Exists(fs.Join(folder, "bagit.txt"))) {
        found.push_back({FoundFolder::Kind::Bag, folder, {}});
        return true;
    }
    return false;
}

void SearchBags(const FileSystem& fs, const std::string& folder, std::vector<FoundFolder>& found)
{
    std::vector<std::string> names;
    if (!fs.ListFolders(folder, names)) {
        const std::string why = fs.LastError();
        found.push_back({FoundFolder::Kind::Unlisted, folder, why.empty() ? "cannot list " + folder : why});
        return;
    }
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        const std::string child = fs.Join(folder, name);
        if (!Classify(fs, child, name, found)) {
            SearchBags(fs, child, found);
        }
    }
}

}  // namespace

std::string PayloadOxum(const std::vector<PayloadFile>& files)
{
    std::uint64_t octets = 0;
    for (const PayloadFile& file : files) {
        octets += file.size;
    }
    return std::to_string(octets) + "." + std::to_string(files.size());
}

bool WriteBagTags(FileSystem& fs, const std::string& bag, const std::vector<PayloadFile>& files,
                  const BagInfo& info, std::string& tagManifestSha256, std::string& error)
{
    tagManifestSha256.clear();
    std::string bagInfo;
    std::string manifest;
    if (!BuildBagInfo(info, PayloadOxum(files), bagInfo, error) || !BuildManifest(files, manifest, error)) {
        return false;
    }
    const std::pair<const char*, std::string> tags[] = {
        {"bagit.txt", "BagIt-Version: 1.0\nTag-File-Character-Encoding: UTF-8\n"},
        {"bag-info.txt", bagInfo},
        {"manifest-sha256.txt", manifest},
    };
    std::string tagManifest;
    for (const auto& [name, bytes] : tags) {
        const std::string sha256 = HashHex(HashAlgorithm::Sha256, bytes);
        if (sha256.empty()) {
            error = std::string(name) + ": the platform could not compute its SHA-256";
            return false;
        }
        if (!WriteTagFile(fs, fs.Join(bag, name), bytes, error)) {
            error.insert(0, std::string(name) + ": ");
            return false;
        }
        tagManifest += sha256 + "  " + name + "\n";
    }
    if (!WriteTagFile(fs, fs.Join(bag, "tagmanifest-sha256.txt"), tagManifest, error)) {
        error = "tagmanifest-sha256.txt: " + error;
        return false;
    }
    tagManifestSha256 = HashHex(HashAlgorithm::Sha256, tagManifest);
    return true;
}

std::vector<FoundFolder> FindBags(const FileSystem& fs, const std::string& path)
{
    std::vector<FoundFolder> found;
    if (!Classify(fs, path, LastName(path), found)) {
        SearchBags(fs, path, found);
    }
    return found;
}

}  // namespace custody
