#include "objectstore/S3Settings.h"

#include "platform/Host.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <utility>

namespace objectstore {

namespace {

constexpr std::string_view kS3Scheme = "s3://";

std::string_view Trimmed(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// 3 to 63 lowercase letters, digits, dots and hyphens, starting and ending
// with a letter or digit.
bool IsBucketName(std::string_view name)
{
    if (name.size() < 3 || name.size() > 63) {
        return false;
    }
    for (const char c : name) {
        if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' || c == '-')) {
            return false;
        }
    }
    return name.front() != '.' && name.front() != '-' && name.back() != '.' && name.back() != '-';
}

bool ParsePort(std::string_view digits, std::uint16_t& port)
{
    if (digits.empty() || digits.size() > 5) {
        return false;
    }
    std::uint32_t value = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9') {
            return false;
        }
        value = value * 10 + static_cast<std::uint32_t>(c - '0');
    }
    if (value == 0 || value > 65535) {
        return false;
    }
    port = static_cast<std::uint16_t>(value);
    return true;
}

// A host name or address: no user info, path, query, or blank.
bool IsHost(std::string_view host)
{
    return !host.empty() && host.find_first_of("/?#@ \t\\") == std::string_view::npos;
}

// Straight into `value`, so that a secret leaves no copy on the way.
void EnvironmentInto(const SettingsSources& sources, const char* name, std::string& value)
{
    if (!sources.environment || !sources.environment(name, value)) {
        value.clear();
    }
}

std::string Environment(const SettingsSources& sources, const char* name)
{
    std::string value;
    EnvironmentInto(sources, name, value);
    return value;
}

bool CredentialsFromFile(const SettingsSources& sources, const std::string& profile, Credentials& credentials)
{
    std::string path = Environment(sources, "AWS_SHARED_CREDENTIALS_FILE");
    if (path.empty()) {
        path = sources.defaultCredentialsPath;
    }
    std::string text;
    const bool found
        = !path.empty() && sources.readFile && sources.readFile(path, text) && ReadProfile(text, profile, credentials);
    platform::WipeText(text);
    return found;
}

SettingsProblem ResolveCredentials(const SettingsSources& sources, Credentials& credentials)
{
    if (!sources.profileOption.empty()) {
        return CredentialsFromFile(sources, sources.profileOption, credentials) ? SettingsProblem::None
                                                                                : SettingsProblem::NoSuchProfile;
    }
    credentials.accessKeyId = Environment(sources, "AWS_ACCESS_KEY_ID");
    EnvironmentInto(sources, "AWS_SECRET_ACCESS_KEY", credentials.secretAccessKey);
    if (!credentials.accessKeyId.empty() && !credentials.secretAccessKey.empty()) {
        EnvironmentInto(sources, "AWS_SESSION_TOKEN", credentials.sessionToken);
        return SettingsProblem::None;
    }
    credentials = {};
    const std::string named = Environment(sources, "AWS_PROFILE");
    if (CredentialsFromFile(sources, named.empty() ? "default" : named, credentials)) {
        return SettingsProblem::None;
    }
    return named.empty() ? SettingsProblem::NoCredentials : SettingsProblem::NoSuchProfile;
}

}  // namespace

bool IsS3Url(std::string_view text)
{
    return text.substr(0, kS3Scheme.size()) == kS3Scheme;
}

bool ParseS3Url(std::string_view text, S3Location& location)
{
    if (!IsS3Url(text)) {
        return false;
    }
    const std::string_view rest = text.substr(kS3Scheme.size());
    const std::size_t slash = rest.find('/');
    const std::string_view bucket = rest.substr(0, slash);
    std::string_view prefix = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
    while (!prefix.empty() && prefix.back() == '/') {
        prefix.remove_suffix(1);
    }
    if (!IsBucketName(bucket) || prefix.find("//") != std::string_view::npos || (!prefix.empty() && prefix[0] == '/')) {
        return false;
    }
    location = {std::string(bucket), std::string(prefix)};
    return true;
}

