#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <map>

#include "core/CodePages.h"
#include "core/Hash.h"
#include "custody/FileDigest.h"
#include "platform/FileSystem.h"
#include "platform/ThreadErrorText.h"
#include "tests/custody/TempFolder.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
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

#ifndef _WIN32
// A folder holding a file, then closed to its owner.
bool MakeLocked(const std::string& folder, mode_t mode)
{
    return mkdir(folder.c_str(), 0755) == 0 && WriteNew(LocalFileSystem(), folder + "/inside", "x")
           && chmod(folder.c_str(), mode) == 0;
}
#endif

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
    for (const char* line : {" appended", " flushed"}) {  // a journal reopened on each resume
        const auto appended = fs.OpenAppend(kept);
        ASSERT_TRUE(appended && appended->Write(line, std::strlen(line)) && appended->Flush()) << fs.LastError();
    }
    EXPECT_EQ("evidence appended flushed", ReadInSmallChunks(fs, kept));

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
    std::vector<std::string> folders;
    EXPECT_FALSE(LocalFileSystem().ListFolders(missing, folders));
}

// A card's names are used exactly as listed: names that differ only in a
// trailing dot or space are distinct files, each read, created and renamed
// as itself. The system's own folders at its root are not entered (they may
// hold anything); a folder of that name deeper down is the camera's.
TEST(LocalFileSystemTest, ListsACardWithNamesExactlyAsTheyAre)
{
    TempFolder temp;
    FileSystem& fs = LocalFileSystem();
    for (const char* folder : {"card/DCIM/System Volume Information", "card/$RECYCLE.BIN/S-1-5",
                               "card/System Volume Information", "elsewhere"}) {
        ASSERT_TRUE(fs.CreateFolders(fs.Join(temp.Path(), folder)));
    }
    // Only the part below the user's base is taken as it is.
    const std::string card = fs.Join(temp.Path(), "elsewhere/../card");
    const std::map<std::string, std::string> files = {
        {"FOO.", "dot"}, {"FOO", "plain"}, {"name ", "space"}, {"name", "bare"}, {"DCIM/VID.", "video"},
        {"DCIM/System Volume Information/kept", "kept"}, {"$RECYCLE.BIN/S-1-5/$R1.MP4", "binned"},
        {"System Volume Information/IndexerVolumeGuid", "system"}};
    for (const auto& [relative, bytes] : files) {
        ASSERT_TRUE(WriteNew(fs, fs.Join(card, relative), bytes)) << relative << ": " << fs.LastError();
    }
#ifndef _WIN32
    ASSERT_EQ(0, mkfifo(fs.Join(card, "System Volume Information/fifo").c_str(), 0644));
#endif
    ASSERT_TRUE(fs.Rename(fs.Join(card, "FOO."), fs.Join(card, "BAR.")));
    ASSERT_TRUE(fs.RemoveFile(fs.Join(card, "name ")));

    std::vector<custody::FileEntry> listed;
    std::string error;
    ASSERT_TRUE(fs.ListFiles(card, {"system volume information", "$Recycle.Bin"}, listed, error)) << error;
    std::map<std::string, std::string> read;
    for (const auto& entry : listed) {
        read[entry.relativePath] = ReadInSmallChunks(fs, fs.Join(card, entry.relativePath));
    }
    EXPECT_EQ((std::map<std::string, std::string>{{"BAR.", "dot"}, {"FOO", "plain"}, {"name", "bare"},
                                                  {"DCIM/VID.", "video"}, {"DCIM/System Volume Information/kept", "kept"}}),
              read);
    EXPECT_FALSE(fs.Exists(fs.Join(card, "DCIM/VID")));
}

