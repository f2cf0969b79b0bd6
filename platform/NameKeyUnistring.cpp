// Natively: libunistring's normalization and simple upper-case mapping.
#include "platform/NameKey.h"

#include <unicase.h>
#include <uninorm.h>
#include <unistr.h>

#include <cstdlib>
#include <memory>

namespace custody {
namespace {

struct FreeDeleter {
    void operator()(std::uint8_t* bytes) const { std::free(bytes); }
};
using OwnedBytes = std::unique_ptr<std::uint8_t, FreeDeleter>;

}  // namespace

std::string NameKey(std::string_view name)
{
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(name.data());
    std::size_t length = 0;
    const OwnedBytes normal(u8_normalize(UNINORM_NFC, bytes, name.size(), nullptr, &length));
    if (!normal) {
        return std::string(name);
    }
    std::string key;
    key.reserve(length);
    const std::uint8_t* at = normal.get();
    const std::uint8_t* const end = at + length;
    while (at < end) {
        ucs4_t character = 0;
        at += u8_mbtouc(&character, at, static_cast<std::size_t>(end - at));
        std::uint8_t encoded[6];
        const int count = u8_uctomb(encoded, uc_toupper(character), sizeof encoded);
        key.append(reinterpret_cast<const char*>(encoded), count > 0 ? static_cast<std::size_t>(count) : 0);
    }
    return key;
}

}  // namespace custody
