// Hashes from the platform's crypto: Windows CNG (bcrypt.dll) in the
// Windows builds, OpenSSL's libcrypto natively. Never hand-written.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

enum class HashAlgorithm { Md5, Sha1, Sha224, Sha256, Sha512 };

// "md5", "sha1", "sha224", "sha256", "sha512": the names BagIt manifests use.
const char* HashName(HashAlgorithm algorithm);
// False for any other name (such as "sha384").
bool ParseHashName(std::string_view name, HashAlgorithm& algorithm);
// Digest length in bytes (md5 16, sha1 20, sha224 28, sha256 32, sha512 64).
std::size_t DigestSize(HashAlgorithm algorithm);
// False where the platform's crypto has no such hash: Windows CNG has no
// SHA-224.
bool HashComputable(HashAlgorithm algorithm);
// `size` bytes of a digest as lowercase hex.
std::string DigestHex(const unsigned char* digest, std::size_t size);

// An incremental hash. Feed bytes with Update, then take FinishHex once.
class Hasher {
public:
    explicit Hasher(HashAlgorithm algorithm);
    ~Hasher();
    Hasher(const Hasher&) = delete;
    Hasher& operator=(const Hasher&) = delete;

    // False when the platform could not start this hash; Update and
    // FinishHex then fail too.
    bool Ok() const;
    bool Update(const void* bytes, std::size_t count);
    // The digest as raw bytes; empty when hashing failed.
    std::string Finish();
    // The digest in lowercase hex; empty when hashing failed.
    std::string FinishHex();

private:
    struct State;
    std::unique_ptr<State> state_;
};

// The whole of `bytes` at once; empty when hashing failed.
std::string HashHex(HashAlgorithm algorithm, std::string_view bytes);
std::string HashBytes(HashAlgorithm algorithm, std::string_view bytes);

// HMAC-SHA256 of `message` under `key`: 32 raw bytes, empty when the
// platform's crypto failed.
std::string HmacSha256(std::string_view key, std::string_view message);
