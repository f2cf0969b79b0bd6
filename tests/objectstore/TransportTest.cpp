#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "objectstore/HttpTransport.h"
#include "objectstore/MemoryBodies.h"
#include "tests/objectstore/LoopbackServer.h"

namespace objectstore {
namespace {

std::string Answer(const std::string& statusLine, const std::string& headers, const std::string& body)
{
    return "HTTP/1.1 " + statusLine + "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n" + headers
        + "Connection: close\r\n\r\n" + body;
}

std::string Pattern(std::size_t size)
{
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>((i * 131 + i / 251) & 0xFF);
    }
    return bytes;
}

// One journey through the platform's transport (libcurl natively, WinHTTP
// under Wine) on loopback: a streamed upload, a streamed download, an error
// answer, a HEAD, a connection dropped without an answer, and a port where
// nothing listens.
TEST(PlatformTransport, StreamsBodiesBothWaysAndTellsFailuresApart)
{
    const std::string upload = Pattern(1024 * 1024 + 3);
    const std::string download = Pattern(300 * 1024 + 1);
    const std::string errorXml = "<Error><Code>NoSuchKey</Code></Error>";
    LoopbackServer server({Answer("200 OK", "ETag: \"abc\"\r\n", ""), Answer("200 OK", "", download),
        Answer("404 Not Found", "", errorXml), Answer("200 OK", "x-amz-object-lock-mode: COMPLIANCE\r\n", ""),
        ""});
    const Endpoint endpoint{false, "127.0.0.1", server.Port()};
    const auto transport = MakePlatformTransport({});

    StringSource source(upload, 7919);  // odd-sized blocks, as a file read gives them
    StringSink sink(4 * 1024 * 1024);
    HttpRequest put{"PUT", "/evidence/a%20b", {{"x-amz-content-sha256", "sum"}}, &source};
    HttpResponse response = transport->Send(endpoint, put, sink);
    EXPECT_EQ(TransportFailure::None, response.failure);
    EXPECT_EQ(200, response.status);
    EXPECT_EQ("\"abc\"", response.Header("etag"));

    HttpRequest get{"GET", "/evidence/k", {}, nullptr};
    response = transport->Send(endpoint, get, sink);
    EXPECT_EQ(200, response.status);
    EXPECT_EQ(download.size(), sink.Text().size());
    EXPECT_TRUE(download == sink.Text()) << "the body arrives whole and in order";

    StringSink untouched(16);
    response = transport->Send(endpoint, get, untouched);
    EXPECT_EQ(404, response.status);
    EXPECT_EQ(errorXml, response.errorBody);
    EXPECT_EQ("", untouched.Text()) << "an error answer is not the object";

    HttpRequest head{"HEAD", "/evidence/k", {}, nullptr};
    response = transport->Send(endpoint, head, untouched);
    EXPECT_EQ(200, response.status);
    EXPECT_EQ("COMPLIANCE", response.Header("X-Amz-Object-Lock-Mode"));

    EXPECT_EQ(TransportFailure::Dropped, transport->Send(endpoint, get, untouched).failure);

    const std::vector<ReceivedRequest>& received = server.Received();
    ASSERT_EQ(5u, received.size());
    EXPECT_EQ(0u, received[0].head.rfind("PUT /evidence/a%20b HTTP/1.1\r\n", 0)) << received[0].head;
    EXPECT_EQ("127.0.0.1:" + std::to_string(server.Port()), received[0].Header("Host"));
    EXPECT_EQ("sum", received[0].Header("x-amz-content-sha256"));
    EXPECT_EQ(std::to_string(upload.size()), received[0].Header("Content-Length"));
    EXPECT_TRUE(upload == received[0].body) << "the upload arrives whole and in order";
    EXPECT_EQ(0u, received[3].head.rfind("HEAD ", 0));

    const Endpoint nobody{false, "127.0.0.1", LoopbackServer::ClosedPort()};
    EXPECT_EQ(TransportFailure::Unreachable, transport->Send(nobody, get, untouched).failure);
}

}  // namespace
}  // namespace objectstore
