// The archive as a folder of this PC (or a share): custody's bags on the
// file system the card is read through too.
#pragma once

#include <string>

#include "platform/Host.h"
#include "station/Archive.h"

namespace station {

class FolderArchive final : public Archive {
public:
    // `folder` a full path. With `host`, Problem(true) also proves that a
    // folder can be made in it (a trial folder, removed again).
    FolderArchive(custody::FileSystem& fs, std::string folder, platform::Host* host = nullptr);

    const std::string& Name() const override { return folder_; }
    std::string Shown(const std::string& bag) const override { return bag; }
    std::string Problem(bool writing) override;
    // The card is read through the archive's own file system: both are this
    // PC's.
    custody::OffloadResult Offload(const custody::FileSystem& cardFs, const custody::OffloadRequest& request,
                                   nlohmann::ordered_json& lock) override;
    const custody::FileSystem& Files() const override { return fs_; }
    std::vector<std::string> BagsOf(const std::string& serial) const override;
    std::vector<custody::FoundFolder> FindBags() const override;
    custody::BagVerdict VerifyBag(const std::string& bag, const custody::BagCheckRequest& request) const override;

private:
    custody::FileSystem& fs_;
    std::string folder_;
    platform::Host* host_;
};

}  // namespace station
