// What every platform's Hasher shares: the names, sizes and hex text.
#include "core/Hash.h"


namespace {

struct HashEntry {
    HashAlgorithm algorithm;
    const char* name;
    std::size_t digestSize;
};

constexpr HashEntry kHashes[] = {
    {HashAlgorithm::Md5, "md5", 16},
    {HashAlgorithm::Sha1, "sha1", 20},
    {HashAlgorithm::Sha224, "sha224", 28},
    {HashAlgorithm::Sha256, "sha256", 32},
    {HashAlgorithm::Sha512, "sha512", 64},
};

const HashEntry& EntryOf(HashAlgorithm algorithm)
{
    for (const HashEntry& entry : kHashes) {
        if (entry.algorithm == algorithm) {
            return entry;
        }
    }
    return kHashes[0];
}

}  // namespace

const char* HashName(HashAlgorithm algorithm)
{
    return EntryOf(algorithm).name;
}

bool ParseHashName(std::string_view name, HashAlgorithm& algorithm)
{
    for (const HashEntry& entry : kHashes) {
        if (name == entry.name) {
            algorithm = entry.algorithm;
            return true;
        }
    }
    return false;
}

std::size_t DigestSize(HashAlgorithm algorithm)
{
    return EntryOf(algorithm).digestSize;
}

bool HashComputable(HashAlgorithm algorithm)
{
    return Hasher(algorithm).Ok();
}

std::string DigestHex(const unsigned char* digest, std::size_t size)
{
    static const char kDigits[] = "0123456789abcdef";
    std::string text(size * 2, '0');
    for (std::size_t i = 0; i < size; ++i) {
        text[2 * i] = kDigits[digest[i] >> 4];
        text[2 * i + 1] = kDigits[digest[i] & 0x0F];
    }
    return text;
}

std::string Hasher::FinishHex()
{
    const std::string digest = Finish();
    return DigestHex(reinterpret_cast<const unsigned char*>(digest.data()), digest.size());
}

std::string HashBytes(HashAlgorithm algorithm, std::string_view bytes)
{
    Hasher hasher(algorithm);
    if (!hasher.Update(bytes.data(), bytes.size())) {
        return "";
    }
    return hasher.Finish();
}

std::string HashHex(HashAlgorithm algorithm, std::string_view bytes)
{
    const std::string digest = HashBytes(algorithm, bytes);
    return DigestHex(reinterpret_cast<const unsigned char*>(digest.data()), digest.size());
}
