// Where the store is and who signs, by the conventions S3 users know: the
// endpoint from an option or AWS_ENDPOINT_URL (else the public endpoint of
// AWS_REGION, default us-east-1), keys from a named profile of the shared
// credentials file, else AWS_ACCESS_KEY_ID / AWS_SECRET_ACCESS_KEY /
// AWS_SESSION_TOKEN, else the file's profile of AWS_PROFILE or "default".
// The environment and the file come in through functions: no global state.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "objectstore/HttpTransport.h"
#include "objectstore/SigV4.h"

namespace objectstore {

// "s3://BUCKET/PREFIX": the prefix without leading or trailing '/'.
struct S3Location {
    std::string bucket;
    std::string prefix;
};
bool IsS3Url(std::string_view text);
// False for anything but s3:// with a bucket name S3 allows.
bool ParseS3Url(std::string_view text, S3Location& location);

// "https://host[:port]" or "http://host[:port]", nothing after but a '/'.
bool ParseEndpoint(std::string_view url, Endpoint& endpoint);

// A region as it may name a host at AWS and stand in a signature's scope:
// letters, digits, '-' and '_', at most 64 of them; empty is the default.
bool IsRegionName(std::string_view region);

struct StoreSettings {
    Endpoint endpoint;
    // The bucket in the path (custom endpoints) or in the host name (AWS).
    bool pathStyle = true;
    std::string region;
    Credentials credentials;
};

struct SettingsSources {
    // --s3-endpoint and --s3-profile; empty when not given.
    std::string endpointOption;
    std::string profileOption;
    // The value of an environment variable; false when unset or empty.
    std::function<bool(const char* name, std::string& value)> environment;
    // The whole of a file; false when it cannot be read.
    std::function<bool(const std::string& path, std::string& text)> readFile;
    // The shared credentials file when AWS_SHARED_CREDENTIALS_FILE is not
    // set: %USERPROFILE%\.aws\credentials, or ~/.aws/credentials.
    std::string defaultCredentialsPath;
};

enum class SettingsProblem {
    None,
    BadEndpoint,
    // No keys anywhere.
    NoCredentials,
    // The profile asked for is not in the file, or lacks a key.
    NoSuchProfile,
};

// The store as the sources name it, before any default: the endpoint's URL
// and the region empty where none is given.
struct NamedStore {
    std::string endpointUrl;
    std::string region;
    Credentials credentials;
};
// NoCredentials or NoSuchProfile when the keys are not found.
SettingsProblem ReadSources(const SettingsSources& sources, NamedStore& named);
// With the defaults: no URL is AWS in the region (us-east-1), the bucket in
// the host name; a URL is a custom endpoint, the bucket in the path.
// BadEndpoint for a URL that is none, NoCredentials without both keys.
SettingsProblem SettingsOf(const NamedStore& named, StoreSettings& settings);
// Both at once.
SettingsProblem ResolveSettings(const SettingsSources& sources, StoreSettings& settings);
std::string Describe(SettingsProblem problem);

// The keys of one [profile] of a shared credentials file's text; false
// when the profile or either key is missing.
bool ReadProfile(std::string_view fileText, std::string_view profile, Credentials& credentials);

}  // namespace objectstore
