#include "objectstore/AuditAnchors.h"

#include <map>

#include "core/Hash.h"
#include "custody/ArchiveFolders.h"
#include "objectstore/MemoryBodies.h"

namespace objectstore {
namespace {

std::string AnchorFolder(const S3Location& archive, const std::string& computer)
{
    return (archive.prefix.empty() ? "" : archive.prefix + "/") + "_audit/" + computer + "/";
}

// "<seq>-<64 hex>.json"; false for any other name.
bool ParseAnchorName(const std::string& name, std::uint64_t& seq, std::string& hash)
{
    const std::size_t dash = name.find('-');
    const std::string suffix = ".json";
    if (dash == std::string::npos || dash == 0 || dash > 19 || name.size() != dash + 1 + 64 + suffix.size()
        || name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0) {
        return false;
    }
    seq = 0;
    for (std::size_t i = 0; i < dash; ++i) {
        if (name[i] < '0' || name[i] > '9') {
            return false;
        }
        seq = seq * 10 + static_cast<std::uint64_t>(name[i] - '0');
    }
    hash = name.substr(dash + 1, 64);
    return seq > 0 && hash.find_first_not_of("0123456789abcdef") == std::string::npos;
}

}  // namespace

S3Error WriteAnchor(S3Client& client, const S3Location& archive, const std::string& computer, std::uint64_t seq,
                    const std::string& line, const ObjectLock& lock)
{
    S3Error error;
    const std::string hash = HashHex(HashAlgorithm::Sha256, line);
    if (!custody::SerialNamesAFolder(computer) || hash.empty()) {
        error.problem = S3Problem::LocalIo;
        return error;
    }
    const std::string key = AnchorFolder(archive, computer) + std::to_string(seq) + "-" + hash + ".json";
    StringSource body(line + "\n");
    return client.PutObject(archive.bucket, key, body, DigestsOf(line + "\n"), lock);
}

AnchorCheck CheckAnchors(S3Client& client, const S3Location& archive, const std::string& computer,
                         const std::vector<std::string>& lines)
{
    AnchorCheck check;
    const std::string folder = AnchorFolder(archive, computer);
    // A seq anchored twice holds two lines, of which the file holds one.
    std::multimap<std::uint64_t, std::string> anchored;
    std::string token;
    do {
        ObjectListing page;
        check.store = client.ListObjectsV2(archive.bucket, folder, "", token, page);
        if (!check.store.Ok()) {
            check.why = "the anchors cannot be listed: " + Describe(check.store);
            return check;
        }
        for (const ObjectInfo& object : page.objects) {
            std::uint64_t seq = 0;
            std::string hash;
            if (ParseAnchorName(object.key.substr(folder.size()), seq, hash)) {
                anchored.emplace(seq, hash);
            }
        }
        token = page.nextContinuationToken;
    } while (!token.empty());
    check.anchors = anchored.size();
    for (const auto& [seq, hash] : anchored) {
        if (seq > lines.size()) {
            check.firstBroken = seq;
            check.why = "line " + std::to_string(seq) + " is anchored in the store but missing from the file";
            return check;
        }
        if (HashHex(HashAlgorithm::Sha256, lines[seq - 1]) != hash) {
            check.firstBroken = seq;
            check.why = "line " + std::to_string(seq) + " differs from the line anchored in the store";
            return check;
        }
    }
    check.ok = true;
    return check;
}

}  // namespace objectstore
