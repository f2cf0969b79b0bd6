#include <gtest/gtest.h>

#include <map>
#include <set>

#include "cli/ArchiveCheck.h"
#include "cli/CardSearch.h"
#include "cli/OffloadReport.h"

namespace {

using Drives = std::vector<std::string>;

TEST(CardSearch, OnlyASingleNewDriveIsTheCard)
{
    const struct {
        const char* name;
        Drives before, now;
        CardFound found;
        std::string card;
        Drives several;
    } cases[] = {
        {"nothing new", {"C:\\", "D:\\"}, {"C:\\", "D:\\"}, CardFound::NotYet, "", {}},
        {"one new", {"C:\\"}, {"C:\\", "E:\\"}, CardFound::Yes, "E:\\", {}},
        {"one new while another left", {"C:\\", "D:\\"}, {"C:\\", "F:\\"}, CardFound::Yes, "F:\\", {}},
        {"a drive that left is not new", {"C:\\", "D:\\"}, {"C:\\"}, CardFound::NotYet, "", {}},
        {"two new", {"C:\\"}, {"C:\\", "E:\\", "G:\\"}, CardFound::SeveralDrives, "", {"E:\\", "G:\\"}},
        {"none before", {}, {"K:\\"}, CardFound::Yes, "K:\\", {}},
    };
    for (const auto& c : cases) {
        const CardLook look = ChooseNewDrive(c.before, c.now);
        EXPECT_EQ(look.found, c.found) << c.name;
        EXPECT_EQ(look.card, c.card) << c.name;
        EXPECT_EQ(look.newDrives, c.several) << c.name;
    }
}

// Folders and files by path; creating folders fails when read-only.
class FakeFileSystem : public custody::FileSystem {
public:
    std::string Join(const std::string& base, const std::string& relative) const override
    {
        return base + "/" + relative;
    }
    bool IsFolder(const std::string& path) const override { return folders.count(path) != 0; }
    bool Exists(const std::string& path) const override { return folders.count(path) || files.count(path); }
    bool ListFiles(const std::string&, std::vector<custody::FileEntry>&, std::string&) const override
    {
        return false;
    }
    bool ListFolders(const std::string&, std::vector<std::string>&) const override { return false; }
    std::unique_ptr<custody::ReadStream> OpenRead(const std::string&) const override { return nullptr; }
    std::unique_ptr<custody::WriteStream> CreateNew(const std::string&) override { return nullptr; }
    bool CreateFolders(const std::string& path) override
    {
        if (readOnly) {
            return false;
        }
        folders.insert(path);
        created.push_back(path);
        return true;
    }
    bool Rename(const std::string&, const std::string&) override { return false; }
    bool RemoveFile(const std::string&) override { return false; }
    std::string LastError() const override { return readOnly ? "access denied" : ""; }

