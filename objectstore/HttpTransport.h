// The one seam between the S3 client and HTTP: libcurl natively, WinHTTP on
// Windows. Bodies stream both ways in blocks; nothing holds a whole object.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "objectstore/SigV4.h"

namespace objectstore {

struct Endpoint {
    bool https = true;
    std::string host;
    std::uint16_t port = 443;
};

// The Host header both transports send: the port only where it is not the
// scheme's own. The signature covers this text.
std::string HostHeader(const Endpoint& endpoint);

// A request body read in blocks; read again from its start for a retry.
class BodySource {
public:
    virtual ~BodySource() = default;
    virtual std::uint64_t Size() const = 0;
    virtual bool Rewind() = 0;
    // Up to `capacity` bytes into `buffer`; `count` 0 at the end. False when
    // the bytes could not be read.
    virtual bool Read(void* buffer, std::size_t capacity, std::size_t& count) = 0;
};

// Where a successful response's body goes, block by block.
class BodySink {
public:
    virtual ~BodySink() = default;
    // False stops the transfer.
    virtual bool Write(const void* bytes, std::size_t count) = 0;
};

struct HttpRequest {
    std::string method;
    // Already URI-encoded path and query: "/bucket/key?uploadId=...".
    std::string target;
    // Host and Content-Length are the transport's own; everything else here.
    std::vector<HttpHeader> headers;
    // Null for no body.
    BodySource* body = nullptr;
};

enum class TransportFailure {
    None,
    // No connection: the name did not resolve or nothing listened.
    Unreachable,
    // Connected, then the connection broke or the server went quiet.
    Dropped,
    // The server's certificate was refused.
    Certificate,
    // The body source or the sink failed; not worth a retry.
    LocalIo,
};

struct HttpResponse {
    TransportFailure failure = TransportFailure::None;
    int status = 0;
    std::vector<HttpHeader> headers;
    // The body of a response that is not 2xx (S3's error XML), cut at
    // kErrorBodyLimit; a 2xx body goes to the sink instead.
    std::string errorBody;

    // The first header of that name, compared without case; empty if none.
    std::string Header(std::string_view name) const;
};

constexpr std::size_t kErrorBodyLimit = 64 * 1024;

struct TransportTimeouts {
    std::int32_t connectSeconds = 15;
    // A transfer that moves no byte for this long is dropped.
    std::int32_t idleSeconds = 120;
};

// Safe to call from several threads at once.
class HttpTransport {
public:
    virtual ~HttpTransport() = default;
    virtual HttpResponse Send(const Endpoint& endpoint, const HttpRequest& request, BodySink& sink) = 0;
};

// libcurl natively, WinHTTP on Windows.
std::unique_ptr<HttpTransport> MakePlatformTransport(const TransportTimeouts& timeouts);

}  // namespace objectstore
