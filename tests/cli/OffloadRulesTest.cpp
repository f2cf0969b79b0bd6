#include <gtest/gtest.h>

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
