#include "cli/ArchiveAccess.h"

#include "cli/Console.h"
#include "objectstore/S3Settings.h"
#include "station/ArchiveOpen.h"

namespace {

// Every variable the store's settings are read from.
const char* const kStoreVariables[] = {
    "AWS_ACCESS_KEY_ID", "AWS_SECRET_ACCESS_KEY", "AWS_SESSION_TOKEN",           "AWS_PROFILE",
    "AWS_ENDPOINT_URL",  "AWS_REGION",            "AWS_DEFAULT_REGION",          "AWS_SHARED_CREDENTIALS_FILE",
};

// The largest shared credentials file read.
constexpr std::uint64_t kCredentialsFileBytes = 1u << 20;

// Where the store is and the keys, from the options, the variables and the
// shared credentials file.
bool ReadAccess(platform::Host& host, const std::string& given, const StoreOptions& options,
                const StoreVariables& variables, station::StoreAccess& access, std::string& error)
{
    objectstore::SettingsSources sources;
    sources.endpointOption = options.endpoint;
    sources.profileOption = options.profile;
    sources.environment = [&variables](const char* name, std::string& value) {
        const auto found = variables.values.find(name);
        value = found == variables.values.end() ? "" : found->second.text();
        return !value.empty();
    };
    sources.readFile = [&host](const std::string& path, std::string& text) {
        return host.ReadFile(path, kCredentialsFileBytes, text) == platform::FileRead::Ok;
    };
    sources.defaultCredentialsPath = platform::SharedCredentialsPath();
    objectstore::NamedStore named;
    const objectstore::SettingsProblem problem = objectstore::ReadSources(sources, named);
    if (problem != objectstore::SettingsProblem::None) {
        error = given + ": " + objectstore::Describe(problem);
        return false;
    }
    access.endpoint = named.endpointUrl;
    access.region = named.region;
    access.accessKeyId = named.credentials.accessKeyId;
    access.secretAccessKey = named.credentials.secretAccessKey;
    access.sessionToken = named.credentials.sessionToken;
    WipeText(named.credentials.secretAccessKey);
    WipeText(named.credentials.sessionToken);
    return true;
}

}  // namespace

void TakeStoreVariables(StoreVariables& variables)
{
    for (const char* name : kStoreVariables) {
        Secret& value = variables.values[name];
        if (!platform::TakeEnvironment(name, value.text())) {
            variables.values.erase(name);
        }
    }
}

std::shared_ptr<station::Archive> OpenArchive(platform::Host& host, const std::string& given, bool fullPath,
                                              const StoreOptions& options, const StoreVariables& variables,
                                              std::string& error)
{
    station::StoreAccess access;
    access.retainDays = options.retainDays;
    access.governance = options.lockMode == "governance";
    if (!objectstore::IsS3Url(given)) {
        return station::OpenArchive(host, fullPath ? host.FullPath(given) : given, access, error);
    }
    if (!ReadAccess(host, given, options, variables, access, error)) {
        return nullptr;
    }
    std::shared_ptr<station::Archive> archive = station::OpenArchive(host, given, access, error);
    WipeText(access.secretAccessKey);
    WipeText(access.sessionToken);
    return archive;
}
