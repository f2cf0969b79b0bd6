// A tiny HTTP server on 127.0.0.1 for the transport tests: it takes one
// connection per canned answer, records the request and sends the answer
// (or closes without one), then stops. BSD sockets natively, Winsock on
// Windows, so that WinHTTP is tested under Wine as libcurl is natively.
#pragma once

#include <cstdint>
#include <string>
#include <thread>
#include <vector>

namespace objectstore {

struct ReceivedRequest {
    std::string head;
    std::string body;
    // The value of a header in the head, name compared without case.
    std::string Header(const std::string& name) const;
};

class LoopbackServer {
public:
    // Each answer is the raw bytes sent back; empty closes the connection
    // without a word.
    explicit LoopbackServer(std::vector<std::string> answers);
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    std::uint16_t Port() const { return port_; }
    // Waits until every answer was given; the requests in order.
    const std::vector<ReceivedRequest>& Received();
    // A loopback port nothing listens on (bound, then closed).
    static std::uint16_t ClosedPort();

private:
    void Serve();

    std::vector<std::string> answers_;
    std::vector<ReceivedRequest> received_;
    std::intptr_t listener_ = -1;
    std::uint16_t port_ = 0;
    std::thread thread_;
};

}  // namespace objectstore
