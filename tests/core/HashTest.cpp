#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>

#include "core/Hash.h"

namespace {

struct HashCase {
    HashAlgorithm algorithm;
    std::string input;
    const char* hex;
};

void PrintTo(const HashCase& c, std::ostream* out)
{
    *out << HashName(c.algorithm) << " of " << c.input.size() << " bytes";
}

class KnownDigestTest : public ::testing::TestWithParam<HashCase> {};

// Fed in pieces of uneven sizes that straddle the block boundaries (64 and
// 128 bytes), the digest is the one of the whole input at once.
TEST_P(KnownDigestTest, MatchesWholeAndInUnevenPieces)
{
    const HashCase& c = GetParam();
    EXPECT_EQ(c.hex, HashHex(c.algorithm, c.input));
    EXPECT_EQ(2 * DigestSize(c.algorithm), std::string(c.hex).size());

    static const std::size_t kPieces[] = {1, 63, 64, 65, 127, 129, 4099};
    Hasher hasher(c.algorithm);
    ASSERT_TRUE(hasher.Ok());
    std::size_t at = 0;
    for (std::size_t i = 0; at < c.input.size(); ++i) {
        const std::size_t piece = std::min(kPieces[i % std::size(kPieces)], c.input.size() - at);
        ASSERT_TRUE(hasher.Update(c.input.data() + at, piece));
        at += piece;
    }
    EXPECT_EQ(c.hex, hasher.FinishHex());
    EXPECT_EQ("", hasher.FinishHex()) << "a finished hash is spent";
}

const std::string kMillionA(1000000, 'a');

INSTANTIATE_TEST_SUITE_P(Vectors, KnownDigestTest, ::testing::Values(
    HashCase{HashAlgorithm::Md5, "", "d41d8cd98f00b204e9800998ecf8427e"},
    HashCase{HashAlgorithm::Md5, "abc", "900150983cd24fb0d6963f7d28e17f72"},
    HashCase{HashAlgorithm::Md5, kMillionA, "7707d6ae4e027c70eea2a935c2296f21"},
    HashCase{HashAlgorithm::Sha1, "", "da39a3ee5e6b4b0d3255bfef95601890afd80709"},
    HashCase{HashAlgorithm::Sha1, "abc", "a9993e364706816aba3e25717850c26c9cd0d89d"},
    HashCase{HashAlgorithm::Sha1, kMillionA, "34aa973cd4c4daa4f61eeb2bdbad27316534016f"},
#ifndef _WIN32
    HashCase{HashAlgorithm::Sha224, "abc", "23097d223405d8228642a477bda255b32aadbce4bda0b3f7e36c9da7"},
#endif
    HashCase{HashAlgorithm::Sha256, "", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
    HashCase{HashAlgorithm::Sha256, "abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
    HashCase{HashAlgorithm::Sha256, kMillionA, "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    HashCase{HashAlgorithm::Sha512, "",
             "cf83e1357eefb8bdf1542850d66d8007d620e4050b5715dc83f4a921d36ce9ce"
             "47d0d13c5d85f2b0ff8318d2877eec2f63b931bd47417a81a538327af927da3e"},
    HashCase{HashAlgorithm::Sha512, "abc",
             "ddaf35a193617abacc417349ae20413112e6fa4e89a97ea20a9eeee64b55d39a"
             "2192992a274fc1a836ba3c23a3feebbd454d4423643ce80e2a9ac94fa54ca49f"},
    HashCase{HashAlgorithm::Sha512, kMillionA,
             "e718483d0ce769644e2e42c7bc15b4638e1f98b13b2044285632a803afa973eb"
             "de0ff244877ea60a4cb0432ce577c31beb009c5c2c49aa2e4eadb217ad8cc09b"}));

TEST(HashNames, ReadBackTheManifestNamesAndRefuseOthers)
{
    for (const HashAlgorithm algorithm :
         {HashAlgorithm::Md5, HashAlgorithm::Sha1, HashAlgorithm::Sha224, HashAlgorithm::Sha256, HashAlgorithm::Sha512}) {
        HashAlgorithm parsed = HashAlgorithm::Md5;
        EXPECT_TRUE(ParseHashName(HashName(algorithm), parsed)) << HashName(algorithm);
        EXPECT_EQ(algorithm, parsed);
    }
    for (const char* name : {"sha384", "SHA256", "sha-256", "", "sha2561"}) {
        HashAlgorithm parsed = HashAlgorithm::Sha1;
        EXPECT_FALSE(ParseHashName(name, parsed)) << name;
        EXPECT_EQ(HashAlgorithm::Sha1, parsed) << "left as it was";
    }
}

}  // namespace