    std::set<std::string> folders;
    std::set<std::string> files;
    std::vector<std::string> created;
    bool readOnly = false;
};

TEST(ArchiveCheck, TakesOnlyAFolderItCanCreateFoldersInAndLeavesNoTrace)
{
    const struct {
        const char* name;
        std::set<std::string> folders;
        std::set<std::string> files;
        bool readOnly;
        std::string problem;
        std::string trial;  // the folder tried, when one was
    } cases[] = {
        {"missing", {"/x"}, {}, false, "the archive /a does not exist", ""},
        {"a file", {}, {"/a"}, false, "the archive /a is not a folder", ""},
        {"read-only", {"/a"}, {}, true, "cannot create folders in the archive /a (access denied)", ""},
        {"writable", {"/a"}, {}, false, "", "/a/.orvanectl-trial-7-0"},
        {"a trial name already taken", {"/a", "/a/.orvanectl-trial-7-0"}, {"/a/.orvanectl-trial-7-1"}, false, "",
         "/a/.orvanectl-trial-7-2"},
    };
    for (const auto& c : cases) {
        FakeFileSystem fs;
        fs.folders = c.folders;
        fs.files = c.files;
        fs.readOnly = c.readOnly;
        std::vector<std::string> removed;
        const std::string problem = ArchiveProblem(fs, "/a", 7, [&](const std::string& path) {
            removed.push_back(path);
            return true;
        });
        EXPECT_EQ(problem, c.problem) << c.name;
        EXPECT_EQ(fs.created, c.trial.empty() ? Drives{} : Drives{c.trial}) << c.name;
        EXPECT_EQ(removed, fs.created) << c.name << ": the trial folder stays";
    }
}

CameraOffload Offloaded()
{
    CameraOffload offload;
    offload.serial = "SN-A1";
    offload.cameraId = "CAM0101";
    offload.copy.ok = true;
    offload.copy.bag = "D:\\Archive\\SN-A1\\20261208T091502Z";
    offload.copy.files = 3;
    offload.copy.bytes = 1572864;
    offload.copy.payloadOxum = "1572864.3";
    offload.copy.tagManifestSha256 = "ab12";
    return offload;
}

CameraOffload FailedAt(const char* step, const char* why, const char* partial)
{
    CameraOffload offload = Offloaded();
    offload.copy = {};
    offload.copy.bag = partial;
    offload.failedStep = step;
    offload.why = why;
    offload.exitCode = kExitFailed;
    return offload;
}

TEST(OffloadReport, OneLineAndOneObjectPerCamera)
{
    CameraOffload resumedAndFormatted = Offloaded();
    resumedAndFormatted.copy.resumed = true;
    resumedAndFormatted.format = FormatAfter::Formatted;
    CameraOffload notFormatted = Offloaded();
    notFormatted.format = FormatAfter::NotFormatted;
    notFormatted.formatWhy = "the card gained DCIM/VID_9.MP4";
    CameraOffload noSerial = FailedAt("serial", "could not read the serial number", "");
    noSerial.serial.clear();
    noSerial.cameraId.clear();
    const std::string bag = "\"bag\":\"D:\\\\Archive\\\\SN-A1\\\\20261208T091502Z\"";
    const struct {
        const char* name;
        CameraOffload offload;
        std::string line;
        std::string json;
    } cases[] = {
        {"offloaded", Offloaded(), "SN-A1 CAM0101 ok 3 files 1572864 bytes D:\\Archive\\SN-A1\\20261208T091502Z",
         "{\"serial\":\"SN-A1\",\"camera_id\":\"CAM0101\",\"outcome\":\"ok\",\"files\":3,\"bytes\":1572864," + bag
             + ",\"resumed\":false,\"payload_oxum\":\"1572864.3\",\"tagmanifest_sha256\":\"ab12\"}"},
        {"resumed, then formatted", resumedAndFormatted,
         "SN-A1 CAM0101 ok 3 files 1572864 bytes D:\\Archive\\SN-A1\\20261208T091502Z (resumed), card formatted",
         "{\"serial\":\"SN-A1\",\"camera_id\":\"CAM0101\",\"outcome\":\"ok\",\"files\":3,\"bytes\":1572864," + bag
             + ",\"resumed\":true,\"payload_oxum\":\"1572864.3\",\"tagmanifest_sha256\":\"ab12\",\"format\":\"ok\"}"},
        {"not formatted", notFormatted,
         "SN-A1 CAM0101 ok 3 files 1572864 bytes D:\\Archive\\SN-A1\\20261208T091502Z, card not formatted: the card "
         "gained DCIM/VID_9.MP4",
         "{\"serial\":\"SN-A1\",\"camera_id\":\"CAM0101\",\"outcome\":\"ok\",\"files\":3,\"bytes\":1572864," + bag
             + ",\"resumed\":false,\"payload_oxum\":\"1572864.3\",\"tagmanifest_sha256\":\"ab12\",\"format\":"
               "\"failed\",\"format_error\":\"the card gained DCIM/VID_9.MP4\"}"},
        {"failed mid-copy", FailedAt("copy", "DCIM/VID_2.MP4: cannot read", "D:\\A\\SN-A1\\X.partial"),
         "SN-A1 CAM0101 failed at copy: DCIM/VID_2.MP4: cannot read (the unfinished copy stays in "
         "D:\\A\\SN-A1\\X.partial; offload again to resume)",
         "{\"serial\":\"SN-A1\",\"camera_id\":\"CAM0101\",\"outcome\":\"failed\",\"step\":\"copy\",\"error\":"
         "\"DCIM/VID_2.MP4: cannot read\",\"partial\":\"D:\\\\A\\\\SN-A1\\\\X.partial\"}"},
        {"failed before the camera was known", noSerial, "- - failed at serial: could not read the serial number",
         "{\"serial\":\"\",\"camera_id\":\"\",\"outcome\":\"failed\",\"step\":\"serial\",\"error\":"
         "\"could not read the serial number\"}"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(OffloadLine(c.offload), c.line) << c.name;
        EXPECT_EQ(OffloadJson(c.offload).dump(), c.json) << c.name;
    }
}

TEST(OffloadReport, TheAuditLineTiesTheTrailToTheBagOrToThePartialCopy)
{
    const CameraOffload ok = Offloaded();
    EXPECT_EQ(OffloadAuditOutcome(ok), "ok");
    EXPECT_EQ(OffloadAuditDetails(ok).dump(),
              "{\"bag\":\"D:\\\\Archive\\\\SN-A1\\\\20261208T091502Z\",\"payload_oxum\":\"1572864.3\","
              "\"tagmanifest_sha256\":\"ab12\"}");
    const CameraOffload pulled = FailedAt("copy", "the card is gone", "D:\\A\\X.partial");
    EXPECT_EQ(OffloadAuditOutcome(pulled), "failed at copy: the card is gone");
    EXPECT_EQ(OffloadAuditDetails(pulled).dump(), "{\"partial\":\"D:\\\\A\\\\X.partial\"}");
    EXPECT_EQ(OffloadAuditDetails(FailedAt("card", "the card did not appear within 30 s", "")).dump(), "{}");
}

TEST(OffloadReport, ProgressSaysFilesBytesRateAndTimeLeft)
{
    const struct {
        custody::OffloadProgress progress;
        std::uint64_t elapsedMs;
        std::string line;
    } cases[] = {
        {{0, 1004, 0, 1024000000}, 0, "0/1004 files, 0.0/1024 MB, -- MB/s, --:-- left"},
        {{12, 1004, 523000000, 1024000000}, 2500, "12/1004 files, 523/1024 MB, 209.2 MB/s, 0:02 left"},
        {{1, 2, 7500000, 90000000000}, 1000, "1/2 files, 7.5/90000 MB, 7.5 MB/s, 3:19:59 left"},
        {{2, 2, 4000, 4000}, 1000, "2/2 files, 0.0/0.0 MB, 0.0 MB/s, 0:00 left"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ProgressLine(c.progress, c.elapsedMs), c.line);
    }
}

}  // namespace
