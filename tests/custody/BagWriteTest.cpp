#include <gtest/gtest.h>

#include <algorithm>

#include "core/Hash.h"
#include "custody/Bag.h"
#include "custody/TagFileIo.h"
#include "tests/custody/FileTree.h"
#include "tests/custody/TempFolder.h"

namespace {

using custody::FileSystem;
using custody::LocalFileSystem;
using custody::PayloadFile;

std::string Read(const std::string& path)
{
    std::string bytes;
    std::string why;
    custody::ReadTagFile(LocalFileSystem(), path, bytes, why);
    return bytes;
}

// Copies `files` into `bag`/data as an offload would, and describes them.
std::vector<PayloadFile> PutPayload(const std::string& bag, const std::vector<std::pair<std::string, std::string>>& files)
{
    FileSystem& fs = LocalFileSystem();
    std::vector<PayloadFile> payload;
    fs.CreateFolders(fs.Join(bag, "data"));
    for (const auto& [path, bytes] : files) {
        EXPECT_TRUE(WriteTreeFile(fs, fs.Join(bag, "data"), path, bytes)) << fs.LastError();
        payload.push_back({path, bytes.size(), HashHex(HashAlgorithm::Sha256, bytes)});
    }
    return payload;
}

const custody::BagInfo kInfo = {
    {"Source-Organization", "Polizei M\xC3\xBCnchen"},
    {"External-Identifier", "SN0001"},
    {"Bagging-Date", "2026-12-08"},
    {"Payload-Oxum", ""},
    {"Bag-Software-Agent", "orvanectl 1.0.0.1"},
};

TEST(WriteBagTagsTest, WritesABagThatVerifiesWithAnyNames)
{
    TempFolder temp;
    FileSystem& fs = LocalFileSystem();
    const std::string bag = fs.Join(temp.Path(), "20261208T101500Z");
    const std::string deep = std::string(100, 'd') + "/" + std::string(100, 'e') + "/" + std::string(60, 'f');
    const auto payload = PutPayload(bag, {
        {"DCIM/100MEDIA/VID_0001.MP4", std::string(300000, 'v')},
        {"\xD0\x94\xD0\xB5\xD0\xBB\xD0\xBE \xE8\xA8\xBC\xE6\x8B\xA0.mp4", "unicode"},
        {"100% sure.txt", "percent"},
        {"empty.txt", ""},
        {deep + "/beyond-260.bin", "long"},
    });
    ASSERT_GT(fs.Join(bag, "data/" + deep).size(), 260u);

    std::string tagManifestSha256;
    std::string error;
    ASSERT_TRUE(custody::WriteBagTags(fs, bag, payload, kInfo, tagManifestSha256, error)) << error;

    EXPECT_EQ(HashHex(HashAlgorithm::Sha256, Read(fs.Join(bag, "tagmanifest-sha256.txt"))), tagManifestSha256);
    EXPECT_EQ("BagIt-Version: 1.0\nTag-File-Character-Encoding: UTF-8\n", Read(fs.Join(bag, "bagit.txt")));
    EXPECT_EQ("Source-Organization: Polizei M\xC3\xBCnchen\nExternal-Identifier: SN0001\nBagging-Date: 2026-12-08\n"
              "Payload-Oxum: 300018.5\nBag-Software-Agent: orvanectl 1.0.0.1\n",
              Read(fs.Join(bag, "bag-info.txt")));
    EXPECT_NE(std::string::npos, Read(fs.Join(bag, "manifest-sha256.txt")).find("  data/100%25 sure.txt\n"));
    const custody::BagVerdict verdict = custody::VerifyBag(fs, bag, 2);
    EXPECT_TRUE(verdict.valid) << verdict.why;
    EXPECT_TRUE(verdict.warnings.empty());

    // A second write never replaces a tag file.
    EXPECT_FALSE(custody::WriteBagTags(fs, bag, payload, kInfo, tagManifestSha256, error));
    EXPECT_EQ(0u, error.find("bagit.txt: ")) << error;
}

TEST(WriteBagTagsTest, AnEmptyCardMakesAValidBag)
{
    TempFolder temp;
    const auto payload = PutPayload(temp.Path(), {});
    std::string sha256;
    std::string error;
    ASSERT_TRUE(custody::WriteBagTags(LocalFileSystem(), temp.Path(), payload, {}, sha256, error)) << error;
    EXPECT_EQ("Payload-Oxum: 0.0\n", Read(LocalFileSystem().Join(temp.Path(), "bag-info.txt")));
    EXPECT_TRUE(custody::VerifyBag(LocalFileSystem(), temp.Path(), 1).valid);
}

TEST(WriteBagTagsTest, RefusesALineBreakInAValueAndWritesNothing)
{
    TempFolder temp;
    const auto payload = PutPayload(temp.Path(), {{"a.mp4", "a"}});
    std::string sha256;
    std::string error;
    EXPECT_FALSE(custody::WriteBagTags(LocalFileSystem(), temp.Path(), payload,
                                       {{"User-Name", "Anna\nPayload-Oxum: 1.1"}}, sha256, error));
    EXPECT_EQ("bag-info.txt: the value of User-Name holds a line break", error);
    EXPECT_FALSE(LocalFileSystem().Exists(LocalFileSystem().Join(temp.Path(), "bagit.txt")));
}

// Each folder found as "kind path".
std::vector<std::string> Found(const FileSystem& fs, const std::string& path)
{
    std::vector<std::string> found;
    for (const custody::FoundFolder& folder : custody::FindBags(fs, path)) {
        found.push_back((folder.kind == custody::FoundFolder::Kind::Bag ? "bag " : "other ") + folder.path);
    }
    return found;
}

TEST(FindBagsTest, FindsBagsAtAnyDepthButNotInsideABagOrAnUnfinishedOffload)
{
    TempFolder temp;
    FileSystem& fs = LocalFileSystem();
    const std::string archive = temp.Path();
    const auto bag = [&](const std::string& relative) {
        const std::string folder = fs.Join(archive, relative);
        const auto payload = PutPayload(folder, {{"a.mp4", "a"}});
        std::string sha256;
        std::string error;
        EXPECT_TRUE(custody::WriteBagTags(fs, folder, payload, {}, sha256, error)) << error;
        return folder;
    };
    const std::string second = bag("SN0002/20261208T090000Z");
    const std::string first = bag("SN0001/20261207T090000Z");
    bag("SN0001/20261207T090000Z/data/nested");
    // Sealed but not yet renamed: still unfinished, never checked as a bag.
    const std::string partial = bag("SN0001/20261208T090000Z.partial");

    EXPECT_EQ((std::vector<std::string>{"bag " + first, "other " + partial, "bag " + second}), Found(fs, archive));
    EXPECT_EQ(std::vector<std::string>{"bag " + first}, Found(fs, first));
    EXPECT_EQ(std::vector<std::string>{"other " + partial + "/"}, Found(fs, partial + "/"));
}

}  // namespace
