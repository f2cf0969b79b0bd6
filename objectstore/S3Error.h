// What went wrong with a request to the store, in the operator's words.
// Built from the transport's failure, the HTTP status and S3's error code;
// never from S3's own message, which may echo the request.
#pragma once

#include <string>
#include <string_view>

#include "objectstore/HttpTransport.h"

namespace objectstore {

enum class S3Problem {
    None,
    Unreachable,
    // Connected, then no answer, more than the retries allow.
    Dropped,
    Certificate,
    // InvalidAccessKeyId, SignatureDoesNotMatch.
    WrongKeys,
    // RequestTimeTooSkewed: this PC's clock is off.
    ClockSkew,
    NoSuchBucket,
    NoSuchKey,
    NoSuchUpload,
    AccessDenied,
    NoObjectLock,
    // BadDigest, XAmzContentSHA256Mismatch: the body arrived damaged.
    DamagedInTransit,
    // 5xx (InternalError, SlowDown, ...), more than the retries allow.
    StoreFailed,
    // The body source or sink failed on this side.
    LocalIo,
    // An answer the client cannot read.
    BadAnswer,
    Other,
};

struct S3Error {
    S3Problem problem = S3Problem::None;
    int httpStatus = 0;
    // S3's error code ("NoSuchBucket"), empty where there was none.
    std::string code;

    bool Ok() const { return problem == S3Problem::None; }
};

// The error of a finished exchange; None for a 2xx answer.
S3Error ErrorOf(const HttpResponse& response);
S3Problem ProblemOf(int httpStatus, std::string_view code);
// Worth another try: a dropped connection, a 5xx, S3's RequestTimeout.
bool Retriable(const S3Error& error);
// One sentence for the operator; no secret, no request detail.
std::string Describe(const S3Error& error);

}  // namespace objectstore
