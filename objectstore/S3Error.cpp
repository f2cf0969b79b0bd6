#include "objectstore/S3Error.h"

#include "objectstore/XmlText.h"

namespace objectstore {

namespace {

struct CodeEntry {
    std::string_view code;
    S3Problem problem;
};

constexpr CodeEntry kCodes[] = {
    {"InvalidAccessKeyId", S3Problem::WrongKeys},
    {"SignatureDoesNotMatch", S3Problem::WrongKeys},
    {"RequestTimeTooSkewed", S3Problem::ClockSkew},
    {"NoSuchBucket", S3Problem::NoSuchBucket},
    {"NoSuchKey", S3Problem::NoSuchKey},
    {"NoSuchUpload", S3Problem::NoSuchUpload},
    {"AccessDenied", S3Problem::AccessDenied},
    {"ObjectLockConfigurationNotFoundError", S3Problem::NoObjectLock},
    {"BadDigest", S3Problem::DamagedInTransit},
    {"InvalidDigest", S3Problem::DamagedInTransit},
    {"XAmzContentSHA256Mismatch", S3Problem::DamagedInTransit},
    {"IncompleteBody", S3Problem::Dropped},
    {"RequestTimeout", S3Problem::Dropped},
};

struct StatusEntry {
    int status;
    S3Problem problem;
};

// Answers without a body (HEAD) say only their status.
constexpr StatusEntry kStatuses[] = {
    {403, S3Problem::AccessDenied},
    {404, S3Problem::NoSuchKey},
};

// S3's codes are short words; anything else is not shown to the operator.
std::string PlainCode(std::string code)
{
    constexpr std::size_t kLongest = 64;
    for (const char c : code) {
        const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
        if (!letter || code.size() > kLongest) {
            return "";
        }
    }
    return code;
}

S3Problem ProblemOfTransport(TransportFailure failure)
{
    switch (failure) {
    case TransportFailure::None: return S3Problem::None;
    case TransportFailure::Unreachable: return S3Problem::Unreachable;
    case TransportFailure::Dropped: return S3Problem::Dropped;
    case TransportFailure::Certificate: return S3Problem::Certificate;
    case TransportFailure::LocalIo: return S3Problem::LocalIo;
    }
    return S3Problem::Other;
}

}  // namespace

S3Problem ProblemOf(int httpStatus, std::string_view code)
{
    if (httpStatus >= 200 && httpStatus < 300) {
        return S3Problem::None;
    }
    for (const CodeEntry& entry : kCodes) {
        if (entry.code == code) {
            return entry.problem;
        }
    }
    if (httpStatus >= 500) {
        return S3Problem::StoreFailed;
    }
    if (code.empty()) {
        for (const StatusEntry& entry : kStatuses) {
            if (entry.status == httpStatus) {
                return entry.problem;
            }
        }
    }
    return S3Problem::Other;
}

S3Error ErrorOf(const HttpResponse& response)
{
    S3Error error;
    if (response.failure != TransportFailure::None) {
        error.problem = ProblemOfTransport(response.failure);
        return error;
    }
    error.httpStatus = response.status;
    error.code = PlainCode(XmlValue(response.errorBody, "Code"));
    error.problem = ProblemOf(response.status, error.code);
    return error;
}

bool Retriable(const S3Error& error)
{
    return error.problem == S3Problem::Dropped || error.problem == S3Problem::StoreFailed;
}

std::string Describe(const S3Error& error)
{
    switch (error.problem) {
    case S3Problem::None: return "done";
    case S3Problem::Unreachable: return "the object store cannot be reached: check the endpoint and the network";
    case S3Problem::Dropped: return "the object store stopped answering part-way, again after several tries";
    case S3Problem::Certificate: return "the object store's certificate was refused: it is not the store it claims to be, or its certificate is not trusted on this PC";
    case S3Problem::WrongKeys: return "the object store refused the keys: check the access key ID and the secret key";
    case S3Problem::ClockSkew: return "the object store refused the request because this PC's clock is off: set the date and time right and try again";
    case S3Problem::NoSuchBucket: return "there is no such bucket in the object store";
    case S3Problem::NoSuchKey: return "there is no such object in the bucket";
    case S3Problem::NoSuchUpload: return "the interrupted upload is no longer in the object store";
    case S3Problem::AccessDenied: return "the object store denied access: these keys may not do this in the bucket";
    case S3Problem::NoObjectLock: return "the bucket has no Object Lock, so it cannot keep recordings from being changed or deleted: use a bucket created with Object Lock";
    case S3Problem::DamagedInTransit: return "the object store received the data damaged on the way and refused it";
    case S3Problem::StoreFailed: return "the object store failed (HTTP " + std::to_string(error.httpStatus) + (error.code.empty() ? "" : " " + error.code) + "), again after several tries";
    case S3Problem::LocalIo: return "reading or writing the data on this PC failed";
    case S3Problem::BadAnswer: return "the object store's answer could not be read";
    case S3Problem::Other: break;
    }
    return "the object store refused the request (HTTP " + std::to_string(error.httpStatus)
        + (error.code.empty() ? "" : " " + error.code) + ")";
}

}  // namespace objectstore
