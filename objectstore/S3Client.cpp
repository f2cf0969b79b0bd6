#include "objectstore/S3Client.h"

#include "platform/Host.h"
#include "platform/UtcTime.h"
#include "objectstore/MemoryBodies.h"
#include "objectstore/XmlText.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace objectstore {

namespace {

constexpr const char* kSessionTokenHeader = "x-amz-security-token";
constexpr const char* kEmptySha256 = "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855";
// A page of 1000 keys is well under 1 MiB of XML.
constexpr std::size_t kAnswerLimit = 16 * 1024 * 1024;

class NullSink final : public BodySink {
public:
    bool Write(const void*, std::size_t) override { return true; }
};

// Counts what reached the caller's sink, so that a try is repeated only
// while nothing did.
class CountingSink final : public BodySink {
public:
    explicit CountingSink(BodySink& sink) : sink_(sink) {}
    bool Write(const void* bytes, std::size_t count) override
    {
        delivered_ += count;
        return sink_.Write(bytes, count);
    }
    std::uint64_t Delivered() const { return delivered_; }

private:
    BodySink& sink_;
    std::uint64_t delivered_ = 0;
};

bool ParseUnsigned(std::string_view digits, std::uint64_t& value)
{
    if (digits.empty() || digits.size() > 19) {
        return false;
    }
    value = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9') {
            return false;
        }
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return true;
}

std::uint64_t UnsignedOr0(std::string_view digits)
{
    std::uint64_t value = 0;
    return ParseUnsigned(digits, value) ? value : 0;
}

LockMode ParseLockMode(std::string_view name)
{
    if (name == "COMPLIANCE") {
        return LockMode::Compliance;
    }
    if (name == "GOVERNANCE") {
        return LockMode::Governance;
    }
    return LockMode::None;
}

std::string XmlEscaped(std::string_view text)
{
    std::string escaped;
    for (const char c : text) {
        switch (c) {
        case '&': escaped += "&amp;"; break;
        case '<': escaped += "&lt;"; break;
        case '>': escaped += "&gt;"; break;
        default: escaped += c;
        }
    }
    return escaped;
}

void AddLockHeaders(const ObjectLock& lock, std::vector<HttpHeader>& headers)
{
    if (lock.mode == LockMode::None) {
        return;
    }
    headers.push_back({"x-amz-object-lock-mode", LockModeName(lock.mode)});
    headers.push_back({"x-amz-object-lock-retain-until-date", custody::UtcIso(lock.retainUntil)});
}

// S3 may answer 200 and still fail, with an <Error> document as the body
// (CompleteMultipartUpload does).
S3Error ErrorInAnswer(const HttpResponse& response, const std::string& text)
{
    if (XmlElements(text, "Error").empty()) {
        return {};
    }
    HttpResponse failed = response;
    failed.status = 500;
    failed.errorBody = text;
    S3Error error = ErrorOf(failed);
    error.httpStatus = response.status;
    return error;
}

bool IsTrue(std::string_view xml, std::string_view name)
{
    return XmlValue(xml, name) == "true";
}

ObjectInfo InfoOfHeaders(const std::string& key, const HttpResponse& response)
{
    ObjectInfo info;
    info.key = key;
    info.size = UnsignedOr0(response.Header("Content-Length"));
    info.etag = response.Header("ETag");
    info.versionId = response.Header("x-amz-version-id");
    info.lockMode = ParseLockMode(response.Header("x-amz-object-lock-mode"));
    info.retainUntil = response.Header("x-amz-object-lock-retain-until-date");
    return info;
}

// A ranged answer carrying the object's bytes from `offset` on.
bool ContinuesAt(const HttpResponse& response, std::uint64_t offset)
{
    const std::string expected = "bytes " + std::to_string(offset) + "-";
    return response.status == 206 && response.Header("Content-Range").compare(0, expected.size(), expected) == 0;
}

