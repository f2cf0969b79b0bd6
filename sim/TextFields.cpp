#include "TextFields.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

namespace nvusb_sim {

std::string trimText(const std::string& text) {
    const char* blanks = " \t\r\n";
    const size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos) return {};
    const size_t last = text.find_last_not_of(blanks);
    return text.substr(first, last - first + 1);
}

std::vector<std::string> splitText(const std::string& text, char separator) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (true) {
        const size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) return parts;
        start = end + 1;
    }
}

std::optional<int> parseInt(const std::string& text) {
    const std::string trimmed = trimText(text);
    if (trimmed.empty()) return std::nullopt;
    errno = 0;
    char* end = nullptr;
    const long long value = std::strtoll(trimmed.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || value < INT_MIN || value > INT_MAX) return std::nullopt;
    return static_cast<int>(value);
}

static_assert(sizeof(unsigned long long) == sizeof(std::uint64_t), "strtoull reads a whole 64-bit size");

std::optional<std::uint64_t> parseUint64(const std::string& text) {
    const std::string trimmed = trimText(text);
    if (trimmed.empty() || trimmed[0] < '0' || trimmed[0] > '9') return std::nullopt;  // no sign
    errno = 0;
    char* end = nullptr;
    const unsigned long long value = std::strtoull(trimmed.c_str(), &end, 10);
    if (errno != 0 || *end != '\0') return std::nullopt;
    return static_cast<std::uint64_t>(value);
}

}  // namespace nvusb_sim
