#include "station/ArchiveOpen.h"

#include "objectstore/S3Settings.h"
#include "station/FolderArchive.h"
#include "station/Secret.h"
#include "station/StoreArchive.h"

namespace station {
namespace {

std::shared_ptr<Archive> OpenFolder(platform::Host& host, const std::string& name, const StoreAccess& access,
                                    std::string& error)
{
    if (name.empty()) {
        error = "no archive is named: give a folder or s3://BUCKET/PREFIX";
        return nullptr;
    }
    if (access.retainDays > 0) {
        error = "a lock of " + std::to_string(access.retainDays) + " days is for objects in an object store; the folder "
                + name + " cannot keep them from being changed or deleted";
        return nullptr;
    }
    return std::make_shared<FolderArchive>(host.Files(), name, &host);
}

// The client's settings; the caller wipes their keys.
bool SettingsFor(const std::string& name, const StoreAccess& access, objectstore::StoreSettings& settings,
                 std::string& error)
{
    objectstore::NamedStore named;
    named.endpointUrl = access.endpoint;
    named.region = access.region;
    named.credentials = {access.accessKeyId, access.secretAccessKey, access.sessionToken};
    const objectstore::SettingsProblem problem = objectstore::SettingsOf(named, settings);
    WipeText(named.credentials.secretAccessKey);
    WipeText(named.credentials.sessionToken);
    switch (problem) {
    case objectstore::SettingsProblem::None:
        return true;
    case objectstore::SettingsProblem::NoCredentials:
        error = name + ": no keys for the object store: both its access key ID and its secret key are needed";
        return false;
    case objectstore::SettingsProblem::BadEndpoint:
    case objectstore::SettingsProblem::NoSuchProfile:
        break;
    }
    error = name + ": " + objectstore::Describe(problem);
    return false;
}

}  // namespace

std::shared_ptr<Archive> OpenArchive(platform::Host& host, const std::string& name, const StoreAccess& access,
                                     std::string& error)
{
    if (!objectstore::IsS3Url(name)) {
        return OpenFolder(host, name, access, error);
    }
    objectstore::S3Location location;
    if (!objectstore::ParseS3Url(name, location)) {
        error = name + " is no archive in an object store: give s3://BUCKET/PREFIX with a bucket name S3 allows";
        return nullptr;
    }
    objectstore::StoreSettings settings;
    if (!SettingsFor(name, access, settings, error)) {
        return nullptr;
    }
    const StoreLockSettings lock{access.retainDays, access.governance ? objectstore::LockMode::Governance
                                                                      : objectstore::LockMode::Compliance};
    auto archive = std::make_shared<StoreArchive>(host, location, settings, lock);
    WipeText(settings.credentials.secretAccessKey);
    WipeText(settings.credentials.sessionToken);
    return archive;
}

}  // namespace station