// The request's copy of a temporary key's token.
void WipeSessionToken(HttpRequest& request)
{
    for (HttpHeader& header : request.headers) {
        if (header.name == kSessionTokenHeader) {
            platform::WipeText(header.value);
        }
    }
}

}  // namespace

const char* LockModeName(LockMode mode)
{
    switch (mode) {
    case LockMode::Compliance: return "COMPLIANCE";
    case LockMode::Governance: return "GOVERNANCE";
    case LockMode::None: break;
    }
    return "";
}

S3Client::S3Client(StoreSettings settings, HttpTransport& transport, S3ClientOptions options)
    : settings_(std::move(settings)), transport_(transport), options_(std::move(options))
{
    if (!options_.pause) {
        options_.pause = [](std::int32_t ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); };
    }
    if (!options_.clock) {
        options_.clock = custody::UtcNow;
    }
    options_.maxAttempts = std::max<std::int32_t>(1, options_.maxAttempts);
}

void S3Client::Build(const Call& call, std::int64_t now, Endpoint& endpoint, HttpRequest& request) const
{
    endpoint = settings_.endpoint;
    std::string path;
    // A bucket with dots cannot sit in the host name under HTTPS: its
    // certificate covers one level only.
    if (!settings_.pathStyle && !call.bucket.empty() && call.bucket.find('.') == std::string::npos) {
        endpoint.host = call.bucket + '.' + endpoint.host;
        path = '/' + call.key;
    } else {
        path = '/' + call.bucket + (call.key.empty() ? "" : '/' + call.key);
    }
    const std::string amzDate = custody::UtcCompact(now);
    const std::string payloadSha256 = call.payloadSha256Hex.empty() ? kEmptySha256 : call.payloadSha256Hex;
    request.method = call.method;
    request.body = call.body;
    request.headers = call.headers;
    request.headers.push_back({"x-amz-date", amzDate});
    request.headers.push_back({"x-amz-content-sha256", payloadSha256});
    if (!settings_.credentials.sessionToken.empty()) {
        request.headers.push_back({kSessionTokenHeader, settings_.credentials.sessionToken});
    }
    // Host is the transport's to send; it is signed all the same.
    SignedRequest signedRequest{call.method, path, call.query, request.headers, payloadSha256};
    signedRequest.headers.push_back({"host", HostHeader(endpoint)});
    const std::string query = CanonicalQueryString(call.query);
    request.target = UriEncode(path, false) + (query.empty() ? "" : '?' + query);
    request.headers.push_back({"Authorization",
        Authorization(signedRequest, settings_.credentials, {settings_.region, "s3"}, amzDate)});
}

S3Error S3Client::SendOnce(const Call& call, BodySink& sink, HttpResponse& response)
{
    Endpoint endpoint;
    HttpRequest request;
    Build(call, options_.clock(), endpoint, request);
    response = transport_.Send(endpoint, request, sink);
    WipeSessionToken(request);
    return ErrorOf(response);
}

bool S3Client::TryAgain(const S3Error& error, std::int32_t attempt) const
{
    if (error.Ok() || !Retriable(error) || attempt >= options_.maxAttempts) {
        return false;
    }
    const std::int64_t backoff = static_cast<std::int64_t>(options_.firstBackoffMs) << std::min(attempt - 1, 20);
    options_.pause(static_cast<std::int32_t>(std::min<std::int64_t>(backoff, options_.maxBackoffMs)));
    return true;
}

S3Error S3Client::Execute(const Call& call, BodySink& sink, HttpResponse& response)
{
    for (std::int32_t attempt = 1;; ++attempt) {
        CountingSink counting(sink);
        S3Error error = SendOnce(call, counting, response);
        if (counting.Delivered() > 0 || !TryAgain(error, attempt)) {
            return error;
        }
    }
}

