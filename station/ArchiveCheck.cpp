#include "station/ArchiveCheck.h"

std::string ArchiveFolderProblem(const custody::FileSystem& fs, const std::string& archive)
{
    if (!fs.Exists(archive)) {
        return "the archive " + archive + " does not exist";
    }
    if (!fs.IsFolder(archive)) {
        return "the archive " + archive + " is not a folder";
    }
    return "";
}

std::string ArchiveProblem(custody::FileSystem& fs, const std::string& archive, std::uint64_t nonce,
                           const std::function<bool(const std::string&)>& removeFolder)
{
    std::string problem = ArchiveFolderProblem(fs, archive);
    if (!problem.empty()) {
        return problem;
    }
    // A folder that was there already would prove nothing.
    std::string trial;
    for (unsigned attempt = 0; trial.empty() || fs.Exists(trial); ++attempt) {
        if (attempt == 100) {
            return "cannot find a free name for a trial folder in the archive " + archive;
        }
        trial = fs.Join(archive, ".orvanectl-trial-" + std::to_string(nonce) + "-" + std::to_string(attempt));
    }
    if (!fs.CreateFolders(trial) || !fs.IsFolder(trial)) {
        const std::string why = fs.LastError();
        return "cannot create folders in the archive " + archive + (why.empty() ? "" : " (" + why + ")");
    }
    removeFolder(trial);
    return "";
}
