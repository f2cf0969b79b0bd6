#include <gtest/gtest.h>

#include <map>
#include <string>

#include "objectstore/S3Error.h"
#include "objectstore/S3Settings.h"

namespace objectstore {
namespace {

struct ErrorCase {
    int status;
    const char* body;
    TransportFailure failure;
    S3Problem problem;
    bool retriable;
    // A phrase the operator reads.
    const char* says;
};

TEST(S3Errors, TheStoresAnswersInTheOperatorsWords)
{
    const TransportFailure none = TransportFailure::None;
    const ErrorCase cases[] = {
        {403, "<Error><Code>InvalidAccessKeyId</Code></Error>", none, S3Problem::WrongKeys, false, "refused the keys"},
        {403, "<?xml version=\"1.0\"?><Error><Code>SignatureDoesNotMatch</Code><Message>m</Message>"
              "<StringToSign>AWS4-HMAC-SHA256</StringToSign></Error>", none, S3Problem::WrongKeys, false, "secret key"},
        {403, "<Error><Code>RequestTimeTooSkewed</Code></Error>", none, S3Problem::ClockSkew, false, "clock is off"},
        {404, "<Error><Code>NoSuchBucket</Code><BucketName>evidence</BucketName></Error>", none,
            S3Problem::NoSuchBucket, false, "no such bucket"},
        {403, "<Error><Code>AccessDenied</Code></Error>", none, S3Problem::AccessDenied, false, "denied access"},
        {404, "<Error><Code>ObjectLockConfigurationNotFoundError</Code></Error>", none, S3Problem::NoObjectLock, false,
            "no Object Lock"},
        {400, "<Error><Code>BadDigest</Code></Error>", none, S3Problem::DamagedInTransit, false, "damaged"},
        {400, "<Error><Code>XAmzContentSHA256Mismatch</Code></Error>", none, S3Problem::DamagedInTransit, false,
            "damaged"},
        {400, "<Error><Code>RequestTimeout</Code></Error>", none, S3Problem::Dropped, true, "stopped answering"},
        {503, "<Error><Code>SlowDown</Code></Error>", none, S3Problem::StoreFailed, true, "HTTP 503 SlowDown"},
        {500, "", none, S3Problem::StoreFailed, true, "HTTP 500"},
        // HEAD answers carry no body.
        {404, "", none, S3Problem::NoSuchKey, false, "no such object"},
        {403, "", none, S3Problem::AccessDenied, false, "denied access"},
        // A code that is not a plain word is not shown.
        {400, "<Error><Code>Bad\r\nSet-Cookie: x</Code></Error>", none, S3Problem::Other, false, "(HTTP 400)"},
        {0, "", TransportFailure::Unreachable, S3Problem::Unreachable, false, "cannot be reached"},
        {0, "", TransportFailure::Dropped, S3Problem::Dropped, true, "stopped answering"},
        {0, "", TransportFailure::Certificate, S3Problem::Certificate, false, "certificate"},
        {200, "", none, S3Problem::None, false, "done"},
    };
    for (const ErrorCase& c : cases) {
        HttpResponse response;
        response.status = c.status;
        response.errorBody = c.body;
        response.failure = c.failure;
        const S3Error error = ErrorOf(response);
        EXPECT_EQ(c.problem, error.problem) << c.status << ' ' << c.body;
        EXPECT_EQ(c.retriable, Retriable(error)) << c.status << ' ' << c.body;
        EXPECT_NE(std::string::npos, Describe(error).find(c.says)) << Describe(error);
    }
}

struct SettingsCase {
    const char* name;
    std::map<std::string, std::string> environment;
    std::string endpointOption;
    std::string profileOption;
    SettingsProblem problem;
    const char* accessKeyId;
    const char* hostAndPort;
    bool https;
    bool pathStyle;
    const char* region;
};

constexpr const char* kCredentialsFile =
    "# stations\n[default]\naws_access_key_id = AKIDFILE\naws_secret_access_key = fileSecret\n\n"
    "[ dock-7 ]\r\naws_access_key_id=AKIDDOCK\r\naws_secret_access_key=dockSecret\r\naws_session_token=tok\r\n"
    "[half]\naws_access_key_id=AKIDHALF\n";

TEST(S3Settings, EndpointAndKeysFollowTheConventionsS3UsersKnow)
{
    const std::map<std::string, std::string> keys = {
        {"AWS_ACCESS_KEY_ID", "AKIDENV"}, {"AWS_SECRET_ACCESS_KEY", "envSecret"}};
    auto with = [&keys](std::map<std::string, std::string> more) {
        more.insert(keys.begin(), keys.end());
        return more;
    };
    const SettingsCase cases[] = {
        {"AWS by default", keys, "", "", SettingsProblem::None, "AKIDENV", "s3.us-east-1.amazonaws.com", true, false,
            "us-east-1"},
        {"a region's endpoint", with({{"AWS_REGION", "eu-central-1"}}), "", "", SettingsProblem::None, "AKIDENV",
            "s3.eu-central-1.amazonaws.com", true, false, "eu-central-1"},
        {"a custom endpoint, path-style", with({{"AWS_ENDPOINT_URL", "http://127.0.0.1:7480/"}}), "", "",
            SettingsProblem::None, "AKIDENV", "127.0.0.1:7480", false, true, "us-east-1"},
        {"the option before the environment", with({{"AWS_ENDPOINT_URL", "http://other"}}), "https://s3.lab:8443",
            "", SettingsProblem::None, "AKIDENV", "s3.lab:8443", true, true, "us-east-1"},
        {"a named profile before the environment's keys", keys, "", "dock-7", SettingsProblem::None, "AKIDDOCK",
            "s3.us-east-1.amazonaws.com", true, false, "us-east-1"},
        {"the default profile without keys in the environment", {}, "", "", SettingsProblem::None, "AKIDFILE",
            "s3.us-east-1.amazonaws.com", true, false, "us-east-1"},
        {"AWS_PROFILE", {{"AWS_PROFILE", "dock-7"}}, "", "", SettingsProblem::None, "AKIDDOCK",
            "s3.us-east-1.amazonaws.com", true, false, "us-east-1"},
        {"a profile without its secret", keys, "", "half", SettingsProblem::NoSuchProfile, "", "", true, true, ""},
        {"a profile not in the file", keys, "", "nowhere", SettingsProblem::NoSuchProfile, "", "", true, true, ""},
        {"no file, no keys", {{"AWS_SHARED_CREDENTIALS_FILE", "/missing"}}, "", "", SettingsProblem::NoCredentials,
            "", "", true, true, ""},
        {"not http", keys, "ftp://s3.lab", "", SettingsProblem::BadEndpoint, "", "", true, true, ""},
        {"a path after the host", keys, "http://s3.lab/bucket", "", SettingsProblem::BadEndpoint, "", "", true, true, ""},
        {"a port out of range", keys, "http://s3.lab:65536", "", SettingsProblem::BadEndpoint, "", "", true, true, ""},
        {"user info", keys, "http://user:pw@s3.lab", "", SettingsProblem::BadEndpoint, "", "", true, true, ""},
    };
    for (const SettingsCase& c : cases) {
        SettingsSources sources;
        sources.endpointOption = c.endpointOption;
        sources.profileOption = c.profileOption;
        sources.defaultCredentialsPath = "/home/station/.aws/credentials";
        sources.environment = [&c](const char* name, std::string& value) {
            const auto found = c.environment.find(name);
            value = found == c.environment.end() ? "" : found->second;
            return !value.empty();
        };
        sources.readFile = [](const std::string& path, std::string& text) {
            text = kCredentialsFile;
            return path == "/home/station/.aws/credentials";
        };
        StoreSettings settings;
        ASSERT_EQ(c.problem, ResolveSettings(sources, settings)) << c.name;
        if (c.problem != SettingsProblem::None) {
            EXPECT_FALSE(Describe(c.problem).empty());
            continue;
        }
        EXPECT_EQ(c.accessKeyId, settings.credentials.accessKeyId) << c.name;
        EXPECT_EQ(c.hostAndPort, HostHeader(settings.endpoint)) << c.name;
        EXPECT_EQ(c.https, settings.endpoint.https) << c.name;
        EXPECT_EQ(c.pathStyle, settings.pathStyle) << c.name;
        EXPECT_EQ(c.region, settings.region) << c.name;
        EXPECT_EQ(std::string(c.accessKeyId) == "AKIDDOCK" ? "tok" : "", settings.credentials.sessionToken) << c.name;
    }
}

TEST(S3Settings, ArchiveUrlsNameABucketAndAPrefix)
{
    S3Location location;
    ASSERT_TRUE(ParseS3Url("s3://evidence-2026/station 1/", location));
    EXPECT_EQ("evidence-2026", location.bucket);
    EXPECT_EQ("station 1", location.prefix);
    ASSERT_TRUE(ParseS3Url("s3://evidence", location));
    EXPECT_EQ("", location.prefix);
    for (const char* bad : {"s3://", "s3://ab", "s3://Evidence", "s3://-evidence", "s3://evidence//x",
             "s3://evi_dence/x", "S3://evidence", "/evidence"}) {
        EXPECT_FALSE(ParseS3Url(bad, location)) << bad;
    }
}

}  // namespace
}  // namespace objectstore