S3Error S3Client::ExecuteForText(const Call& call, std::string& text, HttpResponse* answer)
{
    for (std::int32_t attempt = 1;; ++attempt) {
        StringSink sink(kAnswerLimit);
        HttpResponse response;
        S3Error error = SendOnce(call, sink, response);
        if (error.problem == S3Problem::LocalIo && !call.body) {
            // Nothing but the answer's own sink could fail: it was too large.
            error.problem = S3Problem::BadAnswer;
        }
        if (error.Ok()) {
            error = ErrorInAnswer(response, sink.Text());
        }
        if (!TryAgain(error, attempt)) {
            text = sink.Text();
            if (answer) {
                *answer = std::move(response);
            }
            return error;
        }
    }
}

S3Error S3Client::HeadBucket(const std::string& bucket)
{
    NullSink sink;
    HttpResponse response;
    S3Error error = Execute({"HEAD", bucket, "", {}, {}, "", nullptr}, sink, response);
    if (error.problem == S3Problem::NoSuchKey) {
        error.problem = S3Problem::NoSuchBucket;
    }
    return error;
}

S3Error S3Client::GetObjectLockConfiguration(const std::string& bucket, LockConfiguration& configuration)
{
    std::string text;
    S3Error error = ExecuteForText({"GET", bucket, "", {{"object-lock", ""}}, {}, "", nullptr}, text);
    if (!error.Ok()) {
        return error;
    }
    configuration = {};
    configuration.enabled = XmlValue(text, "ObjectLockEnabled") == "Enabled";
    configuration.defaultMode = ParseLockMode(XmlValue(text, "Mode"));
    configuration.defaultDays = static_cast<std::int32_t>(std::min<std::uint64_t>(UnsignedOr0(XmlValue(text, "Days")), 0x7FFFFFFF));
    configuration.defaultYears = static_cast<std::int32_t>(std::min<std::uint64_t>(UnsignedOr0(XmlValue(text, "Years")), 0x7FFFFFFF));
    if (!configuration.enabled) {
        return {S3Problem::NoObjectLock, error.httpStatus, ""};
    }
    return error;
}

S3Error S3Client::PutObject(const std::string& bucket, const std::string& key, BodySource& body,
    const PayloadDigests& digests, const ObjectLock& lock, std::string* etag)
{
    Call call{"PUT", bucket, key, {}, {{"Content-MD5", digests.md5Base64}}, digests.sha256Hex, &body};
    AddLockHeaders(lock, call.headers);
    std::string text;
    HttpResponse response;
    S3Error error = ExecuteForText(call, text, &response);
    if (error.Ok() && etag) {
        *etag = response.Header("ETag");
    }
    return error;
}

S3Error S3Client::GetObject(const std::string& bucket, const std::string& key, BodySink& sink, ObjectInfo* info)
{
    CountingSink counting(sink);
    Call call{"GET", bucket, key, {}, {}, "", nullptr};
    // The answer that began the body: its headers describe the object.
    HttpResponse opening;
    for (std::int32_t attempt = 1;; ++attempt) {
        const std::uint64_t offset = counting.Delivered();
        HttpResponse response;
        S3Error error = SendOnce(call, counting, response);
        if (offset == 0) {
            opening = response;
        } else if (error.Ok() && !ContinuesAt(response, offset)) {
            // The bytes this answer gave are not the ones that followed.
            return {S3Problem::BadAnswer, response.status, ""};
        }
        if (error.Ok()) {
            if (info) {
                *info = InfoOfHeaders(key, opening);
            }
            return error;
        }
        const std::string etag = opening.Header("ETag");
        if ((counting.Delivered() > 0 && etag.empty()) || !TryAgain(error, attempt)) {
            return error;
        }
        if (counting.Delivered() > 0) {
            // The rest of the same version: a changed object fails the
            // condition rather than splice two versions.
            call.headers = {{"Range", "bytes=" + std::to_string(counting.Delivered()) + "-"}, {"If-Match", etag}};
        }
    }
}

