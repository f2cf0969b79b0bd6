#include "objectstore/StoreVerify.h"

#include <algorithm>
#include <optional>

#include "custody/ArchiveFolders.h"
#include "objectstore/StoreFileSystem.h"
#include "objectstore/StoreOffload.h"

namespace objectstore {
namespace {

constexpr const char* kAnchorFolder = "_audit";
// Objects stream over the network: a few more at once than there are cores
// keep the store busy while each waits for its next bytes.
constexpr unsigned kLeastStreams = 4;

using custody::FoundFolder;

enum class Presence { Present, Missing, Unknown };

Presence ObjectPresence(S3Client& client, const std::string& bucket, const std::string& key, S3Error& error)
{
    ObjectInfo info;
    error = client.HeadObject(bucket, key, info);
    if (error.Ok()) {
        return Presence::Present;
    }
    return error.httpStatus == 404 ? Presence::Missing : Presence::Unknown;
}

class BagSearch {
public:
    BagSearch(S3Client& client, const std::string& bucket) : client_(client), bucket_(bucket), store_(client, bucket) {}

    // False when `prefix` is a bag or an unfinished one (then found), or
    // could not be looked at.
    bool Classify(const std::string& prefix, const std::string& name)
    {
        const std::optional<custody::OffloadFolderName> offload = custody::ParseOffloadFolderName(name);
        const char* marker = offload && !offload->partial ? kTagManifestName : "bagit.txt";
        S3Error error;
        switch (ObjectPresence(client_, bucket_, store_.Join(prefix, marker), error)) {
        case Presence::Present:
            found_.push_back({FoundFolder::Kind::Bag, prefix, {}});
            return false;
        case Presence::Unknown:
            found_.push_back({FoundFolder::Kind::Unlisted, prefix, Describe(error)});
            return false;
        case Presence::Missing:
            break;
        }
        if (offload && !offload->partial && store_.IsFolder(prefix)) {
            found_.push_back({FoundFolder::Kind::Unfinished, prefix, {}});
            return false;
        }
        return true;
    }

    void Search(const std::string& prefix)
    {
        std::vector<std::string> names;
        if (!store_.ListFolders(prefix, names)) {
            found_.push_back({FoundFolder::Kind::Unlisted, prefix, store_.LastError()});
            return;
        }
        std::sort(names.begin(), names.end());
        for (const std::string& name : names) {
            const std::string child = store_.Join(prefix, name);
            if (name != kAnchorFolder && Classify(child, name)) {
                Search(child);
            }
        }
    }

    std::vector<FoundFolder> Found() { return std::move(found_); }

private:
    S3Client& client_;
    const std::string& bucket_;
    StoreFileSystem store_;
    std::vector<FoundFolder> found_;
};

std::string LastName(const std::string& prefix)
{
    const std::size_t slash = prefix.rfind('/');
    return slash == std::string::npos ? prefix : prefix.substr(slash + 1);
}

}  // namespace

custody::BagVerdict VerifyStoreBag(S3Client& client, const std::string& bucket, const std::string& bagPrefix,
                                   const custody::BagCheckRequest& request)
{
    StoreFileSystem store(client, bucket);
    S3Error error;
    custody::BagVerdict verdict;
    switch (ObjectPresence(client, bucket, store.Join(bagPrefix, kTagManifestName), error)) {
    case Presence::Present: {
        custody::BagCheckRequest streamed = request;
        streamed.threads = std::max(request.threads, kLeastStreams);
        return custody::VerifyBag(store, bagPrefix, streamed);
    }
    case Presence::Missing:
        verdict.why = store.IsFolder(bagPrefix)
                          ? std::string(kTagManifestName) + ": missing (an unfinished offload: not a bag yet)"
                          : StoreUrl(bucket, bagPrefix) + ": no object there";
        return verdict;
    case Presence::Unknown:
        break;
    }
    verdict.why = std::string(kTagManifestName) + ": cannot be read (" + Describe(error) + ")";
    return verdict;
}

std::vector<custody::FoundFolder> FindStoreBags(S3Client& client, const S3Location& location)
{
    BagSearch search(client, location.bucket);
    if (location.prefix.empty() || search.Classify(location.prefix, LastName(location.prefix))) {
        search.Search(location.prefix);
    }
    return search.Found();
}

}  // namespace objectstore
