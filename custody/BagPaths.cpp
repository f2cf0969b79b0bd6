#include "custody/BagPaths.h"

namespace custody {
namespace {

bool IsLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// The character an encoded triple stands for, or 0 for one that is not
// one of the three the bag encodes.
char DecodedTriple(std::string_view triple)
{
    std::string upper(triple.substr(1, 2));
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    if (upper == "25") return '%';
    if (upper == "0D") return '\r';
    if (upper == "0A") return '\n';
    return 0;
}

}  // namespace

std::string EncodeBagPath(std::string_view path)
{
    std::string encoded;
    encoded.reserve(path.size());
    for (char c : path) {
        if (c == '%') {
            encoded += "%25";
        } else if (c == '\r') {
            encoded += "%0D";
        } else if (c == '\n') {
            encoded += "%0A";
        } else {
            encoded += c;
        }
    }
    return encoded;
}

std::string DecodeBagPath(std::string_view path)
{
    std::string decoded;
    decoded.reserve(path.size());
    for (std::size_t at = 0; at < path.size(); ++at) {
        const char c = path.size() - at >= 3 && path[at] == '%' ? DecodedTriple(path.substr(at, 3)) : 0;
        if (c != 0) {
            decoded += c;
            at += 2;
        } else {
            decoded += path[at];
        }
    }
    return decoded;
}

std::string PathProblem(std::string_view path)
{
    if (path.empty()) {
        return "is empty";
    }
    if (path.compare(0, 2, "\\\\") == 0 || path.compare(0, 2, "//") == 0) {
        return "is a network (UNC) path";
    }
    if (path.front() == '/') {
        return "is absolute";
    }
    if (path.size() >= 2 && IsLetter(path[0]) && path[1] == ':') {
        return "names a drive";
    }
    if (path.find('\\') != std::string_view::npos) {
        return "holds '\\' (folders are separated by '/')";
    }
    if (path.find('\0') != std::string_view::npos) {
        return "holds a zero byte";
    }
    std::size_t start = 0;
    for (;;) {
        const std::size_t slash = path.find('/', start);
        const std::string_view name = path.substr(start, slash == std::string_view::npos ? slash : slash - start);
        if (name == "..") {
            return "leads outside the bag (..)";
        }
        if (name.empty() || name == ".") {
            return "has an empty or '.' folder name";
        }
        if (slash == std::string_view::npos) {
            return {};
        }
        start = slash + 1;
    }
}

// In any case of its letters, as Windows finds the folder: no other
// character folds or normalizes to an ASCII letter of "data".
bool IsPayloadPath(std::string_view path)
{
    static constexpr std::string_view kPayload = "data/";
    if (path.size() < kPayload.size()) {
        return false;
    }
    for (std::size_t at = 0; at < kPayload.size(); ++at) {
        const char c = path[at];
        if ((c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c) != kPayload[at]) {
            return false;
        }
    }
    return true;
}

}  // namespace custody
