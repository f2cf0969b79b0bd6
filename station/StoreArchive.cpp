#include "station/StoreArchive.h"

#include <algorithm>
#include <optional>

#include "custody/ArchiveFolders.h"
#include "objectstore/AuditAnchors.h"
#include "objectstore/StoreFileSystem.h"
#include "objectstore/StoreOffload.h"
#include "objectstore/StoreVerify.h"
#include "platform/UtcTime.h"

namespace station {
namespace {

using objectstore::LockMode;

constexpr std::int64_t kSecondsPerDay = 24 * 60 * 60;

std::string LastName(const std::string& key)
{
    const std::size_t slash = key.rfind('/');
    return slash == std::string::npos ? key : key.substr(slash + 1);
}

// What the audit line records of a bag's lock: the mode, and the earliest
// retain-until of its objects (those of its first attempt, which named it).
nlohmann::ordered_json LockDetails(const objectstore::StoreBagResult& result, std::int32_t retainDays)
{
    if (result.lock.mode == LockMode::None) {
        return nlohmann::ordered_json::object();
    }
    std::int64_t until = result.lock.retainUntil;
    if (const auto name = custody::ParseOffloadFolderName(LastName(result.bag))) {
        until = std::min(until, name->started + retainDays * kSecondsPerDay);
    }
    return {{"lock_mode", objectstore::LockModeName(result.lock.mode)}, {"retain_until", custody::UtcIso(until)}};
}

}  // namespace

StoreArchive::StoreArchive(platform::Host& host, const objectstore::S3Location& location,
                           const objectstore::StoreSettings& settings, const StoreLockSettings& lock)
    : host_(host),
      location_(location),
      lock_(lock),
      name_(objectstore::StoreUrl(location.bucket, location.prefix)),
      transport_(objectstore::MakePlatformTransport({})),
      client_(std::make_unique<objectstore::S3Client>(settings, *transport_)),
      files_(std::make_unique<objectstore::StoreFileSystem>(*client_, location.bucket))
{
    if (lock_.mode == LockMode::None) {
        lock_.mode = LockMode::Compliance;
    }
}

StoreArchive::~StoreArchive() = default;

std::string StoreArchive::Shown(const std::string& bag) const
{
    return objectstore::StoreUrl(location_.bucket, bag);
}

std::string StoreArchive::Problem(bool writing)
{
    objectstore::S3Error error;
    if (writing && lock_.retainDays > 0) {
        objectstore::LockConfiguration configuration;
        error = client_->GetObjectLockConfiguration(location_.bucket, configuration);
        if (error.Ok() && !configuration.enabled) {
            error.problem = objectstore::S3Problem::NoObjectLock;
        }
    } else {
        error = client_->HeadBucket(location_.bucket);
    }
    return error.Ok() ? "" : name_ + ": " + objectstore::Describe(error);
}

custody::OffloadResult StoreArchive::Offload(const custody::FileSystem& cardFs, const custody::OffloadRequest& request,
                                             nlohmann::ordered_json& lock)
{
    objectstore::StoreBagRequest store;
    store.archive = location_;
    store.card = request.card;
    store.serial = request.serial;
    store.info = request.info;
    store.retainDays = lock_.retainDays;
    store.lockMode = lock_.mode;
    store.clock = request.clock;
    store.interrupted = request.interrupted;
    store.progress = request.progress;
    objectstore::StoreBagResult result = objectstore::OffloadCardToStore(*client_, cardFs, store);
    lock = LockDetails(result, lock_.retainDays);
    return std::move(result);  // what a folder's offload tells too
}

const custody::FileSystem& StoreArchive::Files() const
{
    return *files_;
}

std::vector<std::string> StoreArchive::BagsOf(const std::string& serial) const
{
    const std::string serialPrefix = files_->Join(location_.prefix, serial);
    std::vector<std::pair<custody::OffloadFolderName, std::string>> bags;
    for (const custody::FoundFolder& found : objectstore::FindStoreBags(*client_, {location_.bucket, serialPrefix})) {
        const auto name = custody::ParseOffloadFolderName(LastName(found.path));
        if (found.kind == custody::FoundFolder::Kind::Bag && name && !name->partial) {
            bags.emplace_back(*name, found.path);
        }
    }
    std::sort(bags.begin(), bags.end(), [](const auto& a, const auto& b) { return a.first.NewerThan(b.first); });
    std::vector<std::string> paths;
    paths.reserve(bags.size());
    for (auto& bag : bags) {
        paths.push_back(std::move(bag.second));
    }
    return paths;
}

std::vector<custody::FoundFolder> StoreArchive::FindBags() const
{
    return objectstore::FindStoreBags(*client_, location_);
}

custody::BagVerdict StoreArchive::VerifyBag(const std::string& bag, const custody::BagCheckRequest& request) const
{
    return objectstore::VerifyStoreBag(*client_, location_.bucket, bag, request);
}

bool StoreArchive::Anchor(std::uint64_t seq, const std::string& line, std::string& why) const
{
    objectstore::ObjectLock lock;
    if (lock_.retainDays > 0) {
        lock = {lock_.mode, host_.UtcSeconds() + lock_.retainDays * kSecondsPerDay};
    }
    const objectstore::S3Error error =
        objectstore::WriteAnchor(*client_, location_, host_.ComputerName(), seq, line, lock);
    if (!error.Ok()) {
        why = "line " + std::to_string(seq) + " could not be anchored in " + name_ + ": " + objectstore::Describe(error);
    }
    return error.Ok();
}

AnchorVerdict StoreArchive::CheckAnchors(const std::string& computer, const std::vector<std::string>& lines) const
{
    const objectstore::AnchorCheck check = objectstore::CheckAnchors(*client_, location_, computer, lines);
    AnchorVerdict verdict;
    verdict.ok = check.ok;
    verdict.anchors = check.anchors;
    verdict.firstBroken = check.firstBroken;
    verdict.why = check.store.Ok() ? check.why : name_ + ": " + objectstore::Describe(check.store);
    return verdict;
}

}  // namespace station
