// The audit trail anchored where nobody can rewrite it: each outcome line,
// as the local file holds it, also stored as an object of its own,
// PREFIX/_audit/<computer>/<seq>-<SHA-256 of the line>.json, under the
// archive's lock. A trail rewritten from an edited line onwards still
// chains; its anchors no longer match it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "objectstore/S3Client.h"
#include "objectstore/S3Settings.h"

namespace objectstore {

// `line` without its line ending; `seq` its number in the file.
S3Error WriteAnchor(S3Client& client, const S3Location& archive, const std::string& computer, std::uint64_t seq,
                    const std::string& line, const ObjectLock& lock);

struct AnchorCheck {
    bool ok = false;
    std::uint64_t anchors = 0;
    // Not ok: the first anchored seq the local file does not hold
    // unchanged (0 when the anchors could not be read), and why.
    std::uint64_t firstBroken = 0;
    std::string why;
    S3Error store;
};

// Every anchor of `computer` against the local file's lines (without line
// endings; lines[0] is seq 1).
AnchorCheck CheckAnchors(S3Client& client, const S3Location& archive, const std::string& computer,
                         const std::vector<std::string>& lines);

}  // namespace objectstore
