// What the operator reads of one camera's offload: the result line and its
// JSON object, and the progress line of a long copy.
#include <gtest/gtest.h>

#include "cli/OffloadReport.h"

namespace {

using station::CameraOffload;
using station::FormatAfter;

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
    offload.outcome = station::Outcome::Failed;
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
    CameraOffload sealedAndSetAside = Offloaded();
    sealedAndSetAside.copy.sealedEarlier = custody::SealedBag{"D:\\A\\SN-A1\\X", "VID_1.MP4 differs", 1, 7, "7.1", "cd34"};
    sealedAndSetAside.copy.setAside = "D:\\A\\SN-A1\\X.set-aside";
    sealedAndSetAside.copy.setAsideFiles = {"planted.MP4"};
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
        {"an earlier attempt sealed, a file set aside", sealedAndSetAside,
         "SN-A1 CAM0101 ok 3 files 1572864 bytes D:\\Archive\\SN-A1\\20261208T091502Z; the earlier attempt is sealed as "
         "the incomplete bag D:\\A\\SN-A1\\X (VID_1.MP4 differs); 1 file its journal does not list moved out of the "
         "bag into D:\\A\\SN-A1\\X.set-aside",
         "{\"serial\":\"SN-A1\",\"camera_id\":\"CAM0101\",\"outcome\":\"ok\",\"files\":3,\"bytes\":1572864," + bag
             + ",\"resumed\":false,\"payload_oxum\":\"1572864.3\",\"tagmanifest_sha256\":\"ab12\",\"sealed_earlier\":"
               "{\"bag\":\"D:\\\\A\\\\SN-A1\\\\X\",\"why\":\"VID_1.MP4 differs\",\"files\":1,\"bytes\":7,"
               "\"payload_oxum\":\"7.1\",\"tagmanifest_sha256\":\"cd34\"},\"set_aside\":{\"folder\":"
               "\"D:\\\\A\\\\SN-A1\\\\X.set-aside\",\"files\":[\"planted.MP4\"]}}"},
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

// The card's megabytes offloaded per second are its share of the work done:
// half the bytes copied and read back, less with a resume's check.
TEST(OffloadReport, ProgressSaysPhaseFilesShareRateAndTimeLeft)
{
    using Phase = custody::OffloadPhase;
    const struct {
        custody::OffloadProgress progress;
        std::uint64_t elapsedMs;
        std::string line;
    } cases[] = {
        {{Phase::Copying, 0, 1004, 1024000000, 0, 2048000000}, 0,
         "copying: 0/1004 files, 0% of 1024 MB, -- MB/s, --:-- left"},
        {{Phase::Copying, 12, 1004, 1024000000, 1046000000, 2048000000}, 2500,
         "copying: 12/1004 files, 51% of 1024 MB, 209.2 MB/s, 0:02 left"},
        {{Phase::Checking, 0, 2, 90000000000, 15000000, 270000000000}, 1000,
         "checking earlier copies: 0/2 files, 0% of 90000 MB, 5.0 MB/s, 4:59:59 left"},
        {{Phase::Verifying, 1, 2, 5000000, 9999999, 10000000}, 1000,
         "verifying: 1/2 files, 99% of 5.0 MB, 5.0 MB/s, 0:00 left"},
        {{Phase::Sealing, 2, 2, 4000, 8000, 8000}, 1000, "sealing: 2/2 files, 100% of 0.0 MB, 0.0 MB/s, 0:00 left"},
        {{Phase::Sealing, 0, 0, 0, 0, 0}, 1000, "sealing: 0/0 files, 100% of 0.0 MB, -- MB/s, --:-- left"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ProgressLine(c.progress, c.elapsedMs), c.line);
    }
}

}  // namespace
