// Hasher on Windows CNG (bcrypt.dll).
#include "core/Hash.h"

#include <windows.h>
#include <bcrypt.h>

#include <algorithm>
#include <string>

namespace {

struct ProviderCloser {
    void operator()(BCRYPT_ALG_HANDLE provider) const { BCryptCloseAlgorithmProvider(provider, 0); }
};
struct HashDestroyer {
    void operator()(BCRYPT_HASH_HANDLE hash) const { BCryptDestroyHash(hash); }
};
using OwnedProvider = std::unique_ptr<void, ProviderCloser>;
using OwnedHash = std::unique_ptr<void, HashDestroyer>;

const wchar_t* CngName(HashAlgorithm algorithm)
{
    switch (algorithm) {
    case HashAlgorithm::Md5: return BCRYPT_MD5_ALGORITHM;
    case HashAlgorithm::Sha1: return BCRYPT_SHA1_ALGORITHM;
    case HashAlgorithm::Sha224: return nullptr;  // CNG has none
    case HashAlgorithm::Sha256: return BCRYPT_SHA256_ALGORITHM;
    case HashAlgorithm::Sha512: return BCRYPT_SHA512_ALGORITHM;
    }
    return nullptr;
}

}  // namespace

struct Hasher::State {
    HashAlgorithm algorithm;
    OwnedProvider provider;
    OwnedHash hash;
    bool failed = false;
};

Hasher::Hasher(HashAlgorithm algorithm) : state_(std::make_unique<State>())
{
    state_->algorithm = algorithm;
    BCRYPT_ALG_HANDLE provider = nullptr;
    const wchar_t* name = CngName(algorithm);
    if (!name || !BCRYPT_SUCCESS(BCryptOpenAlgorithmProvider(&provider, name, nullptr, 0))) {
        state_->failed = true;
        return;
    }
    state_->provider.reset(provider);
    // Without an object buffer CNG allocates the hash object itself.
    BCRYPT_HASH_HANDLE hash = nullptr;
    if (!BCRYPT_SUCCESS(BCryptCreateHash(provider, &hash, nullptr, 0, nullptr, 0, 0))) {
        state_->failed = true;
        return;
    }
    state_->hash.reset(hash);
}

Hasher::~Hasher() = default;

bool Hasher::Ok() const
{
    return !state_->failed;
}

bool Hasher::Update(const void* bytes, std::size_t count)
{
    // BCryptHashData takes a ULONG count: feed larger spans in pieces.
    constexpr std::size_t kMaxPiece = 0x40000000;
    auto* at = static_cast<PUCHAR>(const_cast<void*>(bytes));
    while (!state_->failed && count > 0) {
        const std::size_t piece = std::min(count, kMaxPiece);
        if (!BCRYPT_SUCCESS(BCryptHashData(state_->hash.get(), at, static_cast<ULONG>(piece), 0))) {
            state_->failed = true;
        }
        at += piece;
        count -= piece;
    }
    return !state_->failed;
}

std::string Hasher::Finish()
{
    if (state_->failed) {
        return "";
    }
    std::string digest(DigestSize(state_->algorithm), '\0');
    const NTSTATUS status = BCryptFinishHash(
        state_->hash.get(), reinterpret_cast<PUCHAR>(digest.data()), static_cast<ULONG>(digest.size()), 0);
    // A finished CNG hash takes no more data: this Hasher is spent either way.
    state_->failed = true;
    return BCRYPT_SUCCESS(status) ? digest : "";
}

std::string HmacSha256(std::string_view key, std::string_view message)
{
    BCRYPT_ALG_HANDLE rawProvider = nullptr;
    if (!BCRYPT_SUCCESS(BCryptOpenAlgorithmProvider(
            &rawProvider, BCRYPT_SHA256_ALGORITHM, nullptr, BCRYPT_ALG_HANDLE_HMAC_FLAG))) {
        return "";
    }
    const OwnedProvider provider(rawProvider);
    auto* keyBytes = reinterpret_cast<PUCHAR>(const_cast<char*>(key.data()));
    BCRYPT_HASH_HANDLE rawHash = nullptr;
    if (!BCRYPT_SUCCESS(BCryptCreateHash(
            rawProvider, &rawHash, nullptr, 0, keyBytes, static_cast<ULONG>(key.size()), 0))) {
        return "";
    }
    const OwnedHash hash(rawHash);
    // Signing inputs are small texts: one ULONG-sized piece is enough.
    auto* messageBytes = reinterpret_cast<PUCHAR>(const_cast<char*>(message.data()));
    std::string mac(DigestSize(HashAlgorithm::Sha256), '\0');
    if (!BCRYPT_SUCCESS(BCryptHashData(rawHash, messageBytes, static_cast<ULONG>(message.size()), 0))
        || !BCRYPT_SUCCESS(BCryptFinishHash(
            rawHash, reinterpret_cast<PUCHAR>(mac.data()), static_cast<ULONG>(mac.size()), 0))) {
        return "";
    }
    return mac;
}
