// The transport on Windows: WinHTTP, synchronous. One session for the
// transport (WinHTTP pools its connections there), a connection and a
// request handle per request. HTTPS with the system's certificate checks.
#include "objectstore/HttpTransport.h"

#include "platform/Host.h"
#include "platform/WindowsPaths.h"

#include <windows.h>
#include <winhttp.h>

#include <algorithm>
#include <vector>

namespace objectstore {

namespace {

struct InternetCloser {
    void operator()(HINTERNET handle) const { WinHttpCloseHandle(handle); }
};
using OwnedInternet = std::unique_ptr<void, InternetCloser>;

constexpr std::size_t kBlock = 256 * 1024;

TransportFailure FailureOf(DWORD error)
{
    switch (error) {
    case ERROR_WINHTTP_NAME_NOT_RESOLVED:
    case ERROR_WINHTTP_CANNOT_CONNECT: return TransportFailure::Unreachable;
    case ERROR_WINHTTP_SECURE_FAILURE:
    case ERROR_WINHTTP_SECURE_CERT_DATE_INVALID:
    case ERROR_WINHTTP_SECURE_CERT_CN_INVALID:
    case ERROR_WINHTTP_SECURE_INVALID_CA:
    case ERROR_WINHTTP_SECURE_CERT_REV_FAILED:
    case ERROR_WINHTTP_SECURE_CERT_REVOKED: return TransportFailure::Certificate;
    default: return TransportFailure::Dropped;
    }
}

// The block holds a temporary key's token: the caller wipes it once sent.
std::wstring HeaderBlock(const HttpRequest& request)
{
    std::string block;
    for (const HttpHeader& header : request.headers) {
        block.append(header.name).append(": ").append(header.value).append("\r\n");
    }
    std::wstring wide = platform::Wide(block);
    platform::WipeText(block);
    return wide;
}

// Splits "Name: value\r\n" lines after the status line.
std::vector<HttpHeader> ParseRawHeaders(const std::string& raw)
{
    std::vector<HttpHeader> headers;
    std::size_t at = raw.find("\r\n");
    while (at != std::string::npos && at + 2 < raw.size()) {
        const std::size_t start = at + 2;
        at = raw.find("\r\n", start);
        const std::string line = raw.substr(start, at == std::string::npos ? std::string::npos : at - start);
        const std::size_t colon = line.find(':');
        if (colon == std::string::npos) {
            continue;
        }
        const std::size_t valueStart = line.find_first_not_of(' ', colon + 1);
        headers.push_back({line.substr(0, colon), valueStart == std::string::npos ? "" : line.substr(valueStart)});
    }
    return headers;
}

bool SendBody(HINTERNET request, BodySource& body, bool& localFailure)
{
    std::vector<char> block(kBlock);
    for (;;) {
        std::size_t count = 0;
        if (!body.Read(block.data(), block.size(), count)) {
            localFailure = true;
            return false;
        }
        if (count == 0) {
            return true;
        }
        DWORD written = 0;
        if (!WinHttpWriteData(request, block.data(), static_cast<DWORD>(count), &written) || written != count) {
            return false;
        }
    }
}

bool ReadStatusAndHeaders(HINTERNET request, HttpResponse& response)
{
    DWORD status = 0;
    DWORD size = sizeof(status);
    if (!WinHttpQueryHeaders(request, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
            WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX)) {
        return false;
    }
    response.status = static_cast<int>(status);
    size = 0;
    WinHttpQueryHeaders(request, WINHTTP_QUERY_RAW_HEADERS_CRLF, WINHTTP_HEADER_NAME_BY_INDEX, nullptr, &size,
        WINHTTP_NO_HEADER_INDEX);
    std::wstring raw(size / sizeof(wchar_t), L'\0');
    if (size > 0 && WinHttpQueryHeaders(request, WINHTTP_QUERY_RAW_HEADERS_CRLF, WINHTTP_HEADER_NAME_BY_INDEX,
            raw.data(), &size, WINHTTP_NO_HEADER_INDEX)) {
        raw.resize(size / sizeof(wchar_t));
        response.headers = ParseRawHeaders(platform::Narrow(raw));
    }
    return true;
}

bool ReadBody(HINTERNET request, HttpResponse& response, BodySink& sink, bool& localFailure)
{
    const bool success = response.status >= 200 && response.status < 300;
    std::vector<char> block(kBlock);
    for (;;) {
        DWORD read = 0;
        if (!WinHttpReadData(request, block.data(), static_cast<DWORD>(block.size()), &read)) {
            return false;
        }
        if (read == 0) {
            return true;
        }
        if (success && !sink.Write(block.data(), read)) {
            localFailure = true;
            return false;
        }
        if (!success) {
            const std::size_t room = kErrorBodyLimit - std::min(kErrorBodyLimit, response.errorBody.size());
            response.errorBody.append(block.data(), std::min<std::size_t>(read, room));
        }
    }
}

class WinHttpTransport final : public HttpTransport {
public:
    explicit WinHttpTransport(const TransportTimeouts& timeouts)
        : session_(WinHttpOpen(L"orvanectl", WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME,
            WINHTTP_NO_PROXY_BYPASS, 0))
    {
        if (!session_) {
            return;
        }
        const int connectMs = timeouts.connectSeconds * 1000;
        const int idleMs = timeouts.idleSeconds * 1000;
        WinHttpSetTimeouts(session_.get(), connectMs, connectMs, idleMs, idleMs);
        // A redirect would resend a request signed for another place.
        DWORD redirects = WINHTTP_OPTION_REDIRECT_POLICY_NEVER;
        WinHttpSetOption(session_.get(), WINHTTP_OPTION_REDIRECT_POLICY, &redirects, sizeof(redirects));
        // Windows 7 offers only TLS 1.0 unless asked; stores want 1.2. Systems
        // that do not know 1.3 refuse the pair: then 1.2 alone.
        DWORD protocols = WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_2 | WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_3;
        if (!WinHttpSetOption(session_.get(), WINHTTP_OPTION_SECURE_PROTOCOLS, &protocols, sizeof(protocols))) {
            protocols = WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_2;
            WinHttpSetOption(session_.get(), WINHTTP_OPTION_SECURE_PROTOCOLS, &protocols, sizeof(protocols));
        }
    }

