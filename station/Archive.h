// Where the archive is: a folder of this PC (FolderArchive.h) or a prefix in
// an object store (StoreArchive.h). The station takes, finds and checks bags
// through this and nothing else, so that neither it nor its front ends ask
// which one they have.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "custody/Bag.h"
#include "custody/Offload.h"
#include "platform/FileSystem.h"

namespace station {

// What the anchors of one computer's audit trail found in its file.
struct AnchorVerdict {
    bool ok = false;
    std::uint64_t anchors = 0;
    // Not ok: the first anchored seq the file does not hold unchanged; 0
    // when the anchors could not be read.
    std::uint64_t firstBroken = 0;
    std::string why;
};

class Archive {
public:
    virtual ~Archive() = default;

    // As the operator names it: a full path, or s3://BUCKET/PREFIX.
    virtual const std::string& Name() const = 0;
    // A bag's path (as found or made here) as the operator reads it.
    virtual std::string Shown(const std::string& bag) const = 0;

    // Empty when bags can be read here (`writing`: also made); otherwise
    // why not, in the operator's words. Asked before any camera is touched.
    virtual std::string Problem(bool writing) = 0;

    // The card (read through `cardFs`) copied into a verified bag;
    // request.archive is ignored. `lock` gets what the audit line records
    // of the protection its objects were given (empty where none).
    virtual custody::OffloadResult Offload(const custody::FileSystem& cardFs, const custody::OffloadRequest& request,
                                           nlohmann::ordered_json& lock) = 0;

    // The file system the bags are read through.
    virtual const custody::FileSystem& Files() const = 0;
    // The finished bags of `serial`, newest first by their names.
    virtual std::vector<std::string> BagsOf(const std::string& serial) const = 0;
    // Every bag, unfinished offload and place that could not be searched.
    virtual std::vector<custody::FoundFolder> FindBags() const = 0;
    virtual custody::BagVerdict VerifyBag(const std::string& bag, const custody::BagCheckRequest& request) const = 0;

    // An outcome line of the audit trail also kept where nobody can rewrite
    // it, where the archive can keep it. False, with `why`, when it could
    // not be.
    virtual bool Anchor(std::uint64_t seq, const std::string& line, std::string& why) const
    {
        (void)seq, (void)line, (void)why;
        return true;
    }
    // The anchors of `computer` against the audit file's lines (lines[0] is
    // seq 1, without line endings).
    virtual AnchorVerdict CheckAnchors(const std::string& computer, const std::vector<std::string>& lines) const
    {
        (void)computer, (void)lines;
        AnchorVerdict verdict;
        verdict.why = Name() + " keeps no anchors of the audit trail: they are kept in an archive s3://BUCKET/PREFIX";
        return verdict;
    }
};

}  // namespace station
