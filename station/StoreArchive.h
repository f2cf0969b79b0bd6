// The archive as a prefix in an S3-compatible object store: bags uploaded,
// read back and checked there (objectstore/), under Object Lock where asked,
// and the audit trail's outcome lines anchored beside them.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "objectstore/S3Client.h"
#include "objectstore/S3Settings.h"
#include "platform/Host.h"
#include "station/Archive.h"

namespace station {

struct StoreLockSettings {
    // Above 0: every object locked this many days from its upload, and a
    // bucket without Object Lock refused. 0: the bucket's default.
    std::int32_t retainDays = 0;
    objectstore::LockMode mode = objectstore::LockMode::Compliance;
};

class StoreArchive final : public Archive {
public:
    // `host` (its clock and computer name) must outlive the archive.
    StoreArchive(platform::Host& host, const objectstore::S3Location& location,
                 const objectstore::StoreSettings& settings, const StoreLockSettings& lock);
    ~StoreArchive() override;

    const std::string& Name() const override { return name_; }
    std::string Shown(const std::string& bag) const override;
    std::string Problem(bool writing) override;
    custody::OffloadResult Offload(const custody::FileSystem& cardFs, const custody::OffloadRequest& request,
                                   nlohmann::ordered_json& lock) override;
    const custody::FileSystem& Files() const override;
    std::vector<std::string> BagsOf(const std::string& serial) const override;
    std::vector<custody::FoundFolder> FindBags() const override;
    custody::BagVerdict VerifyBag(const std::string& bag, const custody::BagCheckRequest& request) const override;
    bool Anchor(std::uint64_t seq, const std::string& line, std::string& why) const override;
    AnchorVerdict CheckAnchors(const std::string& computer, const std::vector<std::string>& lines) const override;

private:
    platform::Host& host_;
    objectstore::S3Location location_;
    StoreLockSettings lock_;
    std::string name_;
    std::unique_ptr<objectstore::HttpTransport> transport_;
    std::unique_ptr<objectstore::S3Client> client_;
    std::unique_ptr<custody::FileSystem> files_;
};

}  // namespace station
