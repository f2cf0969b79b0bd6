// Bags in the store checked as custody checks a folder, every object
// streamed from the store (nothing is copied to this PC) and hashed on
// several threads; and the bags and unfinished offloads below a prefix.
#pragma once

#include <string>
#include <vector>

#include "custody/Bag.h"
#include "objectstore/S3Client.h"
#include "objectstore/S3Settings.h"

namespace objectstore {

// The whole bag at `bagPrefix` (a key prefix, no trailing '/'), as
// custody::VerifyBag checks a folder. A prefix without its tag manifest is
// an unfinished offload, never valid. At least 4 objects stream at once,
// whatever request.threads says. `why` names the store's failure when
// an object cannot be read.
custody::BagVerdict VerifyStoreBag(S3Client& client, const std::string& bucket, const std::string& bagPrefix,
                                   const custody::BagCheckRequest& request);

// As custody::FindBags, with key prefixes for paths: an offload's prefix
// (PREFIX/<serial>/<YYYYMMDDTHHMMSSZ>) is a bag once it holds its tag
// manifest and unfinished before; any other prefix holding bagit.txt is a
// bag; the rest is searched at any depth in name order, but the audit
// anchors' "_audit". Unlisted: a prefix the store would not list.
std::vector<custody::FoundFolder> FindStoreBags(S3Client& client, const S3Location& location);

}  // namespace objectstore
