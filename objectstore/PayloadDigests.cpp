#include "objectstore/PayloadDigests.h"

#include "core/Hash.h"

#include <vector>

namespace objectstore {

std::string Base64(std::string_view bytes)
{
    static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string text;
    text.reserve((bytes.size() + 2) / 3 * 4);
    for (std::size_t at = 0; at < bytes.size(); at += 3) {
        const std::size_t left = bytes.size() - at;
        std::uint32_t group = static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at])) << 16;
        if (left > 1) {
            group |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 1])) << 8;
        }
        if (left > 2) {
            group |= static_cast<unsigned char>(bytes[at + 2]);
        }
        text += kAlphabet[(group >> 18) & 0x3F];
        text += kAlphabet[(group >> 12) & 0x3F];
        text += left > 1 ? kAlphabet[(group >> 6) & 0x3F] : '=';
        text += left > 2 ? kAlphabet[group & 0x3F] : '=';
    }
    return text;
}

PayloadDigests DigestsOf(std::string_view bytes)
{
    return {HashHex(HashAlgorithm::Sha256, bytes), Base64(HashBytes(HashAlgorithm::Md5, bytes))};
}

bool DigestsOf(BodySource& source, PayloadDigests& digests)
{
    constexpr std::size_t kBlock = 1024 * 1024;
    Hasher sha256(HashAlgorithm::Sha256);
    Hasher md5(HashAlgorithm::Md5);
    std::vector<char> block(kBlock);
    if (!source.Rewind()) {
        return false;
    }
    for (;;) {
        std::size_t count = 0;
        if (!source.Read(block.data(), block.size(), count)) {
            return false;
        }
        if (count == 0) {
            break;
        }
        if (!sha256.Update(block.data(), count) || !md5.Update(block.data(), count)) {
            return false;
        }
    }
    const std::string md5Bytes = md5.Finish();
    digests.sha256Hex = sha256.FinishHex();
    digests.md5Base64 = md5Bytes.empty() ? "" : Base64(md5Bytes);
    return !digests.sha256Hex.empty() && !digests.md5Base64.empty() && source.Rewind();
}

}  // namespace objectstore
