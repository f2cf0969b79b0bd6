// Hasher on OpenSSL's libcrypto (EVP), for the native builds.
#include "core/Hash.h"

#include <openssl/evp.h>
#include <openssl/hmac.h>

namespace {

struct ContextFreer {
    void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};
using OwnedContext = std::unique_ptr<EVP_MD_CTX, ContextFreer>;

const EVP_MD* Digest(HashAlgorithm algorithm)
{
    switch (algorithm) {
    case HashAlgorithm::Md5: return EVP_md5();
    case HashAlgorithm::Sha1: return EVP_sha1();
    case HashAlgorithm::Sha224: return EVP_sha224();
    case HashAlgorithm::Sha256: return EVP_sha256();
    case HashAlgorithm::Sha512: return EVP_sha512();
    }
    return nullptr;
}

}  // namespace

struct Hasher::State {
    OwnedContext context;
    bool failed = false;
};

Hasher::Hasher(HashAlgorithm algorithm) : state_(std::make_unique<State>())
{
    state_->context.reset(EVP_MD_CTX_new());
    const EVP_MD* digest = Digest(algorithm);
    state_->failed = !state_->context || !digest || EVP_DigestInit_ex(state_->context.get(), digest, nullptr) != 1;
}

Hasher::~Hasher() = default;

bool Hasher::Ok() const
{
    return !state_->failed;
}

bool Hasher::Update(const void* bytes, std::size_t count)
{
    if (!state_->failed && EVP_DigestUpdate(state_->context.get(), bytes, count) != 1) {
        state_->failed = true;
    }
    return !state_->failed;
}

std::string Hasher::Finish()
{
    if (state_->failed) {
        return "";
    }
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    const bool finished = EVP_DigestFinal_ex(state_->context.get(), digest, &size) == 1;
    // A finished digest takes no more data: this Hasher is spent either way.
    state_->failed = true;
    return finished ? std::string(reinterpret_cast<const char*>(digest), size) : "";
}

std::string HmacSha256(std::string_view key, std::string_view message)
{
    unsigned char mac[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    const unsigned char* result = HMAC(EVP_sha256(), key.data(), static_cast<int>(key.size()),
        reinterpret_cast<const unsigned char*>(message.data()), message.size(), mac, &size);
    return result ? std::string(reinterpret_cast<const char*>(mac), size) : "";
}
