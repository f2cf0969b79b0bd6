#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>

#include "core/CodePages.h"
#include "core/Hash.h"
#include "custody/Bag.h"
#include "tests/custody/TempFolder.h"

namespace {

using custody::LocalFileSystem;
using Files = std::map<std::string, std::string>;  // path in the bag -> bytes

// A bag as the test writes it, by hand and apart from WriteBagTags.
struct BagRecipe {
    std::string version = "1.0";
    std::string encoding = "UTF-8";
    Files payload = {
        {"data/DCIM/100MEDIA/VID_0001.MP4", "first recording"},
        {"data/DCIM/100MEDIA/VID_0002.MP4", "second recording"},
        {"data/empty.txt", ""},
    };
    std::vector<std::string> algorithms = {"sha256"};
    bool sealed = false;  // with tagmanifest-sha256.txt
};

// UTF-8 text as UTF-16: little-endian with a byte-order mark for "UTF-16", without one
// for "UTF-16LE" and "UTF-16BE".
std::string ToUtf16(const std::string& text, const std::string& encoding)
{
    std::string bytes = encoding == "UTF-16" ? "\xFF\xFE" : "";
    for (const WideChar unit : DecodeUtf8(text.data(), text.size())) {
        const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
        bytes += encoding == "UTF-16BE" ? std::string{high, low} : std::string{low, high};
    }
    return bytes;
}

// A tag file's text in the recipe's encoding: UTF-16, or the few
// characters the cases write in single-byte encodings.
std::string Encode(std::string text, const std::string& encoding)
{
    if (encoding.compare(0, 6, "UTF-16") == 0) {
        return ToUtf16(text, encoding);
    }
    const std::pair<std::string, std::string> characters[] = {
        {"\xC3\xA9", "\xE9"}, {"\xE2\x82\xAC", "\x80"}, {"\xD0\x94", "\xE4" /* KOI8-R */}};
    for (const auto& [utf8, single] : characters) {
        for (std::size_t at = text.find(utf8); encoding != "UTF-8" && at != std::string::npos; at = text.find(utf8, at)) {
            text.replace(at, utf8.size(), single);
        }
    }
    return text;
}

// A path as a manifest of version 1.0 writes it, spelt out here rather than
// taken from the code under test.
std::string Encoded(const std::string& path)
{
    std::string encoded;
    for (char c : path) {
        encoded += c == '%' ? "%25" : c == '\r' ? "%0D" : c == '\n' ? "%0A" : std::string(1, c);
    }
    return encoded;
}

std::string Checksum(const std::string& algorithm, const std::string& bytes)
{
    HashAlgorithm hash;
    return ParseHashName(algorithm, hash) && HashComputable(hash) ? HashHex(hash, bytes) : std::string(56, 'a');
}

Files Build(const BagRecipe& recipe)
{
    Files files = recipe.payload;
    std::uint64_t octets = 0;
    for (const auto& entry : recipe.payload) {
        octets += entry.second.size();
    }
    files["bagit.txt"] = "BagIt-Version: " + recipe.version + "\nTag-File-Character-Encoding: " + recipe.encoding + "\n";
    files["bag-info.txt"] = Encode("Source-Organization: Test\nPayload-Oxum: " + std::to_string(octets) + "."
                                       + std::to_string(recipe.payload.size()) + "\n",
                                   recipe.encoding);
    for (const std::string& algorithm : recipe.algorithms) {
        std::string manifest;
        for (const auto& [path, bytes] : recipe.payload) {
            manifest += Checksum(algorithm, bytes) + "  " + Encoded(path) + "\n";
        }
        files["manifest-" + algorithm + ".txt"] = Encode(manifest, recipe.encoding);
    }
    if (recipe.sealed) {
        std::string tags;
        for (const auto& [path, bytes] : files) {
            if (path.find('/') == std::string::npos) {
                tags += HashHex(HashAlgorithm::Sha256, bytes) + "  " + path + "\n";
            }
        }
        files["tagmanifest-sha256.txt"] = Encode(tags, recipe.encoding);
    }
    return files;
}

void WriteBag(const std::string& root, const Files& files)
{
    auto& fs = LocalFileSystem();
    ASSERT_TRUE(fs.CreateFolders(root));
    for (const auto& [path, bytes] : files) {
        const std::string full = fs.Join(root, path);
        const std::size_t slash = path.find_last_of('/');
        ASSERT_TRUE(slash == std::string::npos || fs.CreateFolders(fs.Join(root, path.substr(0, slash))));
        auto file = fs.CreateNew(full);
        ASSERT_TRUE(file && file->Write(bytes.data(), bytes.size())) << fs.LastError();
    }
}

const std::string kFirst = "data/DCIM/100MEDIA/VID_0001.MP4";
const std::string kSecond = "data/DCIM/100MEDIA/VID_0002.MP4";

void Append(Files& files, const std::string& file, const std::string& text)
{
    files[file] += text;
}

void Replace(Files& files, const std::string& file, const std::string& from, const std::string& to)
{
    std::string& text = files[file];
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
}

std::string ManifestLine(const std::string& bytes, const std::string& path)
{
    return HashHex(HashAlgorithm::Sha256, bytes) + "  " + path + "\n";
}

struct BagCase {
    const char* name;
    std::function<void(BagRecipe&)> recipe;  // before the tag files are made
    std::function<void(Files&)> edit;    // after
    std::string verdict;                 // "valid" or the reason
    std::string warning = "";            // the first, if any
    // After the files are written: the bag's folder, and one beside it.
    std::function<void(const std::string& bag, const std::string& outside)> onDisk = nullptr;
};

void PrintTo(const BagCase& c, std::ostream* out) { *out << c.name; }

class VerifyBagTest : public ::testing::TestWithParam<BagCase> {};

TEST_P(VerifyBagTest, GivesTheVerdictWithWhichFileAndWhichRule)
{
    const BagCase& c = GetParam();
    BagRecipe recipe;
    if (c.recipe) {
        c.recipe(recipe);
    }
    Files files = Build(recipe);
    if (c.edit) {
        c.edit(files);
    }
    TempFolder temp;
    const std::string bag = LocalFileSystem().Join(temp.Path(), "bag");
    WriteBag(bag, files);
    if (c.onDisk) {
        c.onDisk(bag, temp.Path());
    }

    const custody::BagVerdict verdict = custody::VerifyBag(LocalFileSystem(), bag, 2);

    // "~text": a reason that holds the text, where the rest is the system's.
    if (c.verdict.front() == '~') {
        EXPECT_FALSE(verdict.valid);
        EXPECT_NE(std::string::npos, verdict.why.find(c.verdict.substr(1))) << verdict.why;
    } else {
        EXPECT_EQ(c.verdict, verdict.valid ? "valid" : verdict.why);
    }
    EXPECT_EQ(c.warning, verdict.warnings.empty() ? "" : verdict.warnings.front());
}

INSTANTIATE_TEST_SUITE_P(Bags, VerifyBagTest, ::testing::Values(
    BagCase{"Good", nullptr, nullptr, "valid"},
    BagCase{"GoodWithTagManifest", [](BagRecipe& s) { s.sealed = true; }, nullptr, "valid"},
    BagCase{"EditedPayload", nullptr, [](Files& f) { f[kFirst] = "first recordinG"; },
            kFirst + ": sha256 differs from manifest-sha256.txt"},
    BagCase{"EditedTagFile", [](BagRecipe& s) { s.sealed = true; },
            [](Files& f) { Append(f, "bag-info.txt", "Contact-Name: someone\n"); },
            "bag-info.txt: sha256 differs from tagmanifest-sha256.txt"},
    BagCase{"MissingPayloadFile", nullptr, [](Files& f) { f.erase(kSecond); },
            kSecond + ": listed in manifest-sha256.txt but missing"},
    BagCase{"ExtraPayloadFile", nullptr, [](Files& f) { f["data/DCIM/extra.bin"] = "x"; },
            "data/DCIM/extra.bin: in no payload manifest"},
    BagCase{"PathWithDotDot", nullptr,
            [](Files& f) { Append(f, "manifest-sha256.txt", ManifestLine("x", "data/../../outside.txt")); },
            "manifest-sha256.txt: line 4: data/../../outside.txt leads outside the bag (..)"},
    BagCase{"AbsolutePath", nullptr,
            [](Files& f) { Append(f, "manifest-sha256.txt", ManifestLine("x", "/etc/passwd")); },
            "manifest-sha256.txt: line 4: /etc/passwd is absolute"},
    BagCase{"DriveLetter", nullptr,
            [](Files& f) { Append(f, "manifest-sha256.txt", ManifestLine("x", "C:/Windows/win.ini")); },
            "manifest-sha256.txt: line 4: C:/Windows/win.ini names a drive"},
    BagCase{"UncPath", nullptr,
            [](Files& f) { Append(f, "manifest-sha256.txt", ManifestLine("x", "\\\\server\\share\\x")); },
            "manifest-sha256.txt: line 4: \\\\server\\share\\x is a network (UNC) path"},
    BagCase{"TagManifestLeadingOut", [](BagRecipe& s) { s.sealed = true; },
            [](Files& f) { Append(f, "tagmanifest-sha256.txt", ManifestLine("x", "../bagit.txt")); },
            "tagmanifest-sha256.txt: line 4: ../bagit.txt leads outside the bag (..)"},
    BagCase{"DuplicateEntry", nullptr,
            [](Files& f) { Append(f, "manifest-sha256.txt", ManifestLine("first recording", kFirst)); },
            "manifest-sha256.txt: " + kFirst + " listed twice (lines 1 and 4)"},
    BagCase{"DuplicateEntrySameHashIn096", [](BagRecipe& s) { s.version = "0.96"; },
            [](Files& f) { Append(f, "manifest-sha256.txt", ManifestLine("first recording", kFirst)); },
            "valid", "manifest-sha256.txt: " + kFirst + " listed twice with the same checksum (lines 1 and 4)"},
    BagCase{"DuplicateEntryOtherHashIn097", [](BagRecipe& s) { s.version = "0.97"; },
            [](Files& f) { Append(f, "manifest-sha256.txt", ManifestLine("other", kFirst)); },
            "manifest-sha256.txt: " + kFirst + " listed twice (lines 1 and 4)"},
    BagCase{"WrongPayloadOxum", nullptr,
            [](Files& f) { Replace(f, "bag-info.txt", "Payload-Oxum: 31.3", "Payload-Oxum: 100.3"); },
            "bag-info.txt: Payload-Oxum 100.3 but the payload holds 31.3"},
    BagCase{"WrongPayloadOxumWithBlanksBeforeItsColon", nullptr,
            [](Files& f) { Replace(f, "bag-info.txt", "Payload-Oxum: 31.3", "Payload-Oxum \t: 100.3"); },
            "bag-info.txt: Payload-Oxum 100.3 but the payload holds 31.3"},
    BagCase{"FetchedFileMissing", [](BagRecipe& s) { s.payload["data/remote.bin"] = "remote"; },
            [](Files& f) {
                f.erase("data/remote.bin");
                f["fetch.txt"] = "https://example.org/remote.bin 6 data/remote.bin\n";
            },
            "data/remote.bin: listed in fetch.txt but not present (the bag is incomplete)"},
    BagCase{"FetchedFilePresent", [](BagRecipe& s) { s.payload["data/remote.bin"] = "remote"; },
            [](Files& f) { f["fetch.txt"] = "https://example.org/remote.bin - data/remote.bin\n"; }, "valid"},
    BagCase{"DeclarationWithByteOrderMark", nullptr,
            [](Files& f) { f["bagit.txt"] = "\xEF\xBB\xBF" + f["bagit.txt"]; },
            "bagit.txt: starts with a byte-order mark, which it must not"},
    BagCase{"UnknownVersion", [](BagRecipe& s) { s.version = "2.0"; }, nullptr,
            "bagit.txt: BagIt-Version 2.0 is not read (1.0 and 0.9x are)"},
    BagCase{"UnreadableEncoding", [](BagRecipe& s) { s.encoding = "x-no-such-set"; }, nullptr,
            "bagit.txt: tag files in x-no-such-set cannot be read (no decoder for it here)"},
    BagCase{"Utf16TagFiles",
            [](BagRecipe& s) {
                s.encoding = "UTF-16";
                s.sealed = true;
                s.payload["data/Caf\xC3\xA9 \xE2\x82\xAC.mp4"] = "cafe";
            },
            nullptr, "valid"},
    BagCase{"Utf16WithoutByteOrderMark", [](BagRecipe& s) { s.encoding = "UTF-16"; },
            [](Files& f) {
                f["bag-info.txt"].erase(0, 2);
                f["manifest-sha256.txt"].erase(0, 2);
            },
            "valid"},
    BagCase{"Utf16BigEndian", [](BagRecipe& s) { s.encoding = "UTF-16BE"; }, nullptr, "valid"},
    BagCase{"Utf16UnpairedSurrogate", [](BagRecipe& s) { s.encoding = "UTF-16LE"; },
            [](Files& f) { Append(f, "manifest-sha256.txt", std::string("\x00\xD8\x0A\x00", 4)); },
            "manifest-sha256.txt: line 4: not UTF-16LE"},
    BagCase{"SystemDecodedTagFiles",
            [](BagRecipe& s) {
                s.encoding = "KOI8-R";
                s.payload["data/\xD0\x94.mp4"] = "koi8";
            },
            nullptr, "valid"},
    BagCase{"SystemDecodedTagFilesWithBytesNotInTheSet", [](BagRecipe& s) { s.encoding = "Shift_JIS"; },
            [](Files& f) { Append(f, "manifest-sha256.txt", ManifestLine("x", "data/\x81")); },
            "manifest-sha256.txt: line 4: not Shift_JIS"},
    BagCase{"ManifestNotUtf8", nullptr,
            [](Files& f) { Append(f, "manifest-sha256.txt", ManifestLine("x", "data/\xFF.bin")); },
            "manifest-sha256.txt: line 4: not UTF-8"},
    BagCase{"Latin1TagFiles",
            [](BagRecipe& s) {
                s.encoding = "ISO-8859-1";
                s.payload["data/Caf\xC3\xA9.mp4"] = "cafe";
            },
            nullptr, "valid"},
    BagCase{"Windows1252TagFiles",
            [](BagRecipe& s) {
                s.encoding = "windows-1252";
                s.payload["data/100 \xE2\x82\xAC.mp4"] = "euro";
            },
            nullptr, "valid"},
    BagCase{"PercentEncodedNames", [](BagRecipe& s) { s.payload["data/100%.txt"] = "percent"; }, nullptr, "valid"},
    BagCase{"PercentLeftAsWrittenByOtherTools", [](BagRecipe& s) { s.payload["data/50%25.txt"] = "half"; },
            [](Files& f) { Replace(f, "manifest-sha256.txt", "data/50%2525.txt", "data/50%25.txt"); }, "valid",
            "manifest-sha256.txt: line 1: data/50%25.txt taken as written: no file has the name it decodes to "
            "(the tool that wrote it left '%' unencoded)"},
    BagCase{"PayloadFolderInOtherCase", nullptr, [](Files& f) { Replace(f, "manifest-sha256.txt", "  data/", "  DATA/"); },
            "valid"},
#ifndef _WIN32
    BagCase{"PayloadFolderOnDiskInOtherCase", nullptr, nullptr, "valid", "",
            [](const std::string& bag, const std::string&) { std::filesystem::rename(bag + "/data", bag + "/Data"); }},
    BagCase{"LinkLeadingOutOfTheBag", [](BagRecipe& s) { s.payload["data/link.txt"] = "outside"; }, nullptr,
            "~data/link.txt", "",
            [](const std::string& bag, const std::string& outside) {
                std::ofstream(outside + "/outside.txt") << "outside";
                std::filesystem::remove(bag + "/data/link.txt");
                std::filesystem::create_symlink(outside + "/outside.txt", bag + "/data/link.txt");
            }},
    BagCase{"LineBreakInName", [](BagRecipe& s) { s.payload["data/two\nlines\r.txt"] = "lines"; }, nullptr, "valid"},
    BagCase{"TwoNamesThatAreOneOnWindows", nullptr, [](Files& f) { f["data/dcim/100MEDIA/VID_0001.MP4"] = "x"; },
            kFirst + " and data/dcim/100MEDIA/VID_0001.MP4: one name on Windows"},
#endif
    BagCase{"SeveralManifestsOneIncomplete", [](BagRecipe& s) { s.algorithms = {"md5", "sha256"}; },
            [](Files& f) { Replace(f, "manifest-md5.txt", Checksum("md5", "second recording") + "  " + kSecond + "\n", ""); },
            kSecond + ": not in manifest-md5.txt"},
    BagCase{"SeveralManifestsOneIncompleteIn097",
            [](BagRecipe& s) {
                s.algorithms = {"md5", "sha256"};
                s.version = "0.97";
            },
            [](Files& f) { Replace(f, "manifest-md5.txt", Checksum("md5", "second recording") + "  " + kSecond + "\n", ""); },
            "valid", kSecond + ": not in manifest-md5.txt"},
#ifdef _WIN32
    BagCase{"OnlySha224", [](BagRecipe& s) { s.algorithms = {"sha224"}; }, nullptr, "cannot be checked (sha224)"},
    BagCase{"Sha224BesideSha256", [](BagRecipe& s) { s.algorithms = {"sha224", "sha256"}; }, nullptr, "valid",
            "manifest-sha224.txt: not checked (sha224 cannot be computed here)"},
#else
    BagCase{"OnlySha224", [](BagRecipe& s) { s.algorithms = {"sha224"}; }, nullptr, "valid"},
#endif
    BagCase{"NoPayloadManifest", [](BagRecipe& s) { s.algorithms = {}; }, nullptr,
            "manifest-ALGORITHM.txt: missing (no payload manifest)"},
    BagCase{"Md5sumStarAndDotSlash", nullptr, [](Files& f) { Replace(f, "manifest-sha256.txt", "  data/", " *./data/"); },
            "valid"},
    BagCase{"OtherCaseAndDecomposedNames", [](BagRecipe& s) { s.payload["data/Caf\xC3\xA9.mp4"] = "cafe"; },
            [](Files& f) {
                Replace(f, "manifest-sha256.txt", kFirst, "data/dcim/100media/vid_0001.mp4");
                Replace(f, "manifest-sha256.txt", "Caf\xC3\xA9", "CAFE\xCC\x81");
            },
            "valid"}),
    [](const ::testing::TestParamInfo<BagCase>& info) { return info.param.name; });

}  // namespace