S3Error S3Client::HeadObject(const std::string& bucket, const std::string& key, ObjectInfo& info)
{
    NullSink sink;
    HttpResponse response;
    S3Error error = Execute({"HEAD", bucket, key, {}, {}, "", nullptr}, sink, response);
    if (error.Ok()) {
        info = InfoOfHeaders(key, response);
    }
    return error;
}

S3Error S3Client::ListObjectsV2(const std::string& bucket, const std::string& prefix, const std::string& delimiter,
    const std::string& continuationToken, ObjectListing& page)
{
    Call call{"GET", bucket, "", {{"list-type", "2"}}, {}, "", nullptr};
    if (!prefix.empty()) {
        call.query.push_back({"prefix", prefix});
    }
    if (!delimiter.empty()) {
        call.query.push_back({"delimiter", delimiter});
    }
    if (!continuationToken.empty()) {
        call.query.push_back({"continuation-token", continuationToken});
    }
    std::string text;
    S3Error error = ExecuteForText(call, text);
    if (!error.Ok()) {
        return error;
    }
    page = {};
    for (const std::string_view contents : XmlElements(text, "Contents")) {
        ObjectInfo info;
        info.key = XmlValue(contents, "Key");
        info.size = UnsignedOr0(XmlValue(contents, "Size"));
        info.etag = XmlValue(contents, "ETag");
        page.objects.push_back(std::move(info));
    }
    for (const std::string_view common : XmlElements(text, "CommonPrefixes")) {
        page.commonPrefixes.push_back(XmlValue(common, "Prefix"));
    }
    if (IsTrue(text, "IsTruncated")) {
        page.nextContinuationToken = XmlValue(text, "NextContinuationToken");
        if (page.nextContinuationToken.empty()) {
            // A truncated page with no way on would be read as the last one.
            return {S3Problem::BadAnswer, error.httpStatus, ""};
        }
    }
    return error;
}

S3Error S3Client::CreateMultipartUpload(
    const std::string& bucket, const std::string& key, const ObjectLock& lock, std::string& uploadId)
{
    Call call{"POST", bucket, key, {{"uploads", ""}}, {}, "", nullptr};
    AddLockHeaders(lock, call.headers);
    std::string text;
    S3Error error = ExecuteForText(call, text);
    if (!error.Ok()) {
        return error;
    }
    uploadId = XmlValue(text, "UploadId");
    return uploadId.empty() ? S3Error{S3Problem::BadAnswer, error.httpStatus, ""} : error;
}

S3Error S3Client::UploadPart(const std::string& bucket, const std::string& key, const std::string& uploadId,
    std::int32_t partNumber, BodySource& body, const PayloadDigests& digests, std::string& etag)
{
    const Call call{"PUT", bucket, key, {{"partNumber", std::to_string(partNumber)}, {"uploadId", uploadId}},
        {{"Content-MD5", digests.md5Base64}}, digests.sha256Hex, &body};
    std::string text;
    HttpResponse response;
    S3Error error = ExecuteForText(call, text, &response);
    if (error.Ok()) {
        etag = response.Header("ETag");
    }
    return error;
}

S3Error S3Client::CompleteMultipartUpload(const std::string& bucket, const std::string& key,
    const std::string& uploadId, const std::vector<UploadedPart>& parts)
{
    std::string document = "<CompleteMultipartUpload>";
    for (const UploadedPart& part : parts) {
        document += "<Part><PartNumber>" + std::to_string(part.partNumber) + "</PartNumber><ETag>"
            + XmlEscaped(part.etag) + "</ETag></Part>";
    }
    document += "</CompleteMultipartUpload>";
    const PayloadDigests digests = DigestsOf(document);
    StringSource body(document);
    std::string text;
    return ExecuteForText({"POST", bucket, key, {{"uploadId", uploadId}}, {{"Content-MD5", digests.md5Base64}},
                              digests.sha256Hex, &body},
        text);
}

