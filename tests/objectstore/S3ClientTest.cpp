#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "objectstore/MemoryBodies.h"
#include "objectstore/S3Client.h"
#include "tests/objectstore/ScriptedTransport.h"

namespace objectstore {
namespace {

constexpr const char* kSecret = "wJalrXUtnFEMI/K7MDENG+bPxRfiCYEXAMPLEKEY";
constexpr const char* kToken = "session/token+value=";
constexpr std::int64_t kNow = 1798761600;  // 2027-01-01T00:00:00Z

StoreSettings LoopbackSettings()
{
    StoreSettings settings;
    settings.endpoint = {false, "127.0.0.1", 7480};
    settings.region = "us-east-1";
    settings.credentials = {"AKIDEXAMPLE", kSecret, kToken};
    return settings;
}

struct Harness {
    ScriptedTransport transport;
    std::vector<std::int32_t> pauses;
    S3Client client;

    explicit Harness(StoreSettings settings = LoopbackSettings())
        : client(std::move(settings), transport,
            {5, 200, 5000, [this](std::int32_t ms) { pauses.push_back(ms); }, [] { return kNow; }})
    {
    }
};

int HexValue(char c)
{
    return c <= '9' ? c - '0' : c - 'A' + 10;
}

std::string PercentDecoded(std::string_view text)
{
    std::string decoded;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            decoded += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
            i += 2;
        } else {
            decoded += text[i];
        }
    }
    return decoded;
}

// What the store does with a request: decode the target it received, sign
// that with the same secret, and compare.
std::string SignatureAsTheStoreChecksIt(const SentRequest& sent, const StoreSettings& settings)
{
    const std::string& target = sent.request.target;
    const std::size_t question = target.find('?');
    SignedRequest request{sent.request.method, PercentDecoded(target.substr(0, question)), {}, {}, ""};
    std::string_view query = question == std::string::npos ? "" : std::string_view(target).substr(question + 1);
    while (!query.empty()) {
        const std::string_view pair = query.substr(0, query.find('&'));
        const std::size_t equals = pair.find('=');
        request.query.push_back({PercentDecoded(pair.substr(0, equals)), PercentDecoded(pair.substr(equals + 1))});
        query.remove_prefix(std::min(query.size(), pair.size() + 1));
    }
    for (const HttpHeader& header : sent.request.headers) {
        if (header.name != "Authorization") {
            request.headers.push_back(header);
        }
    }
    request.headers.push_back({"Host", HostHeader(sent.endpoint)});
    request.payloadSha256Hex = sent.Header("x-amz-content-sha256");
    return Authorization(request, settings.credentials, {settings.region, "s3"}, sent.Header("x-amz-date"));
}

struct RequestCase {
    const char* name;
    StoreSettings settings;
    std::string bucket;
    std::string key;
    std::vector<QueryParameter> query;
    const char* host;
    const char* target;
};

TEST(S3Requests, KeysAreEncodedOnceAndTheStoreFindsTheSignatureItExpects)
{
    StoreSettings aws = LoopbackSettings();
    aws.endpoint = {true, "s3.eu-west-1.amazonaws.com", 443};
    aws.region = "eu-west-1";
    aws.pathStyle = false;
    const RequestCase cases[] = {
        {"space in a key", LoopbackSettings(), "evidence", "K1/20261208T091502Z/data/DCIM/a b.MP4", {},
            "127.0.0.1:7480", "/evidence/K1/20261208T091502Z/data/DCIM/a%20b.MP4"},
        {"UTF-8 and reserved characters", LoopbackSettings(), "evidence", "donn\xC3\xA9" "es/\xE1\x88\xB4+1%.txt", {},
            "127.0.0.1:7480", "/evidence/donn%C3%A9es/%E1%88%B4%2B1%25.txt"},
        {"query sorted and encoded", LoopbackSettings(), "evidence", "k", {{"uploadId", "a/b+c="}, {"partNumber", "7"}},
            "127.0.0.1:7480", "/evidence/k?partNumber=7&uploadId=a%2Fb%2Bc%3D"},
        {"AWS: bucket in the host name", aws, "evidence", "K1/x", {{"uploads", ""}},
            "evidence.s3.eu-west-1.amazonaws.com", "/K1/x?uploads="},
        {"AWS: a dotted bucket stays in the path", aws, "evidence.eu", "k", {},
            "s3.eu-west-1.amazonaws.com", "/evidence.eu/k"},
    };
    for (const RequestCase& c : cases) {
        Harness harness(c.settings);
        Endpoint endpoint;
        HttpRequest request;
        harness.client.Build({"GET", c.bucket, c.key, c.query, {}, "", nullptr}, kNow, endpoint, request);
        const SentRequest sent{endpoint, request, ""};
        EXPECT_EQ(c.host, HostHeader(endpoint)) << c.name;
        EXPECT_EQ(c.target, request.target) << c.name;
        EXPECT_EQ("20270101T000000Z", sent.Header("x-amz-date")) << c.name;
        EXPECT_EQ(kToken, sent.Header("x-amz-security-token")) << c.name;
        const std::string authorization = sent.Header("Authorization");
        EXPECT_NE(std::string::npos,
            authorization.find("SignedHeaders=host;x-amz-content-sha256;x-amz-date;x-amz-security-token,"))
            << c.name;
        EXPECT_EQ(SignatureAsTheStoreChecksIt(sent, c.settings), authorization) << c.name;
        EXPECT_EQ(std::string::npos, authorization.find(kSecret)) << c.name;
    }
}