namespace {

// Stopped at the Nth report of its progress (0: before it begins), the
// check ends within the block each other hashing thread is reading, and is
// never valid; not stopped, its counts only grow and end at the totals.
TEST(VerifyBagProgress, MovesBlockByBlockAndStopsWithinABlockPerThread)
{
    constexpr std::uint64_t kBlock = 1 << 20;
    constexpr unsigned kThreads = 2;
    BagRecipe recipe;
    recipe.sealed = true;
    for (int i = 0; i < 4; ++i) {
        recipe.payload["data/VID_" + std::to_string(i) + ".MP4"] = std::string(3 * kBlock + i, static_cast<char>('a' + i));
    }
    const Files files = Build(recipe);
    custody::BagCheckProgress total;
    for (const auto& [path, bytes] : files) {
        const bool hashed = path != "tagmanifest-sha256.txt";
        total.filesTotal += hashed ? 1 : 0;
        total.bytesTotal += hashed ? bytes.size() : 0;
    }
    TempFolder temp;
    const std::string bag = LocalFileSystem().Join(temp.Path(), "bag");
    WriteBag(bag, files);

    for (const int stopAt : {-1, 0, 1, 3, 10}) {
        SCOPED_TRACE("stopped at report " + std::to_string(stopAt));
        std::vector<custody::BagCheckProgress> reports;
        bool stopAsked = stopAt == 0;  // the hooks are called one at a time
        custody::BagCheckRequest request;
        request.threads = kThreads;
        request.stop = [&stopAsked] { return stopAsked; };
        request.progress = [&](const custody::BagCheckProgress& progress) {
            reports.push_back(progress);
            stopAsked = stopAsked || static_cast<int>(reports.size()) == stopAt;
        };

        const custody::BagVerdict verdict = custody::VerifyBag(LocalFileSystem(), bag, request);

        for (std::size_t i = 0; i < reports.size(); ++i) {
            EXPECT_EQ(reports[i].filesTotal, total.filesTotal);
            EXPECT_EQ(reports[i].bytesTotal, total.bytesTotal);
            if (i > 0) {
                EXPECT_GE(reports[i].filesDone, reports[i - 1].filesDone) << i;
                EXPECT_GE(reports[i].bytesDone, reports[i - 1].bytesDone) << i;
            }
        }
        if (stopAt < 0) {
            EXPECT_TRUE(verdict.valid) << verdict.why;
            ASSERT_FALSE(reports.empty());
            EXPECT_EQ(reports.back().filesDone, total.filesTotal);
            EXPECT_EQ(reports.back().bytesDone, total.bytesTotal);
            continue;
        }
        EXPECT_FALSE(verdict.valid);
        EXPECT_TRUE(verdict.stopped);
        EXPECT_EQ(verdict.why.rfind("stopped ", 0), 0u) << verdict.why;
        if (stopAt == 0) {
            EXPECT_TRUE(reports.empty());
            continue;
        }
        ASSERT_GE(reports.size(), static_cast<std::size_t>(stopAt));
        EXPECT_LE(reports.back().bytesDone - reports[stopAt - 1].bytesDone, (kThreads - 1) * kBlock);
        EXPECT_LT(reports.back().filesDone, total.filesTotal);
    }
}

}  // namespace
