// The conversions and narrowing write nothing past their limits and never
// read past the input's terminator, whatever bytes or code units they get.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/TextConversions.h"

namespace {

constexpr char kGuard = '\x5A';
constexpr WideChar kWideGuard = 0x5A5A;
constexpr size_t kGuardCount = 8;

void Require(bool condition)
{
    if (!condition) {
        std::abort();
    }
}

template <typename Char>
void RequireGuarded(const Char* buffer, size_t from, size_t to, Char guard)
{
    for (size_t i = from; i < to; ++i) {
        Require(buffer[i] == guard);
    }
}

void CheckNarrowSide(const uint8_t* data, size_t size)
{
    std::vector<char> text(data, data + size);
    text.push_back('\0');
    const size_t length = std::strlen(text.data());

    std::vector<char> ansi(text);
    const WideString wide = AnsiToWide(ansi.data());
    Require(wide.size() <= length);

    WideChar decoded[kUtf8ToWideLimit + kGuardCount];
    std::fill(std::begin(decoded), std::end(decoded), kWideGuard);
    const size_t units = Utf8ToWide(text.data(), decoded);
    Require(units <= kUtf8ToWideLimit);
    RequireGuarded(decoded, units, std::size(decoded), kWideGuard);
    if (units == 0) {
        return;
    }
    Require(decoded[units - 1] == 0);

    // Decoded text is valid UTF-16 and, where it fits, encodes and decodes
    // back to itself.
    char encoded[kWideToUtf8Limit] = {};
    if (WideToUtf8(decoded, encoded) == 0) {
        return;
    }
    WideChar again[kUtf8ToWideLimit] = {};
    Require(Utf8ToWide(encoded, again) == units);
    Require(std::equal(decoded, decoded + units, again));
}

void CheckWideSide(const uint8_t* data, size_t size)
{
    std::vector<WideChar> text(size / 2 + 1, 0);
    for (size_t i = 0; i + 1 < size; i += 2) {
        text[i / 2] = static_cast<WideChar>(data[i] | (data[i + 1] << 8));
    }

    char encoded[kWideToUtf8Limit + kGuardCount];
    std::memset(encoded, kGuard, sizeof encoded);
    const size_t bytes = WideToUtf8(text.data(), encoded);
    Require(bytes <= kWideToUtf8Limit);
    RequireGuarded(encoded, bytes, sizeof encoded, kGuard);

    const size_t limit = size > 0 ? data[0] % 24 : 0;
    char narrow[24 + kGuardCount];
    std::memset(narrow, kGuard, sizeof narrow);
    const size_t written = NarrowInto(text.data(), narrow, limit);
    Require(written <= limit);
    RequireGuarded(narrow, written, sizeof narrow, kGuard);

    std::memset(narrow, kGuard, sizeof narrow);
    const size_t length = NarrowIntoTerminated(text.data(), narrow, limit);
    if (limit > 0) {
        Require(length < limit && narrow[length] == '\0');
        Require(std::strlen(narrow) == length);
        RequireGuarded(narrow, length + 1, sizeof narrow, kGuard);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CheckNarrowSide(data, size);
    CheckWideSide(data, size);
    return 0;
}