bool ParseEndpoint(std::string_view url, Endpoint& endpoint)
{
    Endpoint parsed;
    if (url.substr(0, 8) == "https://") {
        url.remove_prefix(8);
    } else if (url.substr(0, 7) == "http://") {
        parsed.https = false;
        parsed.port = 80;
        url.remove_prefix(7);
    } else {
        return false;
    }
    if (!url.empty() && url.back() == '/') {
        url.remove_suffix(1);
    }
    // "[::1]:8080" keeps its brackets: they belong in the Host header too.
    const std::size_t bracket = url.rfind(']');
    const std::size_t colon = url.rfind(':');
    if (colon != std::string_view::npos && (bracket == std::string_view::npos || colon > bracket)) {
        if (!ParsePort(url.substr(colon + 1), parsed.port)) {
            return false;
        }
        url = url.substr(0, colon);
    }
    if (!IsHost(url)) {
        return false;
    }
    parsed.host = std::string(url);
    endpoint = parsed;
    return true;
}

bool ReadProfile(std::string_view fileText, std::string_view profile, Credentials& credentials)
{
    Credentials found;
    bool inProfile = false;
    std::size_t at = 0;
    while (at <= fileText.size()) {
        const std::size_t end = std::min(fileText.find('\n', at), fileText.size());
        const std::string_view line = Trimmed(fileText.substr(at, end - at));
        at = end + 1;
        if (line.empty() || line[0] == '#' || line[0] == ';') {
            continue;
        }
        if (line.front() == '[' && line.back() == ']') {
            inProfile = Trimmed(line.substr(1, line.size() - 2)) == profile;
            continue;
        }
        const std::size_t equals = line.find('=');
        if (!inProfile || equals == std::string_view::npos) {
            continue;
        }
        const std::string_view key = Trimmed(line.substr(0, equals));
        const std::string_view value = Trimmed(line.substr(equals + 1));
        if (key == "aws_access_key_id") {
            found.accessKeyId.assign(value);
        } else if (key == "aws_secret_access_key") {
            found.secretAccessKey.assign(value);
        } else if (key == "aws_session_token") {
            found.sessionToken.assign(value);
        }
    }
    if (found.accessKeyId.empty() || found.secretAccessKey.empty()) {
        return false;
    }
    credentials = found;
    return true;
}

bool IsRegionName(std::string_view region)
{
    constexpr std::size_t kMaxRegionLength = 64;
    if (region.size() > kMaxRegionLength) {
        return false;
    }
    return std::all_of(region.begin(), region.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '-' || c == '_';
    });
}

SettingsProblem ReadSources(const SettingsSources& sources, NamedStore& named)
{
    NamedStore read;
    read.region = Environment(sources, "AWS_REGION");
    if (read.region.empty()) {
        read.region = Environment(sources, "AWS_DEFAULT_REGION");
    }
    read.endpointUrl = sources.endpointOption.empty() ? Environment(sources, "AWS_ENDPOINT_URL") : sources.endpointOption;
    const SettingsProblem problem = ResolveCredentials(sources, read.credentials);
    if (problem != SettingsProblem::None) {
        return problem;
    }
    named = std::move(read);
    return SettingsProblem::None;
}

SettingsProblem SettingsOf(const NamedStore& named, StoreSettings& settings)
{
    StoreSettings resolved;
    resolved.region = named.region.empty() ? "us-east-1" : named.region;
    // AWS itself: the bucket in the host name, as AWS prefers.
    resolved.pathStyle = !named.endpointUrl.empty();
    const std::string url =
        named.endpointUrl.empty() ? "https://s3." + resolved.region + ".amazonaws.com" : named.endpointUrl;
    if (!ParseEndpoint(url, resolved.endpoint)) {
        return SettingsProblem::BadEndpoint;
    }
    if (named.credentials.accessKeyId.empty() || named.credentials.secretAccessKey.empty()) {
        return SettingsProblem::NoCredentials;
    }
    resolved.credentials = named.credentials;
    settings = std::move(resolved);
    return SettingsProblem::None;
}

SettingsProblem ResolveSettings(const SettingsSources& sources, StoreSettings& settings)
{
    NamedStore named;
    const SettingsProblem problem = ReadSources(sources, named);
    return problem != SettingsProblem::None ? problem : SettingsOf(named, settings);
}

std::string Describe(SettingsProblem problem)
{
    switch (problem) {
    case SettingsProblem::None: return "";
    case SettingsProblem::BadEndpoint: return "the object store's endpoint is not an http:// or https:// address of a host";
    case SettingsProblem::NoCredentials: return "no keys for the object store: set AWS_ACCESS_KEY_ID and AWS_SECRET_ACCESS_KEY, or a profile in the shared credentials file";
    case SettingsProblem::NoSuchProfile: return "the profile is not in the shared credentials file, or lacks its access key ID or secret key";
    }
    return "";
}

}  // namespace objectstore
