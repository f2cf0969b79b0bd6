#include "cli/ArchiveAccess.h"

#include "cli/Console.h"
#include "objectstore/S3Settings.h"
#include "station/FolderArchive.h"
#include "station/StoreArchive.h"

namespace {

// Every variable the store's settings are read from.
const char* const kStoreVariables[] = {
    "AWS_ACCESS_KEY_ID", "AWS_SECRET_ACCESS_KEY", "AWS_SESSION_TOKEN",           "AWS_PROFILE",
    "AWS_ENDPOINT_URL",  "AWS_REGION",            "AWS_DEFAULT_REGION",          "AWS_SHARED_CREDENTIALS_FILE",
};

// The largest shared credentials file read.
constexpr std::uint64_t kCredentialsFileBytes = 1u << 20;

objectstore::LockMode LockModeOf(const std::string& option)
{
    return option == "governance" ? objectstore::LockMode::Governance : objectstore::LockMode::Compliance;
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
    if (!objectstore::IsS3Url(given) && options.retainDays > 0) {
        error = "--retain-days locks objects in an object store; the folder " + given
                + " cannot keep them from being changed or deleted";
        return nullptr;
    }
    if (!objectstore::IsS3Url(given)) {
        return std::make_shared<station::FolderArchive>(host.Files(), fullPath ? host.FullPath(given) : given, &host);
    }
    objectstore::S3Location location;
    if (!objectstore::ParseS3Url(given, location)) {
        error = given + " is no archive in an object store: give s3://BUCKET/PREFIX with a bucket name S3 allows";
        return nullptr;
    }
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
    objectstore::StoreSettings settings;
    const objectstore::SettingsProblem problem = objectstore::ResolveSettings(sources, settings);
    if (problem != objectstore::SettingsProblem::None) {
        error = given + ": " + objectstore::Describe(problem);
        return nullptr;
    }
    const station::StoreLockSettings lock{options.retainDays, LockModeOf(options.lockMode)};
    auto archive = std::make_shared<station::StoreArchive>(host, location, settings, lock);
    WipeText(settings.credentials.secretAccessKey);
    WipeText(settings.credentials.sessionToken);
    return archive;
}