S3Error S3Client::PutObjectRetention(
    const std::string& bucket, const std::string& key, const std::string& versionId, const ObjectLock& lock)
{
    const std::string document = "<Retention xmlns=\"http://s3.amazonaws.com/doc/2006-03-01/\"><Mode>"
        + std::string(LockModeName(lock.mode)) + "</Mode><RetainUntilDate>" + custody::UtcIso(lock.retainUntil)
        + "</RetainUntilDate></Retention>";
    const PayloadDigests digests = DigestsOf(document);
    StringSource body(document);
    std::vector<QueryParameter> query = {{"retention", ""}};
    if (!versionId.empty()) {
        query.push_back({"versionId", versionId});
    }
    std::string text;
    return ExecuteForText(
        {"PUT", bucket, key, query, {{"Content-MD5", digests.md5Base64}}, digests.sha256Hex, &body}, text);
}

S3Error S3Client::AbortMultipartUpload(const std::string& bucket, const std::string& key, const std::string& uploadId)
{
    std::string text;
    return ExecuteForText({"DELETE", bucket, key, {{"uploadId", uploadId}}, {}, "", nullptr}, text);
}

S3Error S3Client::ListParts(
    const std::string& bucket, const std::string& key, const std::string& uploadId, std::vector<UploadedPart>& parts)
{
    parts.clear();
    std::string marker;
    for (;;) {
        Call call{"GET", bucket, key, {{"uploadId", uploadId}}, {}, "", nullptr};
        if (!marker.empty()) {
            call.query.push_back({"part-number-marker", marker});
        }
        std::string text;
        S3Error error = ExecuteForText(call, text);
        if (!error.Ok()) {
            return error;
        }
        for (const std::string_view element : XmlElements(text, "Part")) {
            UploadedPart part;
            part.partNumber = static_cast<std::int32_t>(std::min<std::uint64_t>(UnsignedOr0(XmlValue(element, "PartNumber")), 0x7FFFFFFF));
            part.etag = XmlValue(element, "ETag");
            part.size = UnsignedOr0(XmlValue(element, "Size"));
            parts.push_back(std::move(part));
        }
        const std::string next = XmlValue(text, "NextPartNumberMarker");
        if (!IsTrue(text, "IsTruncated")) {
            return error;
        }
        if (next.empty() || next == marker) {
            return {S3Problem::BadAnswer, error.httpStatus, ""};
        }
        marker = next;
    }
}

S3Error S3Client::ListMultipartUploads(
    const std::string& bucket, const std::string& prefix, std::vector<MultipartUpload>& uploads)
{
    uploads.clear();
    std::string keyMarker;
    std::string uploadIdMarker;
    for (;;) {
        Call call{"GET", bucket, "", {{"uploads", ""}}, {}, "", nullptr};
        if (!prefix.empty()) {
            call.query.push_back({"prefix", prefix});
        }
        if (!keyMarker.empty()) {
            call.query.push_back({"key-marker", keyMarker});
            call.query.push_back({"upload-id-marker", uploadIdMarker});
        }
        std::string text;
        S3Error error = ExecuteForText(call, text);
        if (!error.Ok()) {
            return error;
        }
        for (const std::string_view element : XmlElements(text, "Upload")) {
            uploads.push_back({XmlValue(element, "Key"), XmlValue(element, "UploadId")});
        }
        if (!IsTrue(text, "IsTruncated")) {
            return error;
        }
        const std::string nextKey = XmlValue(text, "NextKeyMarker");
        const std::string nextUpload = XmlValue(text, "NextUploadIdMarker");
        if (nextKey.empty() || (nextKey == keyMarker && nextUpload == uploadIdMarker)) {
            return {S3Problem::BadAnswer, error.httpStatus, ""};
        }
        keyMarker = nextKey;
        uploadIdMarker = nextUpload;
    }
}

}  // namespace objectstore
