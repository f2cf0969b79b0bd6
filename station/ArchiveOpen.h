// The archive a name gives, wherever it is named (the command line, the
// dock's settings): a folder of this PC, or s3://BUCKET/PREFIX reached with
// the keys and lock its caller found for it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/Host.h"
#include "station/Archive.h"

namespace station {

// A compliance lock can be neither shortened nor lifted, by anyone: a
// century is the most a department keeps evidence, so a slipped digit
// beyond it is refused rather than locked in.
constexpr std::int32_t kMaxRetainDays = 36500;

// How an archive in an object store is reached and locked; unused for a
// folder.
struct StoreAccess {
    std::string endpoint;         // https://host[:port]; empty: AWS in `region`
    std::string region;           // empty: us-east-1
    std::string accessKeyId;
    std::string secretAccessKey;  // the caller wipes its copy once the archive is open
    std::string sessionToken;
    std::int32_t retainDays = 0;  // above 0: every object locked this long
    bool governance = false;      // the lock's mode; compliance unless set
};

// A folder is taken as named: the caller makes it a full path where bags are
// made. Null, with `error` in the operator's words, when `name` is empty or
// an s3:// URL that is not valid, when a folder is asked to lock, or when
// the access is incomplete; nothing is sent to the store yet
// (Archive::Problem does that). The archive keeps no copy of the secret key
// but its signer's.
std::shared_ptr<Archive> OpenArchive(platform::Host& host, const std::string& name, const StoreAccess& access,
                                     std::string& error);

}  // namespace station
