#include "objectstore/SigV4.h"

#include "core/Hash.h"
#include "platform/Host.h"

#include <algorithm>
#include <map>

namespace objectstore {

namespace {

constexpr std::string_view kAlgorithm = "AWS4-HMAC-SHA256";

// ASCII only, whatever the locale: bytes of UTF-8 are always encoded.
bool IsUnreserved(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_'
        || c == '.' || c == '~';
}

std::string Lowercase(std::string_view text)
{
    std::string lower(text);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return lower;
}

// Leading and trailing blanks dropped, inner runs of blanks made one space.
std::string TrimmedValue(std::string_view value)
{
    std::string trimmed;
    bool pendingSpace = false;
    for (const char c : value) {
        if (c == ' ' || c == '\t') {
            pendingSpace = !trimmed.empty();
            continue;
        }
        if (pendingSpace) {
            trimmed += ' ';
            pendingSpace = false;
        }
        trimmed += c;
    }
    return trimmed;
}

// Lowercase name to its values in the order given, joined by commas.
std::map<std::string, std::string> CanonicalHeaders(const std::vector<HttpHeader>& headers)
{
    std::map<std::string, std::string> canonical;
    for (const HttpHeader& header : headers) {
        const auto [at, added] = canonical.emplace(Lowercase(header.name), TrimmedValue(header.value));
        if (!added) {
            at->second += ',' + TrimmedValue(header.value);
        }
    }
    return canonical;
}

// A secret's bytes, overwritten when they go: the secret key and each key
// derived from it.
class KeyText {
public:
    explicit KeyText(std::string text) : text_(std::move(text)) {}
    ~KeyText() { platform::WipeText(text_); }
    KeyText(const KeyText&) = delete;
    KeyText& operator=(const KeyText&) = delete;

    const std::string& text() const { return text_; }
    void Replace(std::string next)
    {
        platform::WipeText(text_);
        text_.swap(next);
    }

private:
    std::string text_;
};

std::string CredentialScope(std::string_view amzDate, const SigningScope& scope)
{
    return std::string(amzDate.substr(0, 8)) + '/' + scope.region + '/' + scope.service + "/aws4_request";
}

}  // namespace

std::string UriEncode(std::string_view text, bool encodeSlash)
{
    static const char kDigits[] = "0123456789ABCDEF";
    std::string encoded;
    encoded.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (IsUnreserved(byte) || (byte == '/' && !encodeSlash)) {
            encoded += c;
            continue;
        }
        encoded += '%';
        encoded += kDigits[byte >> 4];
        encoded += kDigits[byte & 0x0F];
    }
    return encoded;
}

std::string CanonicalQueryString(const std::vector<QueryParameter>& query)
{
    std::vector<std::pair<std::string, std::string>> encoded;
    encoded.reserve(query.size());
    for (const QueryParameter& parameter : query) {
        encoded.emplace_back(UriEncode(parameter.name, true), UriEncode(parameter.value, true));
    }
    std::sort(encoded.begin(), encoded.end());
    std::string text;
    for (const auto& [name, value] : encoded) {
        if (!text.empty()) {
            text += '&';
        }
        text.append(name).append(1, '=').append(value);
    }
    return text;
}

std::string SignedHeaderNames(const std::vector<HttpHeader>& headers)
{
    std::string names;
    for (const auto& entry : CanonicalHeaders(headers)) {
        if (!names.empty()) {
            names += ';';
        }
        names += entry.first;
    }
    return names;
}

std::string CanonicalRequest(const SignedRequest& request)
{
    std::string text = request.method + '\n';
    text += UriEncode(request.path.empty() ? "/" : request.path, false) + '\n';
    text += CanonicalQueryString(request.query) + '\n';
    for (const auto& [name, value] : CanonicalHeaders(request.headers)) {
        text.append(name).append(1, ':').append(value).append(1, '\n');
    }
    text += '\n';
    text += SignedHeaderNames(request.headers) + '\n';
    text += request.payloadSha256Hex;
    return text;
}

std::string StringToSign(std::string_view amzDate, const SigningScope& scope, std::string_view canonicalRequest)
{
    std::string text(kAlgorithm);
    text += '\n';
    text += amzDate;
    text += '\n';
    text += CredentialScope(amzDate, scope) + '\n';
    text += HashHex(HashAlgorithm::Sha256, canonicalRequest);
    return text;
}

Credentials::~Credentials()
{
    platform::WipeText(secretAccessKey);
    platform::WipeText(sessionToken);
}

std::string SigningKey(std::string_view secretAccessKey, std::string_view amzDate, const SigningScope& scope)
{
    std::string prefixed;
    prefixed.reserve(4 + secretAccessKey.size());
    prefixed.append("AWS4").append(secretAccessKey);
    const KeyText secret(std::move(prefixed));
    KeyText key(HmacSha256(secret.text(), amzDate.substr(0, 8)));
    for (const std::string_view part : {std::string_view(scope.region), std::string_view(scope.service),
                                        std::string_view("aws4_request")}) {
        if (key.text().empty()) {
            return "";
        }
        key.Replace(HmacSha256(key.text(), part));
    }
    return key.text();
}

std::string Authorization(const SignedRequest& request, const Credentials& credentials,
    const SigningScope& scope, std::string_view amzDate)
{
    const KeyText key(SigningKey(credentials.secretAccessKey, amzDate, scope));
    const std::string signature
        = key.text().empty() ? "" : HmacSha256(key.text(), StringToSign(amzDate, scope, CanonicalRequest(request)));
    if (signature.empty()) {
        return "";
    }
    std::string text(kAlgorithm);
    text += " Credential=" + credentials.accessKeyId + '/' + CredentialScope(amzDate, scope);
    text += ", SignedHeaders=" + SignedHeaderNames(request.headers);
    text += ", Signature=" + DigestHex(reinterpret_cast<const unsigned char*>(signature.data()), signature.size());
    return text;
}

}  // namespace objectstore