// A card is read whole or not at all: whatever below it is not a plain file
// or folder fails the listing, named, so that a format cannot erase it.
#ifdef _WIN32
TEST(LocalFileSystemTest, RefusesToListAReparsePoint)
{
    // Wine shows a folder linked on the Unix side as a reparse point (a link
    // to a file as a plain file, a dangling one not at all); a program under
    // Wine cannot make one, CreateSymbolicLinkW does nothing, so the build does.
    std::vector<custody::FileEntry> listed;
    std::string error;
    EXPECT_FALSE(LocalFileSystem().ListFiles(ORVANE_UNIX_LINKED_CARD, listed, error));
    EXPECT_NE(std::string::npos, error.find("DCIM/linked: a reparse point")) << error;
}
#else
TEST(LocalFileSystemTest, RefusesToListWhatIsNotAPlainFileOrFolder)
{
    struct Row {
        const char* entry;  // below the card's DCIM folder
        std::function<bool(const std::string& path)> make;
        const char* said;   // in the error
        bool rootReadsIt;   // an administrator lists it anyway
    };
    const auto link = [](const char* target) {
        return [target](const std::string& path) { return symlink(target, path.c_str()) == 0; };
    };
    const std::vector<Row> rows = {
        {"fifo", [](const std::string& path) { return mkfifo(path.c_str(), 0644) == 0; },
         "not a plain file or folder (a FIFO)", false},
        {"to-file", link("VID.MP4"), "a link", false},
        {"to-folder", link(".."), "a link", false},
        {"dangling", link("gone"), "a link", false},
        {"locked", [](const std::string& path) { return MakeLocked(path, 0); }, "cannot be listed", true},
        {"unsearchable/inside", [](const std::string& path) { return MakeLocked(path.substr(0, path.rfind('/')), 0444); },
         "cannot be inspected", true},
    };
    const bool root = geteuid() == 0;
    for (const Row& row : rows) {
        TempFolder temp;
        FileSystem& fs = LocalFileSystem();
        const std::string dcim = fs.Join(temp.Path(), "card/DCIM");
        ASSERT_TRUE(fs.CreateFolders(dcim));
        ASSERT_TRUE(WriteNew(fs, fs.Join(dcim, "VID.MP4"), "video"));
        ASSERT_TRUE(row.make(fs.Join(dcim, row.entry))) << row.entry;

        std::vector<custody::FileEntry> listed;
        std::string error;
        const bool ok = fs.ListFiles(fs.Join(temp.Path(), "card"), listed, error);
        if (root && row.rootReadsIt) {
            EXPECT_TRUE(ok) << row.entry << ": " << error;
        } else {
            EXPECT_FALSE(ok) << row.entry;
            EXPECT_NE(std::string::npos, error.find(std::string("DCIM/") + row.entry + ": " + row.said))
                << row.entry << ": " << error;
        }
        for (const char* locked : {"/locked", "/unsearchable"}) {
            chmod((dcim + locked).c_str(), 0755);  // so that the folder can be removed
        }
    }
}
#endif

// The read-back past the cache gets every byte, whatever the file's size
// against the disk's blocks, through the buffer the copy pipeline gives it.
TEST(LocalFileSystemTest, ReadsFromTheDiskWhatWasWritten)
{
    TempFolder temp;
    FileSystem& fs = LocalFileSystem();
    std::vector<unsigned char> buffer(std::size_t{1} << 20);
    for (const std::size_t size : {0u, 1u, 4095u, 4096u, 4097u, (1u << 20) + 3}) {
        std::string bytes(size, '\0');
        for (std::size_t at = 0; at < size; ++at) {
            bytes[at] = static_cast<char>(at * 131 % 251);
        }
        const std::string path = fs.Join(temp.Path(), std::to_string(size) + ".bin");
        ASSERT_TRUE(WriteNew(fs, path, bytes)) << fs.LastError();

        custody::FileDigest digest;
        ASSERT_EQ(custody::DigestOutcome::Done,
                  custody::DigestFile(fs, path, buffer, nullptr, digest, custody::ReadFrom::Disk))
            << size << ": " << fs.LastError();
        EXPECT_EQ(size, digest.size);
        EXPECT_EQ(HashHex(HashAlgorithm::Sha256, bytes), digest.sha256) << size;
    }
}

// A failure's text too long for its buffer keeps what it is about and the
// system's reason, and stays valid UTF-8 wherever the cut falls.
TEST(LocalFileSystemTest, KeepsTheStartAndReasonOfAnOverlongErrorOnWholeCharacters)
{
    const std::string reason = ": There is not enough space on the disk.";
    platform::ThreadErrorText error;
    error.Set("cannot create short: Access is denied.");
    EXPECT_EQ("cannot create short: Access is denied.", error.Text());

    for (const std::string character : {"a", "\xC3\xA9", "\xE8\xA7\x86", "\xF0\x9F\x8E\xA5"}) {
        for (std::size_t shift = 0; shift < 4; ++shift) {
            std::string text = "cannot create " + std::string(shift, 'x');
            while (text.size() < 3 * platform::ThreadErrorText::kCapacity) {
                text += character;
            }
            error.Set(text + reason);
            const std::string kept = error.Text();
            SCOPED_TRACE(character.size() * 10 + shift);
            EXPECT_LE(kept.size(), platform::ThreadErrorText::kCapacity);
            EXPECT_EQ(0u, kept.rfind("cannot create " + std::string(shift, 'x') + character, 0));
            EXPECT_NE(std::string::npos, kept.find(character + "\xE2\x80\xA6" + character));
            EXPECT_EQ(kept.size() - reason.size(), kept.rfind(reason));
            const WideString decoded = DecodeUtf8(kept.data(), kept.size());
            EXPECT_EQ(WideString::npos, decoded.find(static_cast<WideChar>(0xFFFD)));
        }
    }
}

}  // namespace
