// The S3 calls the archive needs, signed and sent through the transport
// seam, with bounded retries and backoff on 5xx answers and dropped
// connections. Safe to use from several threads at once where the
// transport is. Errors come back as S3Error (see S3Error.h).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "objectstore/HttpTransport.h"
#include "objectstore/PayloadDigests.h"
#include "objectstore/S3Error.h"
#include "objectstore/S3Settings.h"

namespace objectstore {

enum class LockMode { None, Compliance, Governance };

// Per-object retention; None takes the bucket's default.
struct ObjectLock {
    LockMode mode = LockMode::None;
    // Seconds since 1970 UTC.
    std::int64_t retainUntil = 0;
};

struct ObjectInfo {
    std::string key;
    std::uint64_t size = 0;
    // As the store gives it, quotes included.
    std::string etag;
    std::string versionId;
    LockMode lockMode = LockMode::None;
    // ISO 8601 as the store gives it; empty without a retention.
    std::string retainUntil;
};

struct ObjectListing {
    std::vector<ObjectInfo> objects;
    // With a delimiter: the "folders" one level down, as full prefixes.
    std::vector<std::string> commonPrefixes;
    // Empty on the last page.
    std::string nextContinuationToken;
};

struct UploadedPart {
    std::int32_t partNumber = 0;
    std::string etag;
    std::uint64_t size = 0;
};

struct MultipartUpload {
    std::string key;
    std::string uploadId;
};

struct LockConfiguration {
    bool enabled = false;
    LockMode defaultMode = LockMode::None;
    std::int32_t defaultDays = 0;
    std::int32_t defaultYears = 0;
};

struct S3ClientOptions {
    // Tries of one request in all, the first included.
    std::int32_t maxAttempts = 5;
    // The wait before try n+1 is firstBackoffMs * 2^(n-1), at most
    // maxBackoffMs.
    std::int32_t firstBackoffMs = 200;
    std::int32_t maxBackoffMs = 5000;
    // Waits between tries; std::this_thread::sleep_for when empty.
    std::function<void(std::int32_t milliseconds)> pause;
    // Seconds since 1970 UTC; the system clock when empty.
    std::function<std::int64_t()> clock;
};

// "COMPLIANCE", "GOVERNANCE"; empty for None.
const char* LockModeName(LockMode mode);

class S3Client {
public:
    S3Client(StoreSettings settings, HttpTransport& transport, S3ClientOptions options = {});

    S3Error HeadBucket(const std::string& bucket);
    // NoObjectLock when the bucket was not created with Object Lock.
    S3Error GetObjectLockConfiguration(const std::string& bucket, LockConfiguration& configuration);

    S3Error PutObject(const std::string& bucket, const std::string& key, BodySource& body,
        const PayloadDigests& digests, const ObjectLock& lock, std::string* etag = nullptr);
    // The body goes to `sink` as it arrives. A try that fails is repeated
    // as any other; one cut off after bytes reached the sink continues with
    // the rest of the same version (a range conditional on its ETag), so
    // that the sink gets every byte once.
    S3Error GetObject(const std::string& bucket, const std::string& key, BodySink& sink, ObjectInfo* info = nullptr);
    S3Error HeadObject(const std::string& bucket, const std::string& key, ObjectInfo& info);
    // One page (up to 1000 keys); pass the page's nextContinuationToken
    // back for the next.
    S3Error ListObjectsV2(const std::string& bucket, const std::string& prefix, const std::string& delimiter,
        const std::string& continuationToken, ObjectListing& page);

    S3Error CreateMultipartUpload(
        const std::string& bucket, const std::string& key, const ObjectLock& lock, std::string& uploadId);
    S3Error UploadPart(const std::string& bucket, const std::string& key, const std::string& uploadId,
        std::int32_t partNumber, BodySource& body, const PayloadDigests& digests, std::string& etag);
    // `parts` in ascending part numbers.
    S3Error CompleteMultipartUpload(const std::string& bucket, const std::string& key, const std::string& uploadId,
        const std::vector<UploadedPart>& parts);
    // The retention of one version (the current one when `versionId` is
    // empty): what an object completed from parts gets where the store
    // leaves CreateMultipartUpload's lock unapplied.
    S3Error PutObjectRetention(const std::string& bucket, const std::string& key, const std::string& versionId,
        const ObjectLock& lock);
    S3Error AbortMultipartUpload(const std::string& bucket, const std::string& key, const std::string& uploadId);
    // Every part uploaded so far, all pages.
    S3Error ListParts(const std::string& bucket, const std::string& key, const std::string& uploadId,
        std::vector<UploadedPart>& parts);
    // Every unfinished upload under `prefix`, all pages.
    S3Error ListMultipartUploads(
        const std::string& bucket, const std::string& prefix, std::vector<MultipartUpload>& uploads);

    // What a request looks like before it is sent: for the tests of the
    // request building, and the one place that builds them.
    struct Call {
        std::string method;
        std::string bucket;
        std::string key;
        std::vector<QueryParameter> query;
        std::vector<HttpHeader> headers;
        std::string payloadSha256Hex;
        BodySource* body = nullptr;
    };
    // The endpoint a call goes to and the signed request, at `now`.
    void Build(const Call& call, std::int64_t now, Endpoint& endpoint, HttpRequest& request) const;

private:
    S3Error SendOnce(const Call& call, BodySink& sink, HttpResponse& response);
    // Waits before the next try where one is due.
    bool TryAgain(const S3Error& error, std::int32_t attempt) const;
    S3Error Execute(const Call& call, BodySink& sink, HttpResponse& response);
    S3Error ExecuteForText(const Call& call, std::string& text, HttpResponse* response = nullptr);

    StoreSettings settings_;
    HttpTransport& transport_;
    S3ClientOptions options_;
};

}  // namespace objectstore
