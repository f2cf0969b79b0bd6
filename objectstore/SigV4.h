// Requests signed with AWS Signature Version 4: the canonical request, the
// string to sign, the derived key and the Authorization header. HMAC and
// SHA-256 come from the platform's crypto (core/Hash.h).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace objectstore {

// Every copy overwrites its secret key and token when it goes.
struct Credentials {
    Credentials() = default;
    Credentials(const Credentials&) = default;
    Credentials(Credentials&&) = default;
    Credentials& operator=(const Credentials&) = default;
    Credentials& operator=(Credentials&&) = default;
    ~Credentials();

    std::string accessKeyId;
    std::string secretAccessKey;
    // Empty unless the keys are temporary ones.
    std::string sessionToken;
};

struct HttpHeader {
    std::string name;
    std::string value;
};

// A query parameter as the caller means it, not yet URI-encoded.
struct QueryParameter {
    std::string name;
    std::string value;
};

// What a signature covers. Every header in `headers` is signed, so it must
// hold host and x-amz-date (and for S3 x-amz-content-sha256) as sent.
struct SignedRequest {
    std::string method;
    // Not yet URI-encoded: each segment is encoded once, '/' kept, no
    // normalisation (S3 keys may hold "//" and "..").
    std::string path;
    std::vector<QueryParameter> query;
    std::vector<HttpHeader> headers;
    std::string payloadSha256Hex;
};

struct SigningScope {
    std::string region;
    std::string service;
};

// RFC 3986 unreserved characters stay, every other byte becomes %XX
// (uppercase); '/' stays unless `encodeSlash`.
std::string UriEncode(std::string_view text, bool encodeSlash);
// "a=1&b=2": names and values encoded, sorted by encoded name then value.
std::string CanonicalQueryString(const std::vector<QueryParameter>& query);
// "host;x-amz-date": lowercase names, sorted, each once.
std::string SignedHeaderNames(const std::vector<HttpHeader>& headers);
std::string CanonicalRequest(const SignedRequest& request);
// `amzDate` is the request's x-amz-date, "20150830T123600Z".
std::string StringToSign(std::string_view amzDate, const SigningScope& scope, std::string_view canonicalRequest);
// The raw 32-byte key of the day, region and service; empty when HMAC failed.
std::string SigningKey(std::string_view secretAccessKey, std::string_view amzDate, const SigningScope& scope);
// The Authorization header's value; empty when HMAC failed.
std::string Authorization(const SignedRequest& request, const Credentials& credentials,
    const SigningScope& scope, std::string_view amzDate);

}  // namespace objectstore
