#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "custody/FileSystem.h"
#include "tests/custody/TempFolder.h"

#ifdef _WIN32
#include <windows.h>

#include "core/CodePages.h"
#endif

namespace {

using custody::FileSystem;
using custody::LocalFileSystem;

bool WriteNew(FileSystem& fs, const std::string& path, const std::string& bytes)
{
    auto file = fs.CreateNew(path);
    return file && file->Write(bytes.data(), bytes.size()) && file->Flush();
}

std::string ReadInSmallChunks(const FileSystem& fs, const std::string& path)
{
    auto file = fs.OpenRead(path);
    if (!file) {
        return "<cannot open>";
    }
    std::string bytes;
    char chunk[7];
    std::size_t count = 0;
    while (file->Read(chunk, sizeof chunk, count) && count > 0) {
        bytes.append(chunk, count);
    }
    return bytes;
}

// Hidden and system files are evidence too.
void MakeHidden(const std::string& path)
{
#ifdef _WIN32
    const WideString wide = DecodeUtf8(path.data(), path.size());
    SetFileAttributesW(reinterpret_cast<const wchar_t*>(wide.c_str()), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
#else
    (void)path;
#endif
}

TEST(LocalFileSystemTest, WritesListsAndReadsBackFilesAtAnyDepthAndLength)
{
    TempFolder temp;
    FileSystem& fs = LocalFileSystem();
    const std::string deep = "DCIM/" + std::string(120, 'd') + "/" + std::string(120, 'e') + "/" + std::string(60, 'f');
    const std::map<std::string, std::string> files = {
        {"DCIM/100MEDIA/VID_0001.MP4", std::string(100000, 'v')},
        {"DCIM/100MEDIA/Zeugenaussage \xC3\xBC \xE8\xA8\xBC\xE6\x8B\xA0.mp4", "unicode"},
        {"DCIM/.hidden", "hidden"},
        {"empty.txt", ""},
        {deep + "/beyond-260.bin", "long"},
    };
    for (const auto& [relative, bytes] : files) {
        const std::string path = fs.Join(temp.Path(), relative);
        const std::string folder = path.substr(0, path.find_last_of("/\\"));
        ASSERT_TRUE(fs.CreateFolders(folder)) << fs.LastError();
        ASSERT_TRUE(WriteNew(fs, path, bytes)) << fs.LastError();
    }
    MakeHidden(fs.Join(temp.Path(), "DCIM/.hidden"));
    ASSERT_GT(fs.Join(temp.Path(), deep).size(), 260u);

    std::vector<custody::FileEntry> listed;
    std::string error;
    ASSERT_TRUE(fs.ListFiles(temp.Path(), listed, error)) << error;
    std::map<std::string, std::uint64_t> sizes;
    for (const auto& entry : listed) {
        sizes[entry.relativePath] = entry.size;
    }
    std::map<std::string, std::uint64_t> expected;
    for (const auto& [relative, bytes] : files) {
        expected[relative] = bytes.size();
        EXPECT_EQ(bytes, ReadInSmallChunks(fs, fs.Join(temp.Path(), relative))) << relative;
    }
    EXPECT_EQ(expected, sizes);

    std::vector<std::string> folders;
    ASSERT_TRUE(fs.ListFolders(fs.Join(temp.Path(), "DCIM"), folders));
    std::sort(folders.begin(), folders.end());
    EXPECT_EQ((std::vector<std::string>{"100MEDIA", std::string(120, 'd')}), folders);
    EXPECT_TRUE(fs.IsFolder(fs.Join(temp.Path(), deep)));
    EXPECT_FALSE(fs.IsFolder(fs.Join(temp.Path(), "empty.txt")));
    EXPECT_TRUE(fs.Exists(fs.Join(temp.Path(), "empty.txt")));
}

TEST(LocalFileSystemTest, NeverReplacesAnExistingName)
{
    TempFolder temp;
    FileSystem& fs = LocalFileSystem();
    const std::string kept = fs.Join(temp.Path(), "kept.mp4");
    const std::string other = fs.Join(temp.Path(), "other.mp4");
    const std::string folder = fs.Join(temp.Path(), "bag.partial");
    const std::string emptyFolder = fs.Join(temp.Path(), "bag");
    ASSERT_TRUE(WriteNew(fs, kept, "evidence"));
    ASSERT_TRUE(WriteNew(fs, other, "other"));
    ASSERT_TRUE(fs.CreateFolders(folder) && fs.CreateFolders(emptyFolder));

    EXPECT_FALSE(fs.CreateNew(kept));
    EXPECT_NE(std::string::npos, fs.LastError().find("kept.mp4")) << fs.LastError();
    EXPECT_FALSE(fs.Rename(other, kept));
    EXPECT_FALSE(fs.Rename(folder, emptyFolder));
    EXPECT_EQ("evidence", ReadInSmallChunks(fs, kept));

    EXPECT_TRUE(fs.Rename(other, fs.Join(temp.Path(), "renamed.mp4")));
    EXPECT_FALSE(fs.Exists(other));
    EXPECT_TRUE(fs.Rename(folder, fs.Join(temp.Path(), "bag-2")));
    EXPECT_TRUE(fs.RemoveFile(kept));
    EXPECT_FALSE(fs.Exists(kept));
}

TEST(LocalFileSystemTest, SaysWhichFolderItCannotList)
{
    TempFolder temp;
    std::vector<custody::FileEntry> listed;
    std::string error;
    const std::string missing = LocalFileSystem().Join(temp.Path(), "pulled-out");
    EXPECT_FALSE(LocalFileSystem().ListFiles(missing, listed, error));
    EXPECT_NE(std::string::npos, error.find("pulled-out")) << error;
}

}  // namespace
