// What both transports share: the Host header and header look-up.
#include "objectstore/HttpTransport.h"

namespace objectstore {

namespace {

bool SameIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::string HostHeader(const Endpoint& endpoint)
{
    const std::uint16_t defaultPort = endpoint.https ? 443 : 80;
    if (endpoint.port == defaultPort) {
        return endpoint.host;
    }
    return endpoint.host + ':' + std::to_string(endpoint.port);
}

std::string HttpResponse::Header(std::string_view name) const
{
    for (const HttpHeader& header : headers) {
        if (SameIgnoringCase(header.name, name)) {
            return header.value;
        }
    }
    return "";
}

}  // namespace objectstore