TEST(S3Client, RetriesDroppedAndFailedTriesWithGrowingPausesThenGivesUp)
{
    Harness harness;
    harness.transport.answers = {{503, "<Error><Code>SlowDown</Code></Error>"},
        {0, "", {}, TransportFailure::Dropped}, {200, "", {{"ETag", "\"e1\""}}}};
    StringSource body("abc");
    std::string etag;
    const S3Error put = harness.client.PutObject("evidence", "k", body, DigestsOf("abc"),
        {LockMode::Compliance, kNow + 86400}, &etag);
    EXPECT_TRUE(put.Ok()) << Describe(put);
    EXPECT_EQ("\"e1\"", etag);
    EXPECT_EQ((std::vector<std::int32_t>{200, 400}), harness.pauses);
    ASSERT_EQ(3u, harness.transport.sent.size());
    for (const SentRequest& sent : harness.transport.sent) {
        EXPECT_EQ("abc", sent.body) << "each try sends the whole body";
        EXPECT_EQ("kAFQmDzST7DWlj99KOF/cg==", sent.Header("Content-MD5"));
        EXPECT_EQ("ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad",
            sent.Header("x-amz-content-sha256"));
        EXPECT_EQ("COMPLIANCE", sent.Header("x-amz-object-lock-mode"));
        EXPECT_EQ("2027-01-02T00:00:00Z", sent.Header("x-amz-object-lock-retain-until-date"));
    }

    Harness failing;
    failing.transport.answers.assign(6, {500, ""});
    const S3Error gaveUp = failing.client.HeadBucket("evidence");
    EXPECT_EQ(S3Problem::StoreFailed, gaveUp.problem);
    EXPECT_EQ((std::vector<std::int32_t>{200, 400, 800, 1600}), failing.pauses);

    Harness refused;
    refused.transport.answers = {{403, "<Error><Code>SignatureDoesNotMatch</Code><StringToSign>x</StringToSign></Error>"}};
    EXPECT_EQ(S3Problem::WrongKeys, refused.client.HeadBucket("evidence").problem);
    EXPECT_EQ(1u, refused.transport.sent.size()) << "wrong keys are not tried again";
}

// An object read cut off part-way goes on from where it broke, in the same
// version, so that a hash over the sink sees each byte once or the read fails.
TEST(S3Client, ObjectReadCutOffContinuesWithTheRestOfTheSameVersion)
{
    const std::vector<HttpHeader> opening = {{"ETag", "\"v1\""}, {"Content-Length", "6"}};
    const std::vector<HttpHeader> rest = {{"Content-Range", "bytes 3-5/6"}};
    const ScriptedAnswer cutAfter3{200, "abcdef", opening, TransportFailure::Dropped, 3};
    const ScriptedAnswer restDropped{206, "def", rest, TransportFailure::Dropped, 0};
    struct Case {
        const char* name;
        std::vector<ScriptedAnswer> answers;
        S3Problem problem;
        std::string read;
    };
    const std::vector<Case> cases = {
        {"dropped before the body, then cut off, then the rest",
            {{200, "", {}, TransportFailure::Dropped}, cutAfter3, {503, ""}, {206, "def", rest}}, S3Problem::None,
            "abcdef"},
        {"cut off every time: unreadable, bytes never repeated",
            {cutAfter3, restDropped, restDropped, restDropped, restDropped}, S3Problem::Dropped, "abc"},
        {"the store ignores the range and starts again", {cutAfter3, {200, "abcdef", opening}},
            S3Problem::BadAnswer, "abcabcdef"},
        {"the object changed meanwhile", {cutAfter3, {412, "<Error><Code>PreconditionFailed</Code></Error>"}},
            S3Problem::Other, "abc"},
    };
    for (const Case& c : cases) {
        Harness harness;
        harness.transport.answers.assign(c.answers.begin(), c.answers.end());
        StringSink sink(100);
        ObjectInfo info;
        EXPECT_EQ(c.problem, harness.client.GetObject("evidence", "k", sink, &info).problem) << c.name;
        EXPECT_EQ(c.read, sink.Text()) << c.name;
        for (const SentRequest& sent : harness.transport.sent) {
            const bool continuing = sent.Header("If-Match") == "\"v1\"";
            EXPECT_EQ(continuing ? "bytes=3-" : "", sent.Header("Range")) << c.name;
        }
        if (c.problem == S3Problem::None) {
            EXPECT_EQ(6u, info.size) << "the object's size, not the rest's";
        }
    }
}

