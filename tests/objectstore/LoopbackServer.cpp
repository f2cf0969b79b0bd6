#include "tests/objectstore/LoopbackServer.h"

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace objectstore {

namespace {

#ifdef _WIN32
using Native = SOCKET;
void CloseNative(Native s) { closesocket(s); }
#else
using Native = int;
void CloseNative(Native s) { close(s); }
#endif

Native AsNative(std::intptr_t s)
{
    return static_cast<Native>(s);
}

class OwnedSocket {
public:
    explicit OwnedSocket(Native s) : socket_(s) {}
    ~OwnedSocket() { CloseNative(socket_); }
    OwnedSocket(const OwnedSocket&) = delete;
    OwnedSocket& operator=(const OwnedSocket&) = delete;
    Native Get() const { return socket_; }

private:
    Native socket_;
};

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::intptr_t Listen(std::uint16_t& port)
{
    const Native s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t size = sizeof(address);
    if (bind(s, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 || listen(s, 8) != 0
        || getsockname(s, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        std::abort();
    }
    port = ntohs(address.sin_port);
    return static_cast<std::intptr_t>(s);
}

ReceivedRequest ReadRequest(Native connection)
{
    ReceivedRequest request;
    std::string bytes;
    char block[65536];
    std::size_t headEnd = std::string::npos;
    std::size_t wanted = 0;
    for (;;) {
        if (headEnd == std::string::npos && (headEnd = bytes.find("\r\n\r\n")) != std::string::npos) {
            request.head = bytes.substr(0, headEnd + 2);
            const std::string length = request.Header("Content-Length");
            wanted = headEnd + 4 + (length.empty() ? 0 : std::strtoull(length.c_str(), nullptr, 10));
        }
        if (headEnd != std::string::npos && bytes.size() >= wanted) {
            request.body = bytes.substr(headEnd + 4);
            return request;
        }
        const int count = recv(connection, block, sizeof block, 0);
        if (count <= 0) {
            return request;
        }
        bytes.append(block, static_cast<std::size_t>(count));
    }
}

void SendAll(Native connection, const std::string& bytes)
{
    std::size_t at = 0;
    while (at < bytes.size()) {
        const int count = send(connection, bytes.data() + at, static_cast<int>(bytes.size() - at), 0);
        if (count <= 0) {
            return;
        }
        at += static_cast<std::size_t>(count);
    }
}

}  // namespace

std::string ReceivedRequest::Header(const std::string& name) const
{
    const std::string lowerHead = Lower(head);
    const std::size_t at = lowerHead.find("\r\n" + Lower(name) + ":");
    if (at == std::string::npos) {
        return "";
    }
    const std::size_t start = head.find_first_not_of(' ', at + name.size() + 3);
    return head.substr(start, head.find("\r\n", start) - start);
}

LoopbackServer::LoopbackServer(std::vector<std::string> answers) : answers_(std::move(answers))
{
#ifdef _WIN32
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
#endif
    listener_ = Listen(port_);
    thread_ = std::thread([this] { Serve(); });
}

LoopbackServer::~LoopbackServer()
{
    if (thread_.joinable()) {
        thread_.join();
    }
    CloseNative(AsNative(listener_));
#ifdef _WIN32
    WSACleanup();
#endif
}

const std::vector<ReceivedRequest>& LoopbackServer::Received()
{
    if (thread_.joinable()) {
        thread_.join();
    }
    return received_;
}

std::uint16_t LoopbackServer::ClosedPort()
{
#ifdef _WIN32
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
#endif
    std::uint16_t port = 0;
    CloseNative(AsNative(Listen(port)));
#ifdef _WIN32
    WSACleanup();
#endif
    return port;
}

void LoopbackServer::Serve()
{
    for (const std::string& answer : answers_) {
        const OwnedSocket connection(accept(AsNative(listener_), nullptr, nullptr));
        received_.push_back(ReadRequest(connection.Get()));
        SendAll(connection.Get(), answer);
    }
}

}  // namespace objectstore
