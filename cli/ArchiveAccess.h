// ARCHIVE as the command line names it: a folder, or s3://BUCKET/PREFIX in
// an object store reached by the conventions S3 users know (--s3-endpoint,
// --s3-profile, the AWS_* variables, the shared credentials file). The keys
// never come from an argument.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "platform/Host.h"
#include "station/Archive.h"
#include "station/Secret.h"

struct StoreOptions {
    std::string endpoint;  // --s3-endpoint
    std::string profile;   // --s3-profile
    std::int32_t retainDays = 0;          // --retain-days
    std::string lockMode = "compliance";  // --lock-mode
};

// The AWS_* variables, taken out of the environment at once and wiped there
// (the secret key and session token among them).
struct StoreVariables {
    std::map<std::string, Secret> values;
};
void TakeStoreVariables(StoreVariables& variables);

// The archive `given` names (a folder made a full path when `fullPath`).
// Null, with `error` for the operator, when an s3:// URL or the store's
// settings are wrong, or a folder is to be locked; nothing is sent to the
// store yet.
std::shared_ptr<station::Archive> OpenArchive(platform::Host& host, const std::string& given, bool fullPath,
                                              const StoreOptions& options, const StoreVariables& variables,
                                              std::string& error);