TEST(S3Client, ReadsListingsPageByPage)
{
    Harness harness;
    harness.transport.answers = {
        {200, "<ListBucketResult><Name>evidence</Name><Prefix>K1/</Prefix><KeyCount>2</KeyCount>"
              "<IsTruncated>true</IsTruncated><NextContinuationToken>t/2+=</NextContinuationToken>"
              "<Contents><Key>K1/a&amp;b &#x41;.txt</Key><Size>5368709120</Size><ETag>&quot;x&quot;</ETag></Contents>"
              "<Contents><Key>K1/empty</Key><Size>0</Size></Contents>"
              "<CommonPrefixes><Prefix>K1/20261208T091502Z/</Prefix></CommonPrefixes></ListBucketResult>"},
        {200, "<ListBucketResult><IsTruncated>false</IsTruncated></ListBucketResult>"},
        {200, "<ListBucketResult><IsTruncated>true</IsTruncated></ListBucketResult>"}};
    ObjectListing page;
    ASSERT_TRUE(harness.client.ListObjectsV2("evidence", "K1/", "/", "", page).Ok());
    ASSERT_EQ(2u, page.objects.size());
    EXPECT_EQ("K1/a&b A.txt", page.objects[0].key);
    EXPECT_EQ(5368709120u, page.objects[0].size);
    EXPECT_EQ("\"x\"", page.objects[0].etag);
    EXPECT_EQ((std::vector<std::string>{"K1/20261208T091502Z/"}), page.commonPrefixes);
    EXPECT_EQ("t/2+=", page.nextContinuationToken);

    ASSERT_TRUE(harness.client.ListObjectsV2("evidence", "K1/", "/", page.nextContinuationToken, page).Ok());
    EXPECT_EQ("/evidence?continuation-token=t%2F2%2B%3D&delimiter=%2F&list-type=2&prefix=K1%2F",
        harness.transport.sent[1].request.target);
    EXPECT_TRUE(page.objects.empty());
    EXPECT_EQ("", page.nextContinuationToken);

    EXPECT_EQ(S3Problem::BadAnswer, harness.client.ListObjectsV2("evidence", "", "", "", page).problem)
        << "a truncated page without a token would end the listing early";
}

TEST(S3Client, MultipartUploadIsListedCompletedAndAnErrorInsideA200IsAFailure)
{
    Harness harness;
    harness.transport.answers = {
        {200, "<ListPartsResult><IsTruncated>true</IsTruncated><NextPartNumberMarker>1</NextPartNumberMarker>"
              "<Part><PartNumber>1</PartNumber><ETag>\"p1\"</ETag><Size>67108864</Size></Part></ListPartsResult>"},
        {200, "<ListPartsResult><IsTruncated>false</IsTruncated>"
              "<Part><PartNumber>2</PartNumber><ETag>\"p2\"</ETag><Size>3</Size></Part></ListPartsResult>"},
        {200, "<Error><Code>InternalError</Code></Error>"},
        {200, "<CompleteMultipartUploadResult><Key>k</Key></CompleteMultipartUploadResult>"}};
    std::vector<UploadedPart> parts;
    ASSERT_TRUE(harness.client.ListParts("evidence", "k", "u1", parts).Ok());
    ASSERT_EQ(2u, parts.size());
    EXPECT_EQ(67108864u, parts[0].size);
    EXPECT_EQ("\"p2\"", parts[1].etag);
    EXPECT_EQ("/evidence/k?part-number-marker=1&uploadId=u1", harness.transport.sent[1].request.target);

    const S3Error completed = harness.client.CompleteMultipartUpload("evidence", "k", "u1", parts);
    EXPECT_TRUE(completed.Ok()) << Describe(completed);
    ASSERT_EQ(4u, harness.transport.sent.size()) << "the failure inside the 200 was tried again";
    EXPECT_EQ("<CompleteMultipartUpload><Part><PartNumber>1</PartNumber><ETag>\"p1\"</ETag></Part>"
              "<Part><PartNumber>2</PartNumber><ETag>\"p2\"</ETag></Part></CompleteMultipartUpload>",
        harness.transport.sent[3].body);
}

TEST(S3Client, BucketWithoutObjectLockIsRefused)
{
    Harness harness;
    harness.transport.answers = {
        {404, "<Error><Code>ObjectLockConfigurationNotFoundError</Code></Error>"},
        {200, "<ObjectLockConfiguration></ObjectLockConfiguration>"},
        {200, "<ObjectLockConfiguration><ObjectLockEnabled>Enabled</ObjectLockEnabled><Rule><DefaultRetention>"
              "<Mode>COMPLIANCE</Mode><Days>30</Days></DefaultRetention></Rule></ObjectLockConfiguration>"}};
    LockConfiguration configuration;
    EXPECT_EQ(S3Problem::NoObjectLock, harness.client.GetObjectLockConfiguration("evidence", configuration).problem);
    EXPECT_EQ(S3Problem::NoObjectLock, harness.client.GetObjectLockConfiguration("evidence", configuration).problem);
    ASSERT_TRUE(harness.client.GetObjectLockConfiguration("evidence", configuration).Ok());
    EXPECT_EQ(LockMode::Compliance, configuration.defaultMode);
    EXPECT_EQ(30, configuration.defaultDays);
}

}  // namespace
}  // namespace objectstore
