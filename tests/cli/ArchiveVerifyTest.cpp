// archive verify over an archive that holds more than bags: each thing it
// could not check has its own line and makes the exit 1.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "FakePlatform.h"
#include "cli/ArchiveVerify.h"
#include "custody/TagFileIo.h"
#include "custody/VerifiedJournal.h"
#include "tests/custody/FaultyFileSystem.h"
#include "tests/custody/TempFolder.h"

namespace {

using custody::FileSystem;

const std::string kSha256 = std::string(64, 'a');

void Put(FileSystem& fs, const std::string& path, const std::string& bytes)
{
    std::string why;
    ASSERT_TRUE(custody::WriteTagFile(fs, path, bytes, why)) << why;
}

// ARCHIVE/SN1/20261207T090000Z, a valid bag of one file.
std::string PutBag(FileSystem& fs, const std::string& archive)
{
    const std::string bag = fs.Join(archive, "SN1/20261207T090000Z");
    fs.CreateFolders(fs.Join(bag, "data"));
    Put(fs, fs.Join(bag, "data/a.mp4"), "");
    std::string sha256;
    std::string error;
    EXPECT_TRUE(custody::WriteBagTags(
        fs, bag, {{"a.mp4", 0, "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"}}, {}, sha256,
        error))
        << error;
    return bag;
}

// ARCHIVE/SN1/20261208T090000Z.partial with its journal.
std::string PutPartial(FileSystem& fs, const std::string& archive, const std::string& journal)
{
    const std::string partial = fs.Join(archive, "SN1/20261208T090000Z.partial");
    fs.CreateFolders(fs.Join(partial, "data"));
    Put(fs, fs.Join(partial, custody::kVerifiedJournalName), journal);
    return partial;
}

TEST(ArchiveVerify, SaysWhatItDidNotCheck)
{
    const std::string twoCopies = custody::VerifiedJournalLine({"a.mp4", 1, kSha256})
                                  + custody::VerifiedJournalLine({"b.mp4", 2, kSha256});
    const struct {
        const char* name;
        std::function<std::string(FaultyFileSystem&, const std::string& archive)> setup;  // the folder shown
        int exitCode;
        std::string shown;  // after the folder's path; with --json, in its line
        bool json = false;
    } cases[] = {
        {"bags only",
         [](FaultyFileSystem& fs, const std::string& archive) { return fs.Join(archive, "SN1/20261207T090000Z"); }, 0,
         ": valid"},
        {"an unfinished offload",
         [&](FaultyFileSystem& fs, const std::string& archive) { return PutPartial(fs, archive, twoCopies); }, 1,
         ": unfinished: 2 verified files; offload the camera again to finish it"},
        {"an unfinished offload with a damaged journal",
         [](FaultyFileSystem& fs, const std::string& archive) { return PutPartial(fs, archive, "not a line\n"); },
         1, ": unfinished: its journal cannot be read ("},
        {"a folder that cannot be listed",
         [](FaultyFileSystem& fs, const std::string& archive) {
             fs.faults.unlistable = "SN2";
             fs.CreateFolders(fs.Join(archive, "SN2"));
             return fs.Join(archive, "SN2");
         },
         1, ": not searched: cannot list "},
        {"an unfinished offload in JSON",
         [&](FaultyFileSystem& fs, const std::string& archive) { return PutPartial(fs, archive, twoCopies); }, 1,
         "\"state\":\"unfinished\",\"valid\":false,\"verified_files\":2}", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ResetFakeSystem();
        TempFolder archive;
        FaultyFileSystem fs(custody::LocalFileSystem(), "no card");
        PutBag(fs, archive.Path());
        const std::string shown = c.setup(fs, archive.Path());

        EXPECT_EQ(c.exitCode, RunArchiveVerify(fs, {archive.Path()}, Output(c.json), platform::StopSignal()))
            << g_system.output;
        EXPECT_NE(std::string::npos, g_system.output.find(c.json ? c.shown : shown + c.shown)) << g_system.output;
        EXPECT_EQ(c.exitCode == 0 ? 1 : 2, std::count(g_system.output.begin(), g_system.output.end(), '\n'))
            << "the bag beside it has its line too";
    }
}

// Ctrl+C ends the check inside the bag it is hashing; that bag is not
// called valid, and no bag after it is checked.
TEST(ArchiveVerify, StopsAtCtrlCAndSaysTheCheckIsNotWhole)
{
    ResetFakeSystem();
    TempFolder archive;
    FaultyFileSystem fs(custody::LocalFileSystem(), "no card");
    const std::string first = PutBag(fs, archive.Path());
    PutBag(fs, fs.Join(archive.Path(), "SN2"));
    platform::StopSignal stop;
    stop.Request();

    EXPECT_EQ(1, RunArchiveVerify(fs, {archive.Path()}, Output(false), stop));
    EXPECT_EQ(g_system.output, first + ": not checked in full: stopped before any file was hashed\n");
    EXPECT_TRUE(g_system.ErrorsHold("stopped (Ctrl+C) before every bag was checked")) << g_system.errors;
}

}  // namespace