    HttpResponse Send(const Endpoint& endpoint, const HttpRequest& request, BodySink& sink) override
    {
        HttpResponse response;
        Outcome outcome;
        if (!Exchange(endpoint, request, sink, response, outcome)) {
            response.failure = outcome.localFailure ? TransportFailure::LocalIo : FailureOf(outcome.error);
        }
        return response;
    }

private:
    // The error is taken where it happens: closing handles may change it.
    struct Outcome {
        bool localFailure = false;
        DWORD error = 0;
        bool Fail()
        {
            error = GetLastError();
            return false;
        }
    };

    bool Exchange(const Endpoint& endpoint, const HttpRequest& request, BodySink& sink, HttpResponse& response,
        Outcome& outcome) const
    {
        const std::uint64_t length = request.body ? request.body->Size() : 0;
        if (!session_ || length > 0xFFFFFFFFu || (request.body && !request.body->Rewind())) {
            outcome.localFailure = true;
            return false;
        }
        const OwnedInternet connection(WinHttpConnect(session_.get(), platform::Wide(endpoint.host).c_str(),
            static_cast<INTERNET_PORT>(endpoint.port), 0));
        if (!connection) {
            return outcome.Fail();
        }
        const OwnedInternet handle(WinHttpOpenRequest(connection.get(), platform::Wide(request.method).c_str(),
            platform::Wide(request.target).c_str(), nullptr, WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
            endpoint.https ? WINHTTP_FLAG_SECURE : 0));
        if (!handle) {
            return outcome.Fail();
        }
        std::wstring headers = HeaderBlock(request);
        const BOOL sent = WinHttpSendRequest(handle.get(), headers.c_str(), static_cast<DWORD>(headers.size()),
            WINHTTP_NO_REQUEST_DATA, 0, static_cast<DWORD>(length), 0);
        platform::WipeText(headers);
        if (!sent) {
            return outcome.Fail();
        }
        if (request.body && !SendBody(handle.get(), *request.body, outcome.localFailure)) {
            return outcome.Fail();
        }
        if (!WinHttpReceiveResponse(handle.get(), nullptr) || !ReadStatusAndHeaders(handle.get(), response)) {
            return outcome.Fail();
        }
        if (request.method != "HEAD" && !ReadBody(handle.get(), response, sink, outcome.localFailure)) {
            return outcome.Fail();
        }
        return true;
    }

    OwnedInternet session_;
};

}  // namespace

std::unique_ptr<HttpTransport> MakePlatformTransport(const TransportTimeouts& timeouts)
{
    return std::make_unique<WinHttpTransport>(timeouts);
}

}  // namespace objectstore
