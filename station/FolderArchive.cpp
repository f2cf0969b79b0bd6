#include "station/FolderArchive.h"

#include <algorithm>

#include "custody/ArchiveFolders.h"
#include "station/ArchiveCheck.h"

namespace station {

FolderArchive::FolderArchive(custody::FileSystem& fs, std::string folder, platform::Host* host)
    : fs_(fs), folder_(std::move(folder)), host_(host)
{
}

std::string FolderArchive::Problem(bool writing)
{
    if (!writing || !host_) {
        return ArchiveFolderProblem(fs_, folder_);
    }
    platform::Host& host = *host_;
    return ArchiveProblem(fs_, folder_, host.SteadyMilliseconds(),
                          [&host](const std::string& trial) { return host.RemoveEmptyFolder(trial); });
}

custody::OffloadResult FolderArchive::Offload(const custody::FileSystem&, const custody::OffloadRequest& request,
                                              nlohmann::ordered_json&)
{
    custody::OffloadRequest here = request;
    here.archive = folder_;
    return custody::OffloadCard(fs_, here);
}

std::vector<std::string> FolderArchive::BagsOf(const std::string& serial) const
{
    const std::string serialFolder = fs_.Join(folder_, serial);
    std::vector<std::string> names;
    std::vector<custody::OffloadFolderName> bags;
    if (fs_.ListFolders(serialFolder, names)) {
        for (const std::string& name : names) {
            const auto parsed = custody::ParseOffloadFolderName(name);
            if (parsed && !parsed->partial) {
                bags.push_back(*parsed);
            }
        }
    }
    std::sort(bags.begin(), bags.end(), [](const auto& a, const auto& b) { return a.NewerThan(b); });
    std::vector<std::string> paths;
    paths.reserve(bags.size());
    for (const auto& bag : bags) {
        paths.push_back(fs_.Join(serialFolder, bag.BagName()));
    }
    return paths;
}

std::vector<custody::FoundFolder> FolderArchive::FindBags() const
{
    return custody::FindBags(fs_, folder_);
}

custody::BagVerdict FolderArchive::VerifyBag(const std::string& bag, const custody::BagCheckRequest& request) const
{
    return custody::VerifyBag(fs_, bag, request);
}

}  // namespace station
