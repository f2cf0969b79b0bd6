// The offload into the store and the check of its bag, timed, for
// scripts/bench: store_offload CARD s3://BUCKET/PREFIX SERIAL prints
// "bytes offloadMs verifyMs". The store's settings come from the usual
// environment (AWS_ENDPOINT_URL, keys, region).
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/FileSystem.h"
#include "objectstore/S3Settings.h"
#include "objectstore/StoreOffload.h"
#include "objectstore/StoreVerify.h"

namespace {

std::int64_t Milliseconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - since).count();
}

}  // namespace

int main(int argc, char** argv)
{
    objectstore::S3Location archive;
    if (argc != 4 || !objectstore::ParseS3Url(argv[2], archive)) {
        std::fprintf(stderr, "usage: store_offload CARD s3://BUCKET/PREFIX SERIAL\n");
        return 2;
    }
    objectstore::SettingsSources sources;
    sources.environment = [](const char* name, std::string& value) {
        const char* set = std::getenv(name);
        value = set ? set : "";
        return !value.empty();
    };
    sources.readFile = [](const std::string&, std::string&) { return false; };
    objectstore::StoreSettings settings;
    if (objectstore::ResolveSettings(sources, settings) != objectstore::SettingsProblem::None) {
        std::fprintf(stderr, "store_offload: no store settings in the environment\n");
        return 2;
    }
    const auto transport = objectstore::MakePlatformTransport({});
    objectstore::S3Client client(settings, *transport);

    objectstore::StoreBagRequest request;
    request.archive = archive;
    request.card = argv[1];
    request.serial = argv[3];
    auto start = std::chrono::steady_clock::now();
    const objectstore::StoreBagResult result = objectstore::OffloadCardToStore(client, custody::LocalFileSystem(), request);
    const std::int64_t offloadMs = Milliseconds(start);
    if (!result.ok) {
        std::fprintf(stderr, "store_offload: %s: %s\n", result.step.c_str(), result.why.c_str());
        return 1;
    }
    const std::string bag = result.bag.substr(5 + archive.bucket.size() + 1);
    custody::BagCheckRequest check;
    check.threads = 2;
    start = std::chrono::steady_clock::now();
    const custody::BagVerdict verdict = objectstore::VerifyStoreBag(client, archive.bucket, bag, check);
    const std::int64_t verifyMs = Milliseconds(start);
    if (!verdict.valid) {
        std::fprintf(stderr, "store_offload: the bag is not valid: %s\n", verdict.why.c_str());
        return 1;
    }
    std::printf("%llu %lld %lld\n", static_cast<unsigned long long>(result.bytes), static_cast<long long>(offloadMs),
                static_cast<long long>(verifyMs));
    return 0;
}
